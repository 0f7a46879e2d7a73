#include "catalogue/CatalogueAddress.h"
#include "state/CommandLine.h"
#include "core/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CommandLine, WordsAreSeparatedByDashesOnly)
{
    auto s = splitDashWords(QStringLiteral("-DEBUG_CODE-NOSILENT"), 10, 9);
    EXPECT_FALSE(s.tooManyDashes);
    ASSERT_EQ(s.words.size(), 10);
    EXPECT_EQ(s.words[0], "");
    EXPECT_EQ(s.words[1], "DEBUG_CODE");
    EXPECT_EQ(s.words[2], "NOSILENT");
    auto o = recogniseWords(s.words, 10);
    EXPECT_TRUE(o.debug);
    EXPECT_TRUE(o.noSilent);
    EXPECT_FALSE(o.localhost);

    // Case matters, and a blank sticks to the word before it.
    o = recogniseWords(splitDashWords(QStringLiteral("-debug_code-nosilent"), 10, 9).words, 10);
    EXPECT_FALSE(o.debug || o.noSilent);
    s = splitDashWords(QStringLiteral("-DEBUG_CODE -NOSILENT"), 10, 9);
    EXPECT_EQ(s.words[1], "DEBUG_CODE ");
    o = recogniseWords(s.words, 10);
    EXPECT_FALSE(o.debug);
    EXPECT_TRUE(o.noSilent);
}

TEST(CommandLine, TooManyDashesKeepTheWordsBefore)
{
    // Ten dashes: the tenth would open an eleventh word.
    auto s = splitDashWords(QStringLiteral("-A-B-C-D-E-F-G-H-LOCALHOST-DEBUG_CODE"), 10, 9);
    EXPECT_TRUE(s.tooManyDashes);
    EXPECT_EQ(s.words[9], "LOCALHOST");
    auto o = recogniseWords(s.words, 10);
    EXPECT_TRUE(o.localhost);
    EXPECT_FALSE(o.debug);

    // The short form: six words, at most four dashes.
    s = splitDashWords(QStringLiteral("credit-99-x-y-z-extra"), 6, 4);
    EXPECT_TRUE(s.tooManyDashes);
    EXPECT_EQ(s.words.size(), 6);
    EXPECT_EQ(s.words[0], "credit");
    EXPECT_EQ(s.words[1], "99");
    EXPECT_EQ(s.words[4], "z");
    EXPECT_EQ(s.words[5], "");
    s = splitDashWords(QStringLiteral("credit-99"), 6, 4);
    EXPECT_FALSE(s.tooManyDashes);

    EXPECT_EQ(commandLineText({"prog", "-LOCALHOST", "-NOSILENT"}), "-LOCALHOST -NOSILENT");
    EXPECT_EQ(commandLineText({"prog"}), "");
}

TEST(Folders, PortableRootDropsTheProgramSubfolder)
{
    auto r = portableRootFor(QStringLiteral("/opt/weather/App/Cirrolith"));
    EXPECT_TRUE(r.conforming);
    EXPECT_EQ(r.path, "/opt/weather");
    auto f = WorkFolders::under(r.path);
    EXPECT_EQ(f.work, "/opt/weather/Data/Cirrolith_Work");
    EXPECT_EQ(f.slideShow, "/opt/weather/Data/Cirrolith_SlideShow");
    EXPECT_EQ(f.collections, "/opt/weather/Data/Cirrolith_Collections");
    EXPECT_EQ(f.workPrefix, "/opt/weather/Data/Cirrolith_Work/");
    EXPECT_EQ(f.pictureStem, "/opt/weather/Data/Cirrolith_Work/Cirrolith4_Img");

    r = portableRootFor(QStringLiteral("/opt/weather/app/cirrolith"));
    EXPECT_FALSE(r.conforming);
    EXPECT_EQ(r.path, "/opt/weather/app/cirrolith");
    r = portableRootFor(QStringLiteral("/opt/App/CirrolithX"));
    EXPECT_FALSE(r.conforming);
}

