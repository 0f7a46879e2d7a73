#include "slideshow/WebSurface.h"

#include <QApplication>
#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineView>

#include <unistd.h>

namespace slideshow {

void prepareWebEngineEnvironment()
{
    if (geteuid() != 0)
        return;
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Without a sandbox the zygote processes bring nothing but memory: each
    // page's renderer is started directly and ends with the page.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox --no-zygote");
}

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

int CloseBrowserWindows()
{
    int asked = 0;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *browser = qobject_cast<QWebEngineView *>(window);
        if (!browser || !browser->isWindow())
            continue;
        QMetaObject::invokeMethod(browser, &QWidget::close, Qt::QueuedConnection);
        ++asked;
    }
    return asked;
}

} // namespace slideshow
