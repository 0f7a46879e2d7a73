// The real program on a real X screen against a hostile catalogue: addresses of
// the user's own files (one of them a FIFO), a host that trickles one byte at a
// time, markup in a credit line and in the server's message, and a link at the
// page-capture bitmap. Nothing local reaches the screen or the work folder, the
// show goes on, and a quit key during the trickle ends the program at once.
#include "server/ServerProcess.h"
#include "support/PollUntil.h"
#include "support/TempPortable.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/stat.h>

namespace {

constexpr int kQuitBoundMs = 2000;
constexpr const char *kMarker = "LOCALSECRET7731";
const QRgb kMagenta = qRgb(255, 0, 255);

bool waitFor(const std::function<bool()> &done, int ms) { return pollUntil(done, ms); }

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int magentaPixels(const QImage &shot)
{
    int n = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            n += shot.pixel(x, y) == kMagenta;
    return n;
}

class HostileServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        ASSERT_TRUE(secrets.isValid());
        ASSERT_FALSE(installBuiltProgram(portable).isEmpty());
        portable.writeSecondStart();

        // The user's local picture: solid magenta, with a marker in its text.
        QImage local(240, 120, QImage::Format_RGB32);
        local.fill(kMagenta);
        local.setText("Comment", kMarker);
        QBuffer buffer(&localPng);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(local.save(&buffer, "PNG"));
        ASSERT_TRUE(localPng.contains(kMarker));
        QFile png(secret("local.png"));
        ASSERT_TRUE(png.open(QIODevice::WriteOnly));
        png.write(localPng);
        png.close();
        ASSERT_EQ(::mkfifo(QFile::encodeName(secret("pipe.jpg")).constData(), 0600), 0);
        QFile victim(secret("victim.txt"));
        ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
        victim.write("victim");
        victim.close();
        ASSERT_TRUE(QFile::link(secret("victim.txt"), portable.work("Cirrolith4_ImgHTTP_IMG.bmp")));

        // The own picture is a FIFO too; slides of one second.
        portable.write("Cirrolith4_Config.dat",
                       "15\r\n1\r\nFull_Screen\r\n" + QFile::encodeName(secret("pipe.jpg")) + "\r\n\r\n\r\n");
        portable.write("Cirrolith4_Picture_List.dat",
                       "0\r\n1\r\n1\r\n2\r\n2\r\n3\r\n3\r\n4\r\n4\r\n5\r\n5\r\n6\r\n6\r\n7\r\n\r\n\r\n");

        ASSERT_TRUE(files.start({"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot", CIRROLITH_DEMO_WEBROOT,
                                 "--log", log("files").toStdString()}))
            << files.stderrText();
        ASSERT_TRUE(trickle.start({"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot", CIRROLITH_DEMO_WEBROOT,
                                   "--misbehave", "trickle=20000,on=files", "--log", log("trickle").toStdString()}))
            << trickle.stderrText();
        const QString good = QStringLiteral("ttp://127.0.0.1:%1/demo/").arg(files.port());
        const QString slow = QStringLiteral("http://127.0.0.1:%1/demo/").arg(trickle.port());
        const QString img = QStringLiteral("<img src=\"%1\" width=300 height=90>").arg(secret("local.png"));
        const QString text =
            "@message " + img + "Markup in the message\n" +
            slow + "sat/europe-visible.jpg | 1 | Slow SLOW trickling host | DEMO-Slow host\n" +
            "file://" + secret("local.png") + " | 2 | Local LOCAL own file | DEMO-Local file\n" +
            "data:image/png;name=x.png;base64," + QString::fromLatin1(localPng.toBase64()) +
            " | 3 | Data DATA inline picture | DEMO-Inline\n" +
            "file://" + secret("pipe.jpg") + " | 4 | Pipe PIPE a FIFO | DEMO-Pipe\n" +
            "2" + good + "pages/forecast.html | 5 | Page PAGE forecast page | DEMO-Page\n" +
            "h" + good + "chart/synoptic-00.png | 6 | Chart CHART chart | DEMO-" + img + "Markup credit\n" +
            "h" + good + "cam/harbour.bmp | 7 | Cam CAM harbour | DEMO-Harbour\n";
        QFile catalogueFile(secret("catalogue.txt"));
        ASSERT_TRUE(catalogueFile.open(QIODevice::WriteOnly));
        catalogueFile.write(text.toUtf8());
        catalogueFile.close();
        ASSERT_TRUE(catalogue.start({"--catalogue", secret("catalogue.txt").toStdString(), "--webroot",
                                     CIRROLITH_DEMO_WEBROOT}))
            << catalogue.stderrText();
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    QString secret(const QString &name) const { return secrets.filePath(name); }
    QString log(const QString &name) const { return secrets.filePath(name + ".log"); }
    QString logText(const QString &name) const { return QString::fromUtf8(readFile(log(name))); }

