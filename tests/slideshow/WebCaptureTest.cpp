// Web pages turned into slides by the real web engine on a real X screen,
// against the reference catalogue server. One process for every case: the
// engine starts once.
#include "acquisition/SlideSetBuilder.h"
#include "core/RunControl.h"
#include "panel/TownFrame.h"
#include "platform/ProcessEnd.h"
#include "server/ServerProcess.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"
#include "slideshow/WebCapture.h"
#include "slideshow/WebSurface.h"
#include "support/ShowFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>

#include <csignal>

inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList fileTargets(const QString &logFile)
{
    QStringList targets;
    for (const QString &line : QString::fromUtf8(readFile(logFile)).split('\n', Qt::SkipEmptyParts))
        if (line.contains("[file"))
            targets << line.section(' ', 4, 4);
    return targets;
}

bool near(QRgb a, QColor b, int tolerance = 24)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

int pixelsNear(const QImage &image, QColor colour, int tolerance = 24)
{
    int n = 0;
    for (int y = 0; y < image.height(); y += 8)
        for (int x = 0; x < image.width(); x += 8)
            n += near(image.pixel(x, y), colour, tolerance) ? 1 : 0;
    return n;
}

// The live processes of a process group, from /proc.
QList<int> processesInGroup(qint64 group)
{
    QList<int> found;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(entry));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        // A zombie has ended; only its reaper has not looked yet.
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z")
            found << entry.toInt();
    }
    return found;
}

const QColor kBlock(255, 0, 0);
const QColor kPageGround(0, 192, 0);
const QColor kIntruder(255, 0, 255);

// A loaded main window covering the real screen, pages served from a web root.
class Web : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        platform::EventPump::resetQuit();
        platform::ProcessEnd::resetForTests();
        const QString web = webroot.path();
        write(web + "/page.html",
              "<!DOCTYPE html><html><body style='margin:0;background:#00c000'>"
              "<div style='position:absolute;left:100px;top:100px;width:400px;height:300px;"
              "background:#ff0000'></div></body></html>");
        write(web + "/town.html", "<!DOCTYPE html><html><body>town</body></html>");
        QImage still(320, 240, QImage::Format_RGB32);
        still.fill(Qt::blue);
        still.save(web + "/still.jpg", "JPEG");
        write(web + "/catalogue.txt", "http://h.example/x.jpg | 14 | Demo X | C-Credit X-0\n");
        logFile = web + "/server.log";
        ASSERT_TRUE(server.start({"--catalogue", (web + "/catalogue.txt").toStdString(), "--webroot",
                                  web.toStdString(), "--log", logFile.toStdString()}))
            << server.stderrText();
        base = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());

        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        ASSERT_TRUE(form->Form_Load());
        form->generalClock.setEnabled(false);
        form->showCoveringScreen();
        platform::EventPump::Sleep(200);
        dialogs.clear();
    }
    void TearDown() override
    {
        form.reset();
        platform::Clock::setSpeed(1);
        platform::EventPump::resetQuit();
        platform::ProcessEnd::resetForTests();
    }

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The address as the catalogue has it: the type character first.
    static QString typed(char type, const QString &address) { return QChar(type) + address.mid(1); }

    WebCapture &capture() { return *form->slideshow->webCapture; }

    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    QTemporaryDir webroot;
    QString logFile;
    servertest::ServerProcess server;
    QString base;
    std::unique_ptr<FormPicture> form;
};

} // namespace

