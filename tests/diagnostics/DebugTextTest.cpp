// The list dump and the list viewer's cards, from the state alone.
#include "diagnostics/DebugText.h"

#include <gtest/gtest.h>

#include <memory>

using namespace diagnostics;

TEST(DebugDump, NineBlocksOfSixEntriesEmptyOnesIncluded)
{
    auto s = std::make_unique<AppState>();
    s->listIdCopyright[0] = 3;
    s->listIdCopyright[1] = -1;
    s->listIdCopyright[6] = 99;   // past the sixth entry: not dumped
    s->listCopyright[0] = "A-Radar by X-200";
    s->listOLDImageSELECTED[1] = "1ttp://old/b.jpg";
    s->listImageSELECTED[0] = "4ttp://new/a.gif";
    s->listIMAGEnotLoaded[2] = true;
    s->listURLcomment[5] = "last comment";
    s->listURLnameOnly[0] = "a.gif";
    s->listURL[0] = "4ttp://new/a.gif";
    s->listURL[6] = "never shown";
    s->listData[0] = "NWX_REPLY_TO_CLIENT";
    s->listData[3] = "ERR";

    const QString expected =
        "Debug Array\r\n\r\n"
        "listIdCopyright\r\n3 | -1 | 0 | 0 | 0 | 0 | \r\n"
        "listCopyright\r\nA-Radar by X-200\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
        "listOLDImageSELECTED\r\n\r\n1ttp://old/b.jpg\r\n\r\n\r\n\r\n\r\n\r\n"
        "listImageSELECTED\r\n4ttp://new/a.gif\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
        "listIMAGEnotLoaded\r\nFalse | False | True | False | False | False | \r\n"
        "listURLcomment\r\n\r\n\r\n\r\n\r\n\r\nlast comment\r\n\r\n"
        "listURLnameOnly\r\na.gif\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
        "listURL\r\n4ttp://new/a.gif\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
        "listData\r\nNWX_REPLY_TO_CLIENT |  |  | ERR |  |  | \r\n";
    EXPECT_EQ(debugDump(*s).toStdString(), expected.toStdString());
}

TEST(ListViewer, CardsCarryTheirNameAndSixteenEntries)
{
    auto s = std::make_unique<AppState>();
    for (int i = 0; i < 20; ++i) {
        s->listURL[i] = QStringLiteral("u%1").arg(i);
        s->listImageTime[i] = static_cast<std::int16_t>(100 + i);
    }
    s->listIMAGEnotLoaded[15] = true;
    s->ItemsCodePic[0] = "code";

    const QString url = viewerCaption(*s, 1);
    EXPECT_TRUE(url.startsWith("listURL\r\n 0 u0\r\n 1 u1\r\n"));
    EXPECT_TRUE(url.endsWith("\r\n 15 u15"));
    EXPECT_EQ(url.count("\r\n"), 16);
    EXPECT_TRUE(viewerCaption(*s, 3).contains("\r\n 7 107\r\n"));
    EXPECT_TRUE(viewerCaption(*s, 9).endsWith("\r\n 14 False\r\n 15 True"));
    EXPECT_TRUE(viewerCaption(*s, 8).startsWith("ItemsCodePic\r\n 0 code\r\n 1 \r\n"));
    // Empty texts still give their line.
    EXPECT_TRUE(viewerCaption(*s, 0).endsWith("\r\n 14 \r\n 15 "));
    // The pictures' card shows its name only.
    EXPECT_EQ(viewerCaption(*s, kPictureCard), "listIMAGE");

    const char *const names[] = {"listData", "listURL", "listImageProperties", "listImageTime",
                                 "listURLnameOnly", "listURLcomment", "listIdUrl", "listIMAGE",
                                 "ItemsCodePic", "listIMAGEnotLoaded", "listImageSELECTED",
                                 "listOLDImageSELECTED", "listCopyright"};
    for (int i = 0; i < kViewerLists; ++i)
        EXPECT_TRUE(viewerCaption(*s, i).startsWith(QString::fromLatin1(names[i]))) << i;
}

TEST(ListViewer, DeckIsFannedToTheLowerRight)
{
    EXPECT_EQ(cardPlace(0).left, 120);
    EXPECT_EQ(cardPlace(0).top, 120);
    EXPECT_EQ(cardPlace(12).left, 3000);
    EXPECT_EQ(cardPlace(12).top, 3000);
    EXPECT_EQ(cardPlace(5).width, 13455);
    EXPECT_EQ(cardPlace(5).height, 3135);
}
