// The package as Debian's own checker sees it: no error and no warning for
// the package or its debug symbols, the symbols found by the binary's build
// id, and the packaged program answering --version and --help without a
// display, with every word of its help in the man page.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

Outcome run(const QString &program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome r;
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished(3000);
        r.err = QStringLiteral("timed out: ") + program;
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

TEST(Lintian, PackageAndDebugSymbolsPassDebiansChecks)
{
    if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
        GTEST_SKIP() << "lintian is not installed (make test installs it)";
    const QString build = qEnvironmentVariable("CIRROLITH_BUILD_DIR");
    ASSERT_FALSE(build.isEmpty());

    QTemporaryDir out;
    const Outcome cpack = run(QStringLiteral("cpack"), {"-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", out.path()});
    ASSERT_EQ(cpack.code, 0) << cpack.out.toStdString() << cpack.err.toStdString();
    const QStringList debs = QDir(out.path()).entryList({"cirrolith_*.deb", "cirrolith-dbgsym_*.ddeb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 2) << cpack.out.toStdString();
    const QString deb = out.filePath(debs.filter(QStringLiteral(".deb")).value(0));
    const QString ddeb = out.filePath(debs.filter(QStringLiteral(".ddeb")).value(0));

    const Outcome lint = run(QStringLiteral("lintian"), {"--fail-on", "error,warning", deb, ddeb});
    EXPECT_EQ(lint.code, 0) << lint.out.toStdString() << lint.err.toStdString();
    for (const QString &line : lint.out.split(u'\n'))
        EXPECT_FALSE(line.startsWith(QLatin1String("E:")) || line.startsWith(QLatin1String("W:"))) << line.toStdString();

    // The stripped binary names its symbols by build id; the dbgsym package has them.
    const QString root = out.filePath(QStringLiteral("root"));
    ASSERT_EQ(run(QStringLiteral("dpkg-deb"), {"-x", deb, root}).code, 0);
    ASSERT_EQ(run(QStringLiteral("dpkg-deb"), {"-x", ddeb, root}).code, 0);
    const QString binary = root + QStringLiteral("/usr/bin/cirrolith");
    const QString notes = run(QStringLiteral("readelf"), {"-n", binary}).out;
    const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("Build ID: ([0-9a-f]{2})([0-9a-f]+)")).match(notes);
    ASSERT_TRUE(id.hasMatch()) << notes.toStdString();
    const QString debugFile = QStringLiteral("%1/usr/lib/debug/.build-id/%2/%3.debug").arg(root, id.captured(1), id.captured(2));
    EXPECT_TRUE(QFile::exists(debugFile)) << debugFile.toStdString();
    EXPECT_FALSE(run(QStringLiteral("readelf"), {"-S", "-W", binary}).out.contains(QLatin1String(".symtab")));

    // Without a display, before any window.
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        bare.remove(QLatin1String(name));
    const Outcome version = run(binary, {"--version"}, bare);
    EXPECT_EQ(version.code, 0) << version.err.toStdString();
    EXPECT_EQ(version.out, QStringLiteral("cirrolith " CIRROLITH_TEST_VERSION "\n"));
    const Outcome help = run(binary, {"--help"}, bare);
    ASSERT_EQ(help.code, 0) << help.err.toStdString();

    // Every option, word and variable the help lists is in the man page.
    const QString man = run(QStringLiteral("gzip"), {"-dc", root + "/usr/share/man/man1/cirrolith.1.gz"})
                            .out.replace(QLatin1String("\\-"), QLatin1String("-"));
    ASSERT_FALSE(man.isEmpty());
    QStringList listed;
    static const QRegularExpression entry(QStringLiteral("^  (?:-h, )?(--[a-z]+|[A-Z][A-Z_]+(?:=N)?)\\s"),
                                          QRegularExpression::MultilineOption);
    for (auto it = entry.globalMatch(help.out); it.hasNext();)
        listed << it.next().captured(1);
    EXPECT_GE(listed.size(), 9) << help.out.toStdString();
    for (const QString &word : listed)
        EXPECT_TRUE(man.contains(word)) << word.toStdString() << " is in --help but not in the man page";
}