TEST_F(Web, TheSlideHoldsThePagesOwnPixelsAndNoWindowLyingOverIt)
{
        QWidget intruder(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
    QPalette pal = intruder.palette();
    pal.setColor(QPalette::Window, kIntruder);
    intruder.setPalette(pal);
    intruder.setAutoFillBackground(true);
    intruder.setGeometry(QGuiApplication::primaryScreen()->geometry());

    QImage screenWithPage, screenDuringCapture;
    bool barHidden = false, webShown = false;
    int ticksWithIntruder = 0;
    qint64 helper = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!form->Http2BmpRunning)
            return;
        helper = std::max(helper, capture().helperProcessId());
        // First the page itself lies over the whole screen, the bar's place
        // included ...
        if (screenWithPage.isNull()) {
            const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            if (near(screen.pixel(300, 250), kBlock) && near(screen.pixel(1500, 1075), kPageGround)) {
                screenWithPage = screen;
                barHidden = form->bar->btLogo->isHidden() && form->whoWeAre->isHidden();
                webShown = !form->webvis->isHidden() && form->slideshow->fotoBrowser->isHidden();
            }
            return;
        }
        // ... then another program's window gets over it and keeps raising
        // itself.
        if (intruder.isHidden())
            intruder.show();
        intruder.raise();
        if (++ticksWithIntruder == 3)
            screenDuringCapture = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    });
    probe.start(50);

    const bool logoShownBefore = !form->bar->btLogo->isHidden();
    form->listURL[0] = typed('2', base + "page.html");
    form->listURL[1] = base + "still.jpg";
    platform::Clock::setSpeed(2);
    EXPECT_TRUE(form->BuildSlideSet(2));
    probe.stop();
    intruder.hide();

    // The page was shown full screen while it loaded.
    ASSERT_FALSE(screenWithPage.isNull()) << "the page never showed on the screen";
    // The intruder really lay over the screen ...
    ASSERT_FALSE(screenDuringCapture.isNull());
    EXPECT_GT(pixelsNear(screenDuringCapture, kIntruder), 1000);
    // ... but the slide is the page alone, at screen size.
    const QImage bmp(capture().bitmapPath(), "BMP");
    ASSERT_EQ(bmp.size(), QSize(1920, 1080));
    EXPECT_EQ(pixelsNear(bmp, kIntruder), 0);
    EXPECT_TRUE(near(bmp.pixel(300, 250), kBlock));
    EXPECT_TRUE(near(bmp.pixel(99, 99), kPageGround));
    EXPECT_TRUE(near(bmp.pixel(1500, 900), kPageGround));
    EXPECT_EQ(pixelsNear(bmp, kBlock), (400 / 8) * (300 / 8));

    EXPECT_EQ(form->slideCount, 2);
    EXPECT_EQ(form->listImageProperties[0], 2);
    EXPECT_FALSE(form->listIMAGEnotLoaded[0]);
    ASSERT_TRUE(form->listIMAGE[0]);
    EXPECT_EQ(form->listIMAGE[0]->pixels, QSize(1920, 1080));
    EXPECT_EQ(form->listIMAGE[1]->pixels, QSize(320, 240));
    EXPECT_EQ(fileTargets(logFile), QStringList({"/page.html", "/still.jpg"}));

    // During the capture: bar hidden, the web surface up; afterwards all as
    // before, and the helper gone with every engine process it started.
    EXPECT_TRUE(barHidden);
    EXPECT_TRUE(webShown);
    ASSERT_GT(helper, 0);
    EXPECT_EQ(capture().helperProcessId(), 0);
    EXPECT_EQ(processesInGroup(helper), QList<int>());
    EXPECT_FALSE(form->Http2BmpRunning);
    EXPECT_TRUE(form->webvis->isHidden());
    EXPECT_EQ(!form->bar->btLogo->isHidden(), logoShownBefore);

    // Shown as a slide: the whole screen, from the top-left corner.
    form->GLOBAL_IMAGE_CURRENT_POINTER = 0;
    ASSERT_TRUE(form->slideshow->ShowSlide(form->listIMAGE[0]));
    EXPECT_EQ(form->slideshow->fotoBrowser->geometry(), QRect(0, 0, 1920, 1080));
    EXPECT_FALSE(form->slideshow->fotoBrowser->isHidden());
    EXPECT_FALSE(form->whoWeAre->isHidden());
}

