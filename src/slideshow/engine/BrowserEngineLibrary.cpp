// The web engine's side of the browser control, built as a library of its
// own that the program loads with the first page.
#include "slideshow/BrowserEngine.h"
#include "slideshow/engine/SilentPage.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEngineCertificateError>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <memory>

#include <malloc.h>

#include <QtGui/private/qopenglcontext_p.h>

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

namespace {

class Engine final : public BrowserEngine {
public:
    ~Engine() override { close(); }

    void open(QWidget *host, const QString &address, bool silent, std::function<void(bool)> loaded) override
    {
        close();
        // A profile of our own, in memory only: nothing of the pages is kept
        // on disk, and every capture fetches the page afresh.
        m_profile = std::make_unique<QWebEngineProfile>();
        m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        // The page's icon never shows; do not fetch it.
        m_profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        if (!host->layout()) {
            auto *layout = new QVBoxLayout(host);
            layout->setContentsMargins(0, 0, 0, 0);
        }
        m_view = new QWebEngineView(host);
        m_view->setObjectName(QStringLiteral("webview"));
        host->layout()->addWidget(m_view);
        m_page = new SilentPage(m_profile.get(), silent, m_view);
        QObject::connect(m_page, &QWebEnginePage::loadFinished, m_view,
                         [loaded = std::move(loaded)](bool ok) { loaded(ok); });
        m_view->setPage(m_page);
        m_page->load(QUrl(address, QUrl::TolerantMode));
    }

    QImage grab() const override { return m_view ? m_view->grab().toImage() : QImage(); }

    void close() override
    {
        // The page's renderer process ends with the page, and the view's
        // scene graph with the view: between captures the engine holds no
        // page and the window draws as it did before the first one.
        if (!m_view && !m_profile)
            return;
        delete m_page.data();
        delete m_view.data();
        m_profile.reset();
        // The engine frees a page's memory in many threads' heaps; give it
        // back to the system instead of keeping it for a page that comes much
        // later.
        malloc_trim(0);
    }

private:
    std::unique_ptr<QWebEngineProfile> m_profile;
    QPointer<QWebEngineView> m_view;
    QPointer<SilentPage> m_page;
};

} // namespace

} // namespace slideshow

namespace {

// Loaded after the application object, the engine does not set up what it
// would have set up before it: OpenGL for its scene graph, and the context
// its views share. Done here, once, before the first view.
void startLate()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGLRhi);
    if (!qt_gl_global_share_context()) {
        auto *shared = new QOpenGLContext;
        shared->create();
        qt_gl_set_global_share_context(shared);
    }
}

} // namespace

extern "C" Q_DECL_EXPORT slideshow::BrowserEngine *cirrolith_browser_engine()
{
    // Never destroyed: the engine cannot outlive the application object.
    static auto *engine = [] {
        startLate();
        return new slideshow::Engine;
    }();
    return engine;
}