    void launch()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("CIRROLITH_CATALOGUE_URL",
                   QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(catalogue.port()));
        program.setProcessEnvironment(env);
        program.start(portable.appDir() + "/cirrolith", {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    qint64 endsWithin(int ms)
    {
        QElapsedTimer t;
        t.start();
        return program.waitForFinished(ms) ? t.elapsed() : -1;
    }

    static QImage screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

    // No path used by the catalogue on the slideshow's path may contain "-".
    QTemporaryDir secrets{QDir::tempPath() + QStringLiteral("/hostileXXXXXX")};
    TempPortable portable;
    servertest::ServerProcess files;
    servertest::ServerProcess trickle;
    servertest::ServerProcess catalogue;
    QProcess program;
    QByteArray localPng;
};

} // namespace

TEST_F(HostileServer, LocalAddressesTricklingHostMarkupAndALinkStayInTheirBox)
{
    ASSERT_FALSE(secret("").contains('-')) << secret("").toStdString();

    // A quit key while the first picture trickles in ends the program at once.
    launch();
    ASSERT_TRUE(waitFor([this] { return logText("trickle").contains("trickled"); }, 30000))
        << logText("trickle").toStdString();
    QThread::msleep(1500);
    ASSERT_EQ(program.state(), QProcess::Running);
    QProcess::execute("xdotool", {"mousemove", "900", "500", "key", "Escape"});
    const qint64 took = endsWithin(10000);
    std::cerr << "Escape during the trickle ended the program after " << took << " ms\n";
    EXPECT_GE(took, 0);
    EXPECT_LT(took, kQuitBoundMs);
    EXPECT_EQ(readFile(portable.work("Cirrolith4_Config.dat")).left(7), QByteArray("15\r\n1\r\n"));

    // Left alone, the build gives the trickling host its deadline and goes on.
    launch();
    QElapsedTimer sinceStart;
    sinceStart.start();
    ASSERT_TRUE(waitFor([this] { return logText("files").contains("harbour.bmp"); }, 120000))
        << logText("files").toStdString();
    std::cerr << "build reached the last picture after " << sinceStart.elapsed() << " ms\n";
    QSet<QByteArray> seen;
    int magenta = 0;
    for (int i = 0; i < 40; ++i) {   // the notice, then a full round of 1 s slides
        const QImage shot = screen();
        magenta = std::max(magenta, magentaPixels(shot));
        seen.insert(QCryptographicHash::hash(
            QByteArray(reinterpret_cast<const char *>(shot.constBits()), shot.sizeInBytes()),
            QCryptographicHash::Sha1));
        QThread::msleep(350);
    }
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_EQ(magenta, 0) << "local content on screen";
    EXPECT_GE(seen.size(), 4) << "the show does not advance";

    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_GE(endsWithin(5000), 0);
    const QString errors = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(errors.count("address refused, not http or https"), 3) << errors.toStdString();
    EXPECT_TRUE(errors.contains("not complete within 60 s")) << errors.toStdString();

    // Nothing of the local files in the work folder; the link was replaced.
    QDirIterator it(portable.workDir(), QDir::Files | QDir::System | QDir::Hidden);
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_FALSE(it.fileInfo().isSymLink() || !it.fileInfo().isFile()) << path.toStdString();
        EXPECT_FALSE(readFile(path).contains(kMarker)) << path.toStdString();
    }
    EXPECT_EQ(readFile(secret("victim.txt")), QByteArray("victim"));
    EXPECT_TRUE(readFile(portable.work("Cirrolith4_ImgHTTP_IMG.bmp")).startsWith("BM"));
}
