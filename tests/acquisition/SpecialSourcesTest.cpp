// Addresses of web pages with home-town values and of numbered series,
// without a window or a network.
#include "acquisition/SpecialSources.h"

#include <gtest/gtest.h>

using namespace acquisition;

namespace {

TownParameters town()
{
    TownParameters p;
    for (int i = 0; i < 14; ++i)
        p[i] = QStringLiteral("v%1").arg(i + 1);
    p[0] = QStringLiteral("New York");
    p[1] = QStringLiteral("us&x");
    return p;
}

} // namespace

TEST(TownPage, TagsAreReplacedUnencodedAndTheFirstLetterBecomesH)
{
    const TownParameters p = town();
    EXPECT_EQ(townPageAddress("3ttp://h/t.html?town=<p01>&c=<p02>", p), "http://h/t.html?town=New York&c=us&x");
    // The same tag twice, the last tag, and a tag at the very end.
    EXPECT_EQ(townPageAddress("3ttp://h/<p02>/<p02>?z=<p14>", p), "http://h/us&x/us&x?z=v14");
    EXPECT_EQ(townPageAddress("httpx", p), "httpx");
    EXPECT_EQ(townPageAddress("3", p), "h");
    EXPECT_EQ(townPageAddress("", p), "h");
}

TEST(TownPage, ALessThanThatStartsNoTagTakesFiveCharactersAndRepeatsTheLastValue)
{
    const TownParameters p = town();
    // Before any tag: nothing is inserted, five characters are gone.
    EXPECT_EQ(townPageAddress("3ttp://h/?a<b>cdef&t=<p03>", p), "http://h/?aef&t=v3");
    // After a tag: that tag's value again.
    EXPECT_EQ(townPageAddress("3ttp://h/?t=<p03>&u=<p15>&w=<P01>!", p), "http://h/?t=v3&u=v3&w=v3!");
    EXPECT_EQ(townPageAddress("3ttp://h/?t=<p00>x", p), "http://h/?t=x");
    // Near the end the "<" takes what is left.
    EXPECT_EQ(townPageAddress("3ttp://h/<p04>/<p0", p), "http://h/v4/v4");
    // Digits must be ASCII digits.
    EXPECT_EQ(townPageAddress(QString::fromUtf8("3ttp://h/<p\xD9\xA1\xD9\xA1>."), p), "http://h/.");
}

TEST(Series, AddressesByteForByte)
{
    const SeriesParse parsed = parseSeries("5ttp://127.0.0.1:81/sat/seq-*.jpg,8,1,3,2");
    ASSERT_TRUE(parsed.entry);
    EXPECT_EQ(parsed.entry->prefix, "127.0.0.1:81/sat/seq-");
    EXPECT_EQ(parsed.entry->suffix, ".jpg");
    EXPECT_EQ(seriesAddresses(*parsed.entry, 2001),
              QStringList({"http://127.0.0.1:81/sat/seq-08.jpg", "http://127.0.0.1:81/sat/seq-09.jpg",
                           "http://127.0.0.1:81/sat/seq-10.jpg"}));

    // Width 0 or not a number: no padding; steps may go down; a number that
    // is no number counts as 0; fields are read as far as they are numeric.
    EXPECT_EQ(seriesAddresses(*parseSeries("5ttp://h/*,8,-4,3,0").entry, 10),
              QStringList({"http://h/8", "http://h/4", "http://h/0"}));
    EXPECT_EQ(seriesAddresses(*parseSeries("5ttp://h/a*b,x,2,2,w").entry, 10),
              QStringList({"http://h/a0b", "http://h/a2b"}));
    EXPECT_EQ(seriesAddresses(*parseSeries("5ttp://h/*.png, 7kg,1,2,3").entry, 10),
              QStringList({"http://h/007.png", "http://h/008.png"}));
    EXPECT_EQ(seriesNumberText(-5, 3), "0-5");
    EXPECT_EQ(seriesNumberText(12345, 2), "12345");
}

TEST(Series, CountsAndRangesThatLoadNothingOrEndEarly)
{
    EXPECT_TRUE(seriesAddresses(*parseSeries("5ttp://h/*.jpg,1,1,0,2").entry, 10).isEmpty());
    EXPECT_TRUE(seriesAddresses(*parseSeries("5ttp://h/*.jpg,1,1,-3,2").entry, 10).isEmpty());
    // No slot past the end: the caller's room limits the pictures.
    EXPECT_EQ(seriesAddresses(*parseSeries("5ttp://h/*.jpg,1,1,5,0").entry, 2).size(), 2);
    EXPECT_TRUE(seriesAddresses(*parseSeries("5ttp://h/*.jpg,1,1,5,0").entry, 0).isEmpty());
    // 32767 is the last number a series reaches; the next one ends it.
    EXPECT_EQ(seriesAddresses(*parseSeries("5ttp://h/*,32766,1,5,0").entry, 10),
              QStringList({"http://h/32766", "http://h/32767"}));
    EXPECT_EQ(seriesAddresses(*parseSeries("5ttp://h/*,-32767,-1,5,0").entry, 10),
              QStringList({"http://h/-32767", "http://h/-32768"}));
    // A field that does not fit in 16 bits: nothing at all.
    for (const char *entry : {"5ttp://h/*,40000,1,2,0", "5ttp://h/*,1,1,2,99999", "5ttp://h/*,1,1,70000,0",
                              "5ttp://h/*,1,-40000,2,0", "5ttp://h/*,99999999999999999999,1,2,0"}) {
        const SeriesParse parsed = parseSeries(entry);
        ASSERT_TRUE(parsed.entry) << entry;
        EXPECT_TRUE(parsed.entry->outOfRange) << entry;
        EXPECT_TRUE(seriesAddresses(*parsed.entry, 10).isEmpty()) << entry;
    }
}

TEST(Series, AMalformedEntryCountsTheCharactersRead)
{
    // "*" then four "," are needed, in that order.
    for (const char *entry : {"5ttp://h/seq.jpg,1,1,4,2", "5ttp://h/*.jpg,1,1,4", "5ttp://h/,,,,*.jpg",
                              "5ttp://", "5tt", ""}) {
        const SeriesParse parsed = parseSeries(entry);
        EXPECT_FALSE(parsed.entry) << entry;
        EXPECT_EQ(parsed.charactersRead, std::max<int>(0, static_cast<int>(std::strlen(entry)) - 7)) << entry;
    }
    EXPECT_EQ(seriesErrorMessage(parseSeries("5ttp://h/seq.jpg,1,1,4,2").charactersRead),
              "Proc ZazuzIririri Error 18");
    EXPECT_EQ(seriesErrorMessage(0), "Proc ZazuzIririri Error 1");
    // Extra commas belong to the width, which reads as far as it is numeric.
    const SeriesParse extra = parseSeries("5ttp://h/*.jpg,1,1,2,3,9");
    ASSERT_TRUE(extra.entry);
    EXPECT_EQ(extra.entry->width, 3);
}
