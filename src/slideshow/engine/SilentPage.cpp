#include "slideshow/engine/SilentPage.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>

namespace slideshow {

SilentPage::SilentPage(QWebEngineProfile *profile, bool silent, QObject *parent)
    : QWebEnginePage(profile, parent), m_silent(silent)
{
    connect(this, &QWebEnginePage::certificateError, this,
            [](const QWebEngineCertificateError &error) {
                QWebEngineCertificateError e = error;
                e.rejectCertificate();
            });
    // The program has no credentials for pages: a null authenticator cancels
    // the request at once, where an untouched one is sent back empty and
    // asked again and again.
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [](const QUrl &, QAuthenticator *auth) { *auth = QAuthenticator(); });
}

void SilentPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    if (!m_silent)
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool SilentPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return m_silent ? false : QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool SilentPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                                  const QString &defaultValue, QString *result)
{
    return m_silent ? false : QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void SilentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                          int lineNumber, const QString &sourceID)
{
    if (!m_silent)
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

QStringList SilentPage::chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                                    const QStringList &acceptedMimeTypes)
{
    return m_silent ? QStringList() : QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
}

} // namespace slideshow
