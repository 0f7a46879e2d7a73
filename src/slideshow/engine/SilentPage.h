#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

namespace slideshow {

// The page the browser control shows. Silent: no JavaScript dialog, no file
// chooser, no console noise, and a certificate error refuses the page. A
// request for credentials is refused as well, silent or not. Not
// silent (the word NOSILENT): the engine's own dialogs appear.
class SilentPage : public QWebEnginePage {
    Q_OBJECT
public:
    SilentPage(QWebEngineProfile *profile, bool silent, QObject *parent = nullptr);

    bool silent() const { return m_silent; }

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &acceptedMimeTypes) override;

private:
    bool m_silent;
};

} // namespace slideshow