// A removed package leaves the user's links dangling; a program installed
// again under another prefix points them at itself and names each one.
TEST(Folders, PerUserLinksAreMendedAfterTheProgramMoved)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString prefix = tmp.path() + QStringLiteral("/opt");
    ASSERT_TRUE(QDir().mkpath(prefix + "/bin") && QDir().mkpath(prefix + "/share/cirrolith"));
    for (const char *file : {"/bin/cirrolith", "/share/cirrolith/pic_not_available.gif", "/share/cirrolith/Cirrolith.html"}) {
        QFile f(prefix + file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const auto layout = installedLayoutFor(prefix + "/bin");
    ASSERT_TRUE(layout.has_value());

    const QString dataHome = tmp.path() + QStringLiteral("/home");
    const QString app = dataHome + QStringLiteral("/cirrolith/App/Cirrolith");
    ASSERT_TRUE(QDir().mkpath(app));
    for (const char *name : {"cirrolith", "pic_not_available.gif", "Cirrolith.html"})
        ASSERT_TRUE(QFile::link(QStringLiteral("/usr/removed/") + name, app + '/' + name));

    QString error;
    QStringList mended;
    EXPECT_EQ(preparePerUserRoot(*layout, prefix + "/bin/cirrolith", dataHome, &error, &mended), app) << error.toStdString();
    EXPECT_EQ(mended.size(), 3) << mended.join('\n').toStdString();
    EXPECT_TRUE(mended.join(' ').contains("/usr/removed/cirrolith")) << mended.join('\n').toStdString();
    EXPECT_EQ(QFileInfo(app + "/cirrolith").symLinkTarget(), prefix + "/bin/cirrolith");
    EXPECT_EQ(QFileInfo(app + "/Cirrolith.html").symLinkTarget(), prefix + "/share/cirrolith/Cirrolith.html");
    EXPECT_TRUE(QFileInfo::exists(app + "/pic_not_available.gif"));

    // Links that are right stay as they are, and nothing is said.
    mended.clear();
    EXPECT_EQ(preparePerUserRoot(*layout, prefix + "/bin/cirrolith", dataHome, &error, &mended), app);
    EXPECT_TRUE(mended.isEmpty()) << mended.join('\n').toStdString();
}

TEST(CatalogueAddress, LocalhostKeepsThePath)
{
    EXPECT_EQ(onLocalMachine(QStringLiteral("http://weather.example.org/public/catalogue?")),
              "http://127.0.0.1:8473/public/catalogue?");
    EXPECT_EQ(onLocalMachine(QStringLiteral("http://127.0.0.1:9000/x/catalogue?")),
              "http://127.0.0.1:8473/x/catalogue?");
    EXPECT_EQ(webRootOf(QStringLiteral("http://h.example:81/public/catalogue?")), "http://h.example:81");
}

TEST(CommandLineHelp, AskedOnlyByItsOwnArgument)
{
    EXPECT_TRUE(wantsHelp({"cirrolith", "--help"}));
    EXPECT_TRUE(wantsHelp({"cirrolith", "-LOCALHOST", "-h"}));
    EXPECT_FALSE(wantsHelp({"cirrolith"}));
    EXPECT_FALSE(wantsHelp({"--help"}));                 // the program's own name
    EXPECT_FALSE(wantsHelp({"cirrolith", "-LOCALHOST-h"}));
    EXPECT_FALSE(wantsHelp({"cirrolith", "--helpme"}));
    EXPECT_TRUE(wantsVersion({"cirrolith", "-LOCALHOST", "--version"}));
    EXPECT_FALSE(wantsVersion({"cirrolith", "-LOCALHOST--version"}));

    const QString text = helpText(QStringLiteral("cirrolith"));
    for (const char *needed : {"LOCALHOST", "DEBUG_CODE", "NOSILENT", "cirrolith -LOCALHOST-DEBUG_CODE",
                               "CIRROLITH_CATALOGUE_URL", CIRROLITH_CATALOGUE_URL})
        EXPECT_TRUE(text.contains(QLatin1String(needed))) << needed;
    // The example is written the way the words are split.
    const SplitWords example = splitDashWords(QStringLiteral("-LOCALHOST-DEBUG_CODE"), 10, 9);
    const CommandLineOptions options = recogniseWords(example.words, 10);
    EXPECT_TRUE(options.localhost && options.debug);
}
