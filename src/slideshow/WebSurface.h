#pragma once

#include <QWebEnginePage>

class QWebEngineProfile;

// The browser control's page and the program's dealings with the web engine
// outside one capture.
namespace slideshow {

// Run as root, the web engine starts only with its sandbox off; sets what it
// needs when the user has not set it. Call before the application object.
void prepareWebEngineEnvironment();

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

// Asks every top-level browser window of this program to close (the close is
// posted, as to a window of another thread). The main window's browser
// control is no window of its own, and other programs' windows are never
// touched. Returns how many were asked.
int CloseBrowserWindows();

} // namespace slideshow