TEST_F(Web, AHangingPageIsGivenUpAndALateAnswerChangesNothing)
{
    // A second server holds every file request open.
    servertest::ServerProcess hanging;
    ASSERT_TRUE(hanging.start({"--catalogue", (webroot.path() + "/catalogue.txt").toStdString(), "--webroot",
                               webroot.path().toStdString(), "--misbehave", "hang,on=files"}))
        << hanging.stderrText();
    const QString hangBase = QStringLiteral("http://127.0.0.1:%1/").arg(hanging.port());

    form->listURL[0] = typed('2', hangBase + "page.html");
    form->listURL[1] = typed('2', QStringLiteral("http://127.0.0.1:1/refused.html"));
    form->listURL[2] = base + "still.jpg";
    // A minute of nominal page wait passes in a second.
    platform::Clock::setSpeed(60);
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_TRUE(form->BuildSlideSet(2));
    EXPECT_LT(elapsed.elapsed(), 30000);

    const SlideSetBuilder &b = *form->slides;
    for (int k : {0, 1}) {
        EXPECT_EQ(form->listIMAGE[k], b.notAvailablePicture()) << k;
        EXPECT_TRUE(form->listIMAGEnotLoaded[k]) << k;
        EXPECT_EQ(form->listImageProperties[k], 1) << k;
    }
    EXPECT_EQ(form->listIMAGE[2]->pixels, QSize(320, 240));
    EXPECT_FALSE(form->Http2BmpRunning);
    EXPECT_FALSE(QFile::exists(capture().bitmapPath()));

    // The hanging server lets go: the abandoned page's end must not count
    // for the next capture, which waits for its own page.
    hanging.stop();
    platform::Clock::setSpeed(4);
    form->webPageAddress = base + "page.html";
    form->WebPageToImgEnd = false;
    EXPECT_EQ(capture().CaptureWebPage(), WebCapture::Outcome::Captured);
    const QImage bmp(capture().bitmapPath(), "BMP");
    EXPECT_TRUE(near(bmp.pixel(300, 250), kBlock));
}

TEST_F(Web, AStuckHelperIsKilledAndTheBuildGoesOn)
{
    // The page helper stops answering as soon as it runs: no completion, no
    // grab.
    qint64 stuck = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!stuck && (stuck = capture().helperProcessId()))
            ::kill(static_cast<pid_t>(stuck), SIGSTOP);
    });
    probe.start(10);
    form->listURL[0] = typed('2', base + "page.html");
    form->listURL[1] = base + "still.jpg";
    platform::Clock::setSpeed(60);
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_TRUE(form->BuildSlideSet(2));
    probe.stop();
    EXPECT_LT(elapsed.elapsed(), WebCapture::kHelperAnswerMs + 15000);

    ASSERT_GT(stuck, 0);
    EXPECT_EQ(form->listIMAGE[0], form->slides->notAvailablePicture());
    EXPECT_TRUE(form->listIMAGEnotLoaded[0]);
    EXPECT_EQ(form->listIMAGE[1]->pixels, QSize(320, 240));
    EXPECT_FALSE(form->Http2BmpRunning);
    EXPECT_FALSE(form->webvis->isVisible());
    EXPECT_EQ(processesInGroup(stuck), QList<int>());
}

TEST_F(Web, QuittingEndsACaptureAtOnce)
{
    servertest::ServerProcess hanging;
    ASSERT_TRUE(hanging.start({"--catalogue", (webroot.path() + "/catalogue.txt").toStdString(), "--webroot",
                               webroot.path().toStdString(), "--misbehave", "hang,on=files"}))
        << hanging.stderrText();
    form->webPageAddress = QStringLiteral("http://127.0.0.1:%1/page.html").arg(hanging.port());
    QElapsedTimer elapsed;
    qint64 quitAt = 0;
    QTimer::singleShot(3000, [&] {
        quitAt = elapsed.elapsed();
        form->runControl->btTermina_Click();
    });
    elapsed.start();
    EXPECT_EQ(capture().CaptureWebPage(), WebCapture::Outcome::GaveUp);
    EXPECT_GT(quitAt, 0);
    EXPECT_LT(elapsed.elapsed() - quitAt, 500);
    EXPECT_TRUE(platform::ProcessEnd::requested());
    EXPECT_FALSE(form->Http2BmpRunning);
    // Nothing new starts after quitting.
    EXPECT_EQ(capture().CaptureWebPage(), WebCapture::Outcome::GaveUp);
    EXPECT_FALSE(form->Http2BmpRunning);
}

