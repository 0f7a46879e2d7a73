#include "slideshow/WebSurface.h"

#include "platform/Log.h"
#include "slideshow/BrowserEngine.h"

#include <QApplication>
#include <QDir>
#include <QLibrary>
#include <QWidget>

#include <unistd.h>

namespace slideshow {

void prepareWebEngineEnvironment()
{
    // Sound goes through the engine's own process, which would otherwise
    // stay for the rest of the run after the first page that plays any.
    const QByteArray inProcessAudio = "--disable-features=AudioServiceOutOfProcess";
    if (geteuid() != 0) {
        if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", inProcessAudio);
        return;
    }
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Without a sandbox the zygote processes bring nothing but memory: each
    // page's renderer is started directly and ends with the page.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox --no-zygote " + inProcessAudio);
}

namespace {

BrowserEngine *g_engine = nullptr;

QStringList engineLibraryPlaces()
{
    // Beside the program (the portable folder), where the package installs
    // it, and the build tree (tests and benchmarks run from elsewhere).
    const QString programDir = QCoreApplication::applicationDirPath();
    return {programDir, programDir + QStringLiteral("/../lib/cirrolith/modules"), QStringLiteral(CIRROLITH_WEB_BUILDDIR)};
}

} // namespace

BrowserEngine *browserEngine()
{
    if (g_engine)
        return g_engine;
    QStringList tried;
    for (const QString &dir : engineLibraryPlaces()) {
        const QString path = QDir(dir).filePath(QStringLiteral("libcirrolith-web.so"));
        if (!QFile::exists(path))
            continue;
        // Loaded once and kept: the engine cannot start twice in a process.
        QLibrary library(path);
        library.setLoadHints(QLibrary::PreventUnloadHint);
        if (auto entry = reinterpret_cast<BrowserEngineEntry>(library.resolve(kBrowserEngineEntry))) {
            g_engine = entry();
            return g_engine;
        }
        tried << library.errorString();
    }
    qCWarning(lcDownload).noquote() << "the web engine cannot be loaded:"
                                    << (tried.isEmpty() ? QStringLiteral("libcirrolith-web.so not found")
                                                        : tried.join(QStringLiteral("; ")));
    return nullptr;
}

bool browserEngineLoaded() { return g_engine != nullptr; }

int CloseBrowserWindows()
{
    // Known by their class: the engine's library need not be loaded to ask.
    int asked = 0;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->inherits("QWebEngineView") || !window->isWindow())
            continue;
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
        ++asked;
    }
    return asked;
}

} // namespace slideshow
