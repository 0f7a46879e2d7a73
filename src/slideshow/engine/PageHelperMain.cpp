// The page helper: one web page shown over the screen and written to the
// page bitmap, in a process that ends with the capture. The slideshow never
// loads the web engine itself, so the engine's memory, its processes and the
// software renderer it draws through all end when a capture does.
#include "platform/TextFile.h"
#include "slideshow/PageHelper.h"
#include "slideshow/engine/SilentPage.h"

#include <QApplication>
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Run as root, the web engine starts only with its sandbox off. What the
// user has set is left alone.
void prepareWebEngineEnvironment()
{
    // Sound goes through the engine's own process otherwise, one more
    // process to end with the capture.
    const QByteArray inProcessAudio = "--disable-features=AudioServiceOutOfProcess";
    if (geteuid() != 0) {
        if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", inProcessAudio);
        return;
    }
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Without a sandbox the zygote processes bring nothing but memory.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox --no-zygote " + inProcessAudio);
}

void answer(const char *line)
{
    std::fputs(line, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// False for a grab of one flat colour: the page has drawn nothing yet.
bool hasDrawn(const QImage &shot)
{
    if (shot.isNull())
        return false;
    const QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    const QRgb first = rgb.pixel(0, 0);
    const int stepX = std::max(1, rgb.width() / 64);
    const int stepY = std::max(1, rgb.height() / 64);
    for (int y = 0; y < rgb.height(); y += stepY) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); x += stepX)
            if (line[x] != first)
                return true;
    }
    return false;
}

class PageWindow {
public:
    PageWindow(const QString &address, const QString &bitmap, const QRect &geometry, const QSize &grabSize,
               bool silent)
        : m_bitmap(bitmap), m_geometry(geometry), m_grabSize(grabSize)
    {
        // In memory only: nothing of the page is kept on disk.
        m_profile = new QWebEngineProfile(qApp);
        m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        // The page's icon never shows; do not fetch it.
        m_profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);

        // Over the slideshow, frameless, and never taking the keyboard or the
        // pointer from it: the program's keys keep working during a capture.
        m_view = new QWebEngineView;
        m_view->setWindowTitle(QStringLiteral("Cirrolith"));
        m_view->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
        m_view->setGeometry(geometry);
        m_page = new slideshow::SilentPage(m_profile, silent, m_view);
        QObject::connect(m_page, &QWebEnginePage::loadFinished, m_view,
                         [](bool ok) { answer(ok ? pagehelper::kLoaded : pagehelper::kLoadFailed); });
        m_view->setPage(m_page);
        m_page->load(QUrl(address, QUrl::TolerantMode));
    }

    void show()
    {
        m_view->winId();
        if (QWindow *window = m_view->windowHandle())
            if (QScreen *screen = QGuiApplication::screenAt(m_geometry.center()))
                window->setScreen(screen);
        m_view->setGeometry(m_geometry);
        // Full screen without the activation showFullScreen() asks for: the
        // window takes no focus.
        m_view->setWindowState(Qt::WindowFullScreen);
        m_view->show();
        m_view->raise();
    }

    void raise()
    {
        if (m_view->isVisible())
            m_view->raise();
    }

    // The view renders itself: windows of other programs over the screen
    // never get into the bitmap. A page that has loaded may not have drawn
    // its first frame yet: it gets a moment before a blank view counts as
    // what it shows.
    void grab(int triesLeft = 20)
    {
        const QImage shot = m_view->grab().toImage();
        if (!hasDrawn(shot) && triesLeft > 0) {
            QTimer::singleShot(100, m_view, [this, triesLeft] { grab(triesLeft - 1); });
            return;
        }
        answer(save(shot));
    }

    void grabIfDrawn()
    {
        const QImage shot = m_view->grab().toImage();
        answer(hasDrawn(shot) ? save(shot) : pagehelper::kBlank);
    }

    void close()
    {
        // The page goes before its profile.
        if (m_view)
            m_view->hide();
        delete m_view.data();
        delete m_profile.data();
    }

private:
    const char *save(QImage shot) const
    {
        if (shot.isNull())
            return pagehelper::kNotSaved;
        shot = shot.convertToFormat(QImage::Format_RGB32);
        if (shot.size() != m_grabSize)
            shot = shot.scaled(m_grabSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        shot.setDevicePixelRatio(1);
        QByteArray bmp;
        QBuffer buffer(&bmp);
        buffer.open(QIODevice::WriteOnly);
        if (!shot.save(&buffer, "BMP"))
            return pagehelper::kNotSaved;
        // The checked writer replaces a link at the bitmap, never its target.
        return platform::textfile::writeAtomic(m_bitmap, bmp) ? pagehelper::kSaved : pagehelper::kNotSaved;
    }

    QString m_bitmap;
    QRect m_geometry;
    QSize m_grabSize;
    QPointer<QWebEngineProfile> m_profile;
    QPointer<QWebEngineView> m_view;
    QPointer<slideshow::SilentPage> m_page;
};

QRect parseGeometry(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return {};
    return {parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt()};
}

QSize parseSize(const QString &text)
{
    const QStringList parts = text.split(u'x');
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 6) {
        std::fprintf(stderr, "%s is started by cirrolith to capture a web page; it is not run by hand.\n",
                     pagehelper::kProgram);
        return 2;
    }
    // Ends with the program, whatever way the program ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() == 1)
        return 1;

    prepareWebEngineEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cirrolith"));
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList args = QCoreApplication::arguments();
    const QRect geometry = parseGeometry(args[3]);
    const QSize grabSize = parseSize(args[4]);
    if (geometry.isEmpty() || grabSize.isEmpty()) {
        std::fprintf(stderr, "%s: bad geometry or size\n", pagehelper::kProgram);
        return 2;
    }
    PageWindow page(args[1], args[2], geometry, grabSize, args[5] != QLatin1String("nosilent"));

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    const auto finish = [&] {
        input.setEnabled(false);
        page.close();
        QCoreApplication::quit();
    };
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char chunk[256];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {   // the program has let go of us
            finish();
            return;
        }
        pending.append(chunk, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray command = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            if (command == pagehelper::kShow)
                page.show();
            else if (command == pagehelper::kRaise)
                page.raise();
            else if (command == pagehelper::kGrab)
                page.grab();
            else if (command == pagehelper::kGrabDrawn)
                page.grabIfDrawn();
            else if (command == pagehelper::kQuit)
                return finish();
        }
    });
    return app.exec();
}
