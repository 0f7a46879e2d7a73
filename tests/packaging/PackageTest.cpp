// What a new user gets from the Debian package: it installs, its units pass
// systemd's checks, and the installed program makes its folders in the
// user's data home and runs the slideshow against a catalogue server.
#include "support/DemoServers.h"
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Outcome {
    int code = -1;
    QString output;   // stdout and stderr
};

Outcome run(const QString &program, const QStringList &args, int ms = 120000)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished(3000);
        r.output = QStringLiteral("timed out: ") + program;
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.output = QString::fromUtf8(p.readAll());
    return r;
}

bool installed()
{
    return run(QStringLiteral("dpkg-query"), {"-W", "-f=${Status}", "cirrolith"}).output.contains("ok installed");
}

// Removes the package afterwards when it was not there before.
class PackageInstall {
public:
    explicit PackageInstall(const QString &deb) : m_wasThere(installed())
    {
        m_result = run(QStringLiteral("dpkg"), {"-i", deb});
    }
    ~PackageInstall()
    {
        if (!m_wasThere)
            run(QStringLiteral("dpkg"), {"-r", "cirrolith"});
    }
    const Outcome &result() const { return m_result; }

private:
    bool m_wasThere;
    Outcome m_result;
};

} // namespace

TEST(Package, InstallsVerifiesAndRunsFromTheUsersDataHome)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "installing a package into the system needs root";
    const QString build = qEnvironmentVariable("CIRROLITH_BUILD_DIR");
    ASSERT_FALSE(build.isEmpty());

    // The package, as `make package` builds it.
    QTemporaryDir out;
    const Outcome cpack = run(QStringLiteral("cpack"), {"-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", out.path()});
    ASSERT_EQ(cpack.code, 0) << cpack.output.toStdString();
    const QStringList debs = QDir(out.path()).entryList({"cirrolith_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << cpack.output.toStdString();
    const QString deb = out.filePath(debs[0]);

    const Outcome contents = run(QStringLiteral("dpkg-deb"), {"-c", deb});
    for (const char *file : {"./usr/bin/cirrolith", "./usr/lib/cirrolith/cirrolith-page",
                             "./usr/share/cirrolith/pic_not_available.gif",
                             "./usr/share/cirrolith/Cirrolith.html", "./usr/share/applications/cirrolith.desktop",
                             "./usr/share/icons/hicolor/128x128/apps/cirrolith.png",
                             "./usr/share/man/man1/cirrolith.1.gz", "./usr/lib/systemd/user/cirrolith.service",
                             "./usr/lib/systemd/system/cirrolith-kiosk@.service"})
        EXPECT_TRUE(contents.output.contains(QLatin1String(file))) << file;

    PackageInstall install(deb);
    ASSERT_EQ(install.result().code, 0) << install.result().output.toStdString();

    // systemd has nothing to say about either unit (an unknown key is only
    // a warning, so any output fails).
    for (const QStringList &args :
         {QStringList{"verify", "/usr/lib/systemd/user/cirrolith.service"},
          QStringList{"verify", "cirrolith-kiosk@kiosk.service"}}) {
        const Outcome verify = run(QStringLiteral("systemd-analyze"), args);
        EXPECT_EQ(verify.code, 0) << args.join(' ').toStdString() << "\n" << verify.output.toStdString();
        EXPECT_EQ(verify.output.trimmed().toStdString(), "") << args.join(' ').toStdString();
    }
    EXPECT_EQ(run(QStringLiteral("man"), {"-w", "cirrolith"}).output.trimmed(),
              QStringLiteral("/usr/share/man/man1/cirrolith.1.gz"));

    // A user's data home with a second start's settings and a partial file
    // that a power cut left in the work folder.
    TempPortable home(QStringLiteral("/cirrolith"));
    home.writeSecondStart();
    home.write(QStringLiteral(".Cirrolith4_Img.jpg.h9gyfz"), "half a picture");
    home.write(QStringLiteral(".notes.txt"), "the user's own");
    DemoServers servers;
    ASSERT_TRUE(servers.start()) << servers.errorText();

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home.base());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("QT_LOGGING_RULES", "cirrolith.*.info=true");
    env.insert("CIRROLITH_CATALOGUE_URL", servers.catalogueAddress());
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    // As the desktop entry starts it: by name, from PATH.
    program.start(QStringLiteral("cirrolith"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QString log;
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired() && program.state() == QProcess::Running &&
           !log.contains(QLatin1String("cirrolith.show: slide set ready"))) {
        program.waitForReadyRead(200);
        log += QString::fromUtf8(program.readAll());
    }
    ASSERT_TRUE(log.contains(QLatin1String("cirrolith.show: slide set ready"))) << log.toStdString();

    EXPECT_TRUE(log.contains("cirrolith.run: installed program; its folders are under " + home.root())) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("cirrolith.catalogue: the catalogue server answered the probe"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("cirrolith.screen: screen "))) << log.toStdString();
    EXPECT_EQ(QFileInfo(home.appDir() + "/cirrolith").symLinkTarget(), QStringLiteral("/usr/bin/cirrolith"));
    EXPECT_EQ(QFileInfo(home.appDir() + "/pic_not_available.gif").symLinkTarget(),
              QStringLiteral("/usr/share/cirrolith/pic_not_available.gif"));
    EXPECT_TRUE(QFileInfo(home.root() + "/Data/Cirrolith_SlideShow").isDir());
    EXPECT_TRUE(QFileInfo(home.root() + "/Data/Cirrolith_Collections").isDir());
    EXPECT_FALSE(home.exists(QStringLiteral(".Cirrolith4_Img.jpg.h9gyfz"))) << "the partial file is swept";
    EXPECT_TRUE(home.exists(QStringLiteral(".notes.txt"))) << "other files stay";
    EXPECT_TRUE(log.contains(QLatin1String("cirrolith.run: removed 1 partial file(s)"))) << log.toStdString();

    // systemctl stop: SIGTERM ends it at once with status 0, so the unit's
    // restart on failure does not start it again.
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(10000));
    log += QString::fromUtf8(program.readAll());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(log.contains(QLatin1String("cirrolith.run: quitting: termination signal"))) << log.toStdString();
}
