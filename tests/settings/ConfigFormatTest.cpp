#include "settings/ConfigFile.h"
#include "settings/PictureListFile.h"
#include "settings/SettingsMessages.h"

#include <gtest/gtest.h>

TEST(ConfigFormat, WritesThreeOrFourValuesAndTheEndMark)
{
    EXPECT_EQ(formatConfig({"15", "4", "Full_Screen", ""}), QByteArray("15\r\n4\r\nFull_Screen\r\n\r\n\r\n"));
    EXPECT_EQ(formatConfig({"20", "7", "Normal", "C:/Pictures/Cervino è.jpg"}),
              QByteArray("20\r\n7\r\nNormal\r\nC:/Pictures/Cervino \xe8.jpg\r\n\r\n\r\n"));
    // Anything that is not exactly the full-screen word is stored as normal.
    EXPECT_EQ(formatConfig({"15", "4", "full_screen", ""}), QByteArray("15\r\n4\r\nNormal\r\n\r\n\r\n"));

    auto v = parseConfig("15\r\n4\r\nFull_Screen\r\n\r\n\r\n");
    EXPECT_TRUE(v.complete());
    EXPECT_EQ(v.values.ownPicture, "");
    EXPECT_EQ(v.values.displayMode, "Full_Screen");
    v = parseConfig("20\r\n7\r\nNormal\r\nC:/Pictures/Cervino \xe8.jpg\r\n\r\n\r\n");
    EXPECT_TRUE(v.complete());
    EXPECT_EQ(v.values.ownPicture, QString::fromUtf8("C:/Pictures/Cervino è.jpg"));

    // A short or damaged file keeps what it holds; the rest are the defaults.
    v = parseConfig("20\r\n");
    EXPECT_EQ(v.values.downloadMinutes, "20");
    EXPECT_EQ(v.values.slideSeconds, "4");
    EXPECT_EQ(v.values.displayMode, "Full_Screen");
    EXPECT_EQ(v.defaulted, QStringList({"slide timer", "display mode", "own picture"}));
    v = parseConfig("\r\n9\r\nNormal\r\n\r\n");
    EXPECT_EQ(v.values.downloadMinutes, "15");
    EXPECT_EQ(v.values.slideSeconds, "9");
    EXPECT_EQ(v.values.displayMode, "Normal");
    EXPECT_EQ(v.defaulted, QStringList{"download timer"});
    EXPECT_EQ(parseConfig("").defaulted.size(), 4);
}

TEST(ConfigFormat, NumericMeansWhatTheUserCanType)
{
    for (const char *yes : {"15", " 20 ", "15.5", "+3", "-1", ".5", "1e3", "2.E1"})
        EXPECT_TRUE(isNumeric(QString::fromLatin1(yes))) << yes;
    for (const char *no : {"", " ", "abc", "15a", "1.2.3", "e5", "--1", "1 5", "1e999"})
        EXPECT_FALSE(isNumeric(QString::fromLatin1(no))) << no;
    // A damaged file's run of digits is no reload period to write back.
    EXPECT_FALSE(isNumeric(QString(10'000'000, u'9')));
    EXPECT_EQ(checkTimers(QString(10'000'000, u'9'), "4").downloadMinutes, "15");
}

TEST(ConfigFormat, TimerCorrectionsAndTheirOrder)
{
    auto c = checkTimers("10", "4");
    EXPECT_EQ(c.downloadMinutes, "15");
    EXPECT_EQ(c.problems, std::vector{TimerProblem::DownloadTooSmall});

    c = checkTimers("abc", "4");
    EXPECT_EQ(c.downloadMinutes, "15");
    EXPECT_EQ(c.problems, std::vector{TimerProblem::DownloadNotNumeric}) << "one message only";

    c = checkTimers("15.5", "0");
    EXPECT_EQ(c.downloadMinutes, "15.5") << "kept as typed";
    EXPECT_EQ(c.slideSeconds, "1");
    EXPECT_EQ(c.problems, std::vector{TimerProblem::SlideTooSmall});

    c = checkTimers("", "");
    EXPECT_EQ(c.downloadMinutes, "15");
    EXPECT_EQ(c.slideSeconds, "1");
    EXPECT_EQ(c.problems, (std::vector{TimerProblem::DownloadNotNumeric, TimerProblem::SlideNotNumeric}));

    c = checkTimers("-20", "0.5");
    EXPECT_EQ(c.problems, (std::vector{TimerProblem::DownloadTooSmall, TimerProblem::SlideTooSmall}));

    c = checkTimers(" 30 ", "2");
    EXPECT_EQ(c.downloadMinutes, " 30 ");
    EXPECT_TRUE(c.problems.empty());
}

TEST(ConfigFormat, MessagesExistInFourLanguagesOnly)
{
    EXPECT_FALSE(timerMessage(TimerProblem::DownloadTooSmall, 999).has_value());
    EXPECT_FALSE(timerMessage(TimerProblem::DownloadTooSmall, 0).has_value());
    EXPECT_FALSE(configWriteFailureMessage(5).has_value());
    EXPECT_EQ(timerMessage(TimerProblem::SlideTooSmall, 2)->text, "Timer Slde Show troppo corto.");
    EXPECT_EQ(timerMessage(TimerProblem::SlideTooSmall, 2)->title, "Attenzione!");
    EXPECT_EQ(timerMessage(TimerProblem::DownloadNotNumeric, 3)->text,
              QString::fromUtf8("Intervalle de téléchargement invalide."));
    EXPECT_EQ(timerMessage(TimerProblem::DownloadNotNumeric, 3)->title, "Attention !");
    EXPECT_EQ(timerMessage(TimerProblem::SlideNotNumeric, 4)->text,
              QString::fromUtf8("Temporizador Slide Espectáculo no vadea."));
    EXPECT_EQ(*configWriteFailureMessage(4),
              QString::fromUtf8("ERROR DURANTE LA ESCRITURA DEL EXPEDIENTE DE CONFIGURACIÓN!"));
}

TEST(PictureListFormat, EntriesThenTheEndMark)
{
    EXPECT_EQ(formatPictureList(defaultPictureList()),
              QByteArray("0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n"));
    EXPECT_EQ(formatPictureList({}), QByteArray("\r\n\r\n"));

    auto e = parsePictureList("3\r\n101\r\n7\r\n205\r\n\r\n\r\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1].position, 7);
    EXPECT_EQ(e[1].id, "205");

    // No end mark: the end of the file ends the read.
    EXPECT_EQ(parsePictureList("3\r\n101").size(), 1u);
    // A damaged position line ends the read there.
    e = parsePictureList("3\r\n101\r\nx7\r\n205\r\n9\r\n1\r\n");
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].position, 3);

    EXPECT_TRUE(pictureListFirstLineEmpty("\r\n\r\n"));
    EXPECT_TRUE(pictureListFirstLineEmpty(""));
    EXPECT_FALSE(pictureListFirstLineEmpty("0\r\n14\r\n"));
}