TEST_F(Web, TheDemoPagesAsSlides)
{
    // The demo's pages and series, served from the demo web root.
    servertest::ServerProcess demo;
    const QString demoLog = webroot.path() + "/demo.log";
    ASSERT_TRUE(demo.start({"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot", CIRROLITH_DEMO_WEBROOT, "--log",
                            demoLog.toStdString()}))
        << demo.stderrText();
    QStringList entries;
    for (const QString &line : QString::fromUtf8(readFile(CIRROLITH_DEMO_CATALOGUE)).split('\n'))
        for (const char *code : {"FCPAGE", "TOWNPAGE", "SATSEQ"})
            if (line.contains(QStringLiteral(" %1 ").arg(QLatin1String(code))))
                entries << line.section('|', 0, 0).trimmed().replace(
                    "127.0.0.1:8473", QStringLiteral("127.0.0.1:%1").arg(demo.port()));
    ASSERT_EQ(entries.size(), 3);
    for (int i = 0; i < 3; ++i)
        form->listURL[i] = entries[i];
    const QStringList town = {"Courmayeur", "Italy", "45.79", "6.97"};
    for (int i = 0; i < town.size(); ++i)
        form->FormYourTown->PARAM[i]->setText(town[i]);

    platform::Clock::setSpeed(4);
    EXPECT_TRUE(form->BuildSlideSet(2));
    platform::Clock::setSpeed(1);

    EXPECT_EQ(fileTargets(demoLog).mid(0, 2),
              QStringList({"/demo/pages/forecast.html",
                           "/demo/pages/town.html?town=Courmayeur&country=Italy&lat=45.79&lon=6.97"}));
    ASSERT_EQ(form->slideCount, 2 + 4);
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(form->listImageProperties[k], 2) << k;
        EXPECT_FALSE(form->listIMAGEnotLoaded[k]) << k;
    }
    for (int k = 2; k < 6; ++k) {
        EXPECT_EQ(form->listImageProperties[k], 1) << k;
        EXPECT_FALSE(form->listIMAGEnotLoaded[k]) << k;
    }
    EXPECT_EQ(fileTargets(demoLog).mid(2), QStringList({"/demo/series/sequence-01.jpg", "/demo/series/sequence-02.jpg",
                                                        "/demo/series/sequence-03.jpg", "/demo/series/sequence-04.jpg"}));

    const QString shots = qEnvironmentVariable("CIRROLITH_BUILD_DIR") + "/screenshots";
    QDir().mkpath(shots);
    QList<QImage> slides;
    for (int k = 0; k < 2; ++k) {
        form->GLOBAL_IMAGE_CURRENT_POINTER = static_cast<std::int16_t>(k);
        ASSERT_TRUE(form->slideshow->ShowSlide(form->listIMAGE[k]));
        platform::EventPump::Sleep(300);
        const QImage slide = form->grab().toImage();
        slide.save(shots + (k == 0 ? "/web_page_forecast.png" : "/web_page_town.png"));
        slides << slide;
    }
    // Real pages, not a blank or an error screen: the forecast's dark title
    // bar on top, and two different pictures.
    for (const QImage &slide : slides) {
        EXPECT_TRUE(near(slide.pixel(960, 10), QColor(0x0a, 0x14, 0x28), 8));
        EXPECT_GT(pixelsNear(slide, QColor(0x0a, 0x14, 0x28), 8), 500);
    }
    EXPECT_NE(slides[0], slides[1]);
}

TEST_F(Web, OnlyOurOwnStrayBrowserWindowsAreClosed)
{
    QWebEngineView stray;
    stray.resize(200, 100);
    stray.show();
    QWidget other;
    other.resize(200, 100);
    other.show();
    platform::EventPump::Sleep(100);
    EXPECT_EQ(slideshow::CloseBrowserWindows(), 1);
    platform::EventPump::Sleep(100);
    EXPECT_TRUE(stray.isHidden());
    EXPECT_FALSE(other.isHidden());
    EXPECT_FALSE(form->isHidden());
    EXPECT_EQ(slideshow::CloseBrowserWindows(), 1);   // closed windows stay ours; asking again is harmless
}
