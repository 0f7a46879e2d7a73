#include "collections/CollectionFile.h"

#include <gtest/gtest.h>

using namespace collection;

namespace {

const Stamp kStamp = stampFor(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2)));

} // namespace

TEST(CollectionCodes, BothRulesTakeTheSecondWordOfOrdinaryDescriptions)
{
    EXPECT_EQ(CodeForCollection(" - SAT Europe infrared"), "Europe");
    EXPECT_EQ(CodeForMatch(" - SAT Europe infrared"), "Europe");
    EXPECT_EQ(CodeForCollection(" - RADAR Alps"), "Alps");
    // Saving drops "-" from the code, matching keeps it.
    EXPECT_EQ(CodeForCollection(" - MAP North-East now"), "NorthEast");
    EXPECT_EQ(CodeForMatch(" - MAP North-East now"), "North-East");
    // A one-letter first word: both rules still take the second word, and a
    // saved code without "-" matches the item it came from.
    EXPECT_EQ(CodeForCollection(" - A B-C D"), "BC");
    EXPECT_EQ(CodeForMatch(" - A B-C D"), "B-C");
    EXPECT_TRUE(codesMatch(CodeForMatch(" - A B-C D"), CodeForCollection(" - A B-C D")));
    EXPECT_TRUE(codesMatch("North-East", "NorthEast"));
    EXPECT_FALSE(codesMatch("NorthEast", "North"));
    // No second word.
    EXPECT_EQ(CodeForCollection(" - Lonely"), "");
    EXPECT_EQ(CodeForMatch(" - Lonely"), "");
}

TEST(CollectionStamp, IsMonthDayYearAndTimeWithoutSeparators)
{
    EXPECT_EQ(kStamp.compact, "03072024_090502");
    EXPECT_EQ(kStamp.date, "03-07-2024");
    EXPECT_EQ(kStamp.time, "09:05:02");
    EXPECT_EQ(stampFor(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))).compact, "12311999_235959");
    EXPECT_EQ(fileName(kStamp, ".xml"), "Cirrolith_Collection_03072024_090502.xml");
}

TEST(CollectionFormat, WritesTheFileByteForByte)
{
    const QByteArray expected =
        "<?xml version=\"1.0\"?>\r\n"
        "<CirrolithCollection>\r\n"
        "\t<CirrolithVersion>5</CirrolithVersion>\r\n"
        "\t<Description>Cirrolith5 Pictures Collection</Description>\r\n"
        "\t<number>00001</number>\r\n"
        "\t<ThisFile>Cirrolith_Collection_03072024_090502.xml</ThisFile>\r\n"
        "\t<Autor>Created by User</Autor>\r\n"
        "\t<date>03-07-2024 09:05:02</date>\r\n"
        "\t<PicList>\r\n"
        "\t\t<PicItem>\r\n"
        "\t\t\t<CodePic>Europe</CodePic>\r\n"
        "\t\t\t<Description> - SAT Europe & <Alps></Description>\r\n"
        "\t\t</PicItem>\r\n"
        "\t\t<PicItem>\r\n"
        "\t\t\t<CodePic>NorthEast</CodePic>\r\n"
        "\t\t\t<Description> - MAP North-East \xe9t\xe9</Description>\r\n"
        "\t\t</PicItem>\r\n"
        "\t</PicList>\r\n"
        "</CirrolithCollection>\r\n";
    QByteArray withMarks = expected;
    withMarks.replace("& <Alps>", "_ _Alps_");
    EXPECT_EQ(formatCollection(kStamp, {" - SAT Europe & <Alps>", QString::fromUtf8(" - MAP North-East été")}),
              withMarks);

    const QByteArray empty = formatCollection(kStamp, {});
    EXPECT_TRUE(empty.endsWith("\t<PicList>\r\n\t</PicList>\r\n</CirrolithCollection>\r\n"));
}

TEST(CollectionRead, GivesBackTheCodesOfItsOwnFiles)
{
    const auto codes = readCodes(formatCollection(
        kStamp, {" - SAT Europe & co", QString::fromUtf8(" - MAP Nord-Est été"), " - RADAR Alps",
                 " - W A&B<C>"}));
    ASSERT_TRUE(codes) << "a code with markup characters keeps the file well-formed";
    EXPECT_EQ(*codes, QStringList({"Europe", "NordEst", "Alps", "A&B<C>"}));
}

TEST(CollectionRead, TakesOnlyFullCodePicElementsAndStopsAtAnEmptyItem)
{
    const QByteArray xml =
        "<?xml version=\"1.0\"?><C><PicList>"
        "<PicItem><Description>x</Description><CodePic>  Alps </CodePic></PicItem>"
        "<PicItem><CodePic/></PicItem>"
        "<PicItem><CodePic kind=\"a\">Attr</CodePic><Other>Europe</Other></PicItem>"
        "<Nested><PicItem><CodePic>Deep</CodePic></PicItem></Nested>"
        "<PicItem>just text</PicItem>"
        "<PicItem><CodePic>AfterTheEnd</CodePic></PicItem>"
        "</PicList></C>";
    const auto codes = readCodes(xml);
    ASSERT_TRUE(codes);
    EXPECT_EQ(*codes, QStringList({"Alps", "Deep"}));

    const auto none = readCodes("<?xml version=\"1.0\"?><C><Other/></C>");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

TEST(CollectionRead, RefusesMalformedOversizedAndEntityLadenDocuments)
{
    EXPECT_FALSE(readCodes("<?xml version=\"1.0\"?><C><PicItem><CodePic>Alps</PicItem></C>"));
    EXPECT_FALSE(readCodes(""));
    EXPECT_FALSE(readCodes("not xml at all"));

    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE C [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'j'; ++c) {
        const QByteArray previous = QByteArray("&") + char(c - 1) + ';';
        laughs += QByteArray("<!ENTITY ") + c + " \"" + previous.repeated(10) + "\">\n";
    }
    laughs += "]>\n<C><PicItem><CodePic>&j;</CodePic></PicItem></C>";
    EXPECT_FALSE(readCodes(laughs));

    const QByteArray external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE C [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>\n"
        "<C><PicItem><CodePic>&x;</CodePic></PicItem></C>";
    EXPECT_FALSE(readCodes(external));

    QByteArray big = "<?xml version=\"1.0\"?><C><PicItem><CodePic>Alps</CodePic></PicItem><Pad>";
    big += QByteArray(kMaxFileBytes, 'x');
    big += "</Pad></C>";
    EXPECT_FALSE(readCodes(big));
}

TEST(CollectionRead, RefusesNestingDeeperThanTheLimit)
{
    // `levels` elements deep, with the one PicItem at the bottom; a byte of
    // the settings code page ("\xE9") keeps the file from being UTF-8.
    auto nested = [](int levels) {
        const int wrappers = levels - 2;
        return QByteArray("<?xml version=\"1.0\"?>") + QByteArray("<n>").repeated(wrappers) +
               "<PicItem><CodePic>Alps</CodePic><Description>caf\xE9</Description></PicItem>" +
               QByteArray("</n>").repeated(wrappers);
    };
    EXPECT_EQ(readCodes(nested(kMaxNesting)), QStringList{QStringLiteral("Alps")});
    EXPECT_FALSE(readCodes(nested(kMaxNesting + 1)));
    // Deep enough to hold the window for seconds if it reached the DOM.
    EXPECT_FALSE(readCodes(nested(40000)));
    EXPECT_FALSE(readCodes(QByteArray("<n>").repeated(200000)));
}
