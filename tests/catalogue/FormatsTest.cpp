// The catalogue protocol and the small settings files, without network or
// display.

#include "catalogue/CatalogueProtocol.h"
#include "catalogue/CollectionsPackage.h"
#include "catalogue/VersionFile.h"
#include "platform/TextFile.h"
#include "settings/LanguageFiles.h"
#include "settings/ProxyFiles.h"
#include "settings/TownFiles.h"

#include <gtest/gtest.h>

#include <memory>

using namespace catalogue;

TEST(CatalogueQueries, EachCommandByteForByte)
{
    const ClientValues v{QStringLiteral("A0"), QStringLiteral("B3"), QStringLiteral("C1"), -42};
    EXPECT_EQ(probeQuery(v), "p=1&x00=x8888&x00=y0000A0&x00=y3333B3&x00=y1111C1");
    EXPECT_EQ(serverMessageQuery(v),
              "p=1&x00=y0000A0&x00=x5555&x00=y3333B3&x00=y1111C1&x00=y5555-42");
    EXPECT_EQ(allAddressesQuery(v),
              "p=1&x00=x4444&x00=y0000A0&x00=y3333B3&x00=y1111C1&x00=y5555-42");
    EXPECT_EQ(idsQuery(v), "p=1&x00=x6666&x00=y0000A0&x00=y3333B3&x00=y1111C1&x00=y5555-42");
    EXPECT_EQ(descriptionsQuery(v),
              "p=1&x00=x7777&x00=y0000A0&x00=y3333B3&x00=y1111C1&x00=y5555-42");
    EXPECT_EQ(creditLinesQuery(v),
              "p=1&x00=x9999&x00=y0000A0&x00=y3333B3&x00=y1111C1&x00=y5555-42");
    // y1111 before y3333 in this one.
    EXPECT_EQ(selectedAddressesQuery(QStringLiteral("[_101_205_]"), v),
              "p=1&x00=y2222[_101_205_]&x00=y0000A0&x00=y1111C1&x00=y3333B3&x00=y5555-42");
    EXPECT_EQ(probeQuery(ClientValues{}), "p=1&x00=x8888&x00=y0000&x00=y3333&x00=y1111");
    EXPECT_EQ(idsForBrowser({QStringLiteral("101"), QStringLiteral("205")}), "[_101_205_]");
    EXPECT_EQ(idsForBrowser({}), "[_]");
}

TEST(CatalogueReplies, SplitRules)
{
    EXPECT_EQ(splitReply(QStringLiteral("<P>a<P>b<P>")), (QStringList{"a", "b"}));
    EXPECT_TRUE(splitReply(QStringLiteral("text before<P>after")).isEmpty());
    EXPECT_TRUE(splitReply(QStringLiteral("no marker at all")).isEmpty());
    EXPECT_EQ(splitReply(QStringLiteral("x<P><P>b<P>tail")), (QStringList{"", "b"}));
    // A marker cut in half by the 200000-byte limit closes nothing.
    EXPECT_EQ(splitReply(QStringLiteral("<P>a<P>b<")), (QStringList{"a"}));
}

TEST(CatalogueReplies, ErrAnywhereFailsAndOnlyAtTheStart)
{
    EXPECT_TRUE(hasErrorItem({"ok", "ERR something"}));
    EXPECT_TRUE(hasErrorItem({"ERR"}));
    EXPECT_FALSE(hasErrorItem({"ok", " ERR", "xERR", "err"}));
}

TEST(CatalogueReplies, StoreByKind)
{
    auto state = std::make_unique<AppState>();
    state->listURLcomment[5] = QStringLiteral("kept");
    state->listIdUrl[1] = 77;
    storeReply(*state, KindAddresses, {"http://h/p/a.jpg", "4ttp://h/loop.gif", "noslash", "h/"});
    EXPECT_EQ(state->listURL[1], "4ttp://h/loop.gif");
    EXPECT_EQ(state->listURLnameOnly[0], "a.jpg");
    EXPECT_EQ(state->listURLnameOnly[2], "noslash");
    EXPECT_EQ(state->listURLnameOnly[3], "");

    // A shorter reply empties the address lists past its end ...
    storeReply(*state, KindAddresses, {"x/y"});
    EXPECT_EQ(state->listURL[1], "");
    EXPECT_EQ(state->listURLnameOnly[0], "y");
    // ... the other kinds only write their own items.
    storeReply(*state, KindDescriptions, {"d0", "d1"});
    EXPECT_EQ(state->listURLcomment[1], "d1");
    EXPECT_EQ(state->listURLcomment[5], "kept");
    storeReply(*state, KindIds, {"12", " 7 ", "32768", "abc", "-32768"});
    EXPECT_EQ(state->listIdUrl[0], 12);
    EXPECT_EQ(state->listIdUrl[1], 7);
    // Ids beyond 0..32767 or no number are refused, never read as another id.
    EXPECT_EQ(state->listIdUrl[2], kRefusedId);
    EXPECT_EQ(state->listIdUrl[3], kRefusedId);
    EXPECT_EQ(state->listIdUrl[4], kRefusedId);
    storeReply(*state, KindCreditLines, {"SRC-Sat\r\nby X-95"});
    EXPECT_EQ(state->listCopyright[0], "SRC-Sat  by X-95");
    storeReply(*state, KindIds, {});
    EXPECT_EQ(state->listIdUrl[0], 12);
    storeReply(*state, KindCreditLines, {"c-99"});
    EXPECT_EQ(state->listCopyright[0], "c-99");
}

TEST(CatalogueReplies, ServerMessageLengthRules)
{
    AppState state;
    state.serverMessage = QStringLiteral("old");
    storeReply(state, KindServerMessage, {"outmsg"});
    EXPECT_EQ(state.serverMessage, "old");
    storeReply(state, KindServerMessage, {});
    EXPECT_EQ(state.serverMessage, "old");
    storeReply(state, KindServerMessage, {"outmsg:Hello there"});
    EXPECT_EQ(state.serverMessage, "Hello there");
    storeReply(state, KindServerMessage, {"outmsg:"});   // 7 characters: kept
    EXPECT_EQ(state.serverMessage, "Hello there");
    storeReply(state, KindServerMessage, {"outmsg:x"});
    EXPECT_EQ(state.serverMessage, "x");
    storeReply(state, KindServerMessage, {"notamessage"});
    EXPECT_EQ(state.serverMessage, "");
}

TEST(CatalogueReplies, SurplusItemsAreDropped)
{
    auto state = std::make_unique<AppState>();
    QStringList items;
    for (int i = 0; i < 2500; ++i)
        items << QStringLiteral("u/%1").arg(i);
    fillListData(*state, items);
    storeReply(*state, KindAddresses, items);
    storeReply(*state, KindCreditLines, items);
    EXPECT_EQ(state->listData[2000], "u/2000");
    EXPECT_EQ(state->listURL[2000], "u/2000");
    EXPECT_EQ(state->listURLnameOnly[2000], "2000");
    EXPECT_EQ(state->listCopyright[2000], "u/2000");
}

TEST(ProxyFile, ScramblingIsItsOwnInverse)
{
    const QString scrambled = Invert_Password_Chars(QStringLiteral("abc"));
    const QByteArray bytes = platform::textfile::toCp1252(scrambled);
    ASSERT_EQ(bytes.size(), 3);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 158);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 157);
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 156);
    EXPECT_EQ(Invert_Password_Chars(scrambled), "abc");
    const QString accented = QStringLiteral("pässwörd€");
    EXPECT_EQ(Invert_Password_Chars(Invert_Password_Chars(accented)), accented);
}

TEST(ProxyFile, FormatAndReadBack)
{
    ProxyFields f{QStringLiteral(" proxy.lan, main "), QStringLiteral("3128"),
                  QStringLiteral("bob"), QStringLiteral("abc"), true};
    const QByteArray bytes = formatProxyFile(f);
    EXPECT_EQ(bytes, QByteArray(" proxy.lan, main \r\n3128\r\nbob\r\n\x9e\x9d\x9c\r\n1\r\n"));
    const ProxyFileContent back = parseProxyFile(bytes);
    EXPECT_EQ(*back.address, " proxy.lan, main ");
    EXPECT_EQ(*back.password, "abc");
    EXPECT_TRUE(back.enabled);

    f.enabled = false;
    EXPECT_EQ(formatProxyFile(f), QByteArray("\r\n\r\n\r\n\r\n0\r\n"));

    // A short file: the lines present, and no proxy.
    const ProxyFileContent shortFile = parseProxyFile("host\r\n8080\r\n");
    EXPECT_EQ(*shortFile.port, "8080");
    EXPECT_FALSE(shortFile.username.has_value());
    EXPECT_FALSE(shortFile.enabled);
    EXPECT_FALSE(parseProxyFile("a\r\nb\r\nc\r\nd\r\n1 \r\n").enabled);
}

TEST(ProxyFile, EndpointTakesTheAddressPortFirst)
{
    EXPECT_EQ(proxyEndpoint(QStringLiteral("proxy.lan:3128"), QStringLiteral("80")).port, 3128);
    const ProxyEndpoint withScheme = proxyEndpoint(QStringLiteral("http://10.0.0.1:8080"), {});
    EXPECT_EQ(withScheme.host, "10.0.0.1");
    EXPECT_EQ(withScheme.port, 8080);
    EXPECT_EQ(proxyEndpoint(QStringLiteral(" proxy.lan "), QStringLiteral("8888")).port, 8888);
    EXPECT_EQ(proxyEndpoint(QStringLiteral("proxy.lan"), QStringLiteral("port")).port, 80);
    EXPECT_EQ(proxyEndpoint(QStringLiteral("proxy.lan"), QStringLiteral("70000")).port, 80);
}

TEST(LanguageFile, Format)
{
    EXPECT_EQ(formatLanguageFile(4), QByteArray(" 4"));
    EXPECT_EQ(parseLanguageFile(" 2"), 2);
    EXPECT_EQ(parseLanguageFile("3\r\n"), 3);
    EXPECT_FALSE(parseLanguageFile(" 0").has_value());
    EXPECT_FALSE(parseLanguageFile(" 5").has_value());
    EXPECT_FALSE(parseLanguageFile(" 999").has_value());
    EXPECT_FALSE(parseLanguageFile("").has_value());
    EXPECT_FALSE(parseLanguageFile("x1").has_value());
}

TEST(TownFile, DefaultsAndUnitRules)
{
    const QByteArray bytes = formatTownFile(defaultTownValues(), true);
    EXPECT_TRUE(bytes.startsWith("Courmayeur\r\nNew+York\r\nny\r\nus\r\nNaples\r\nItaly\r\nOPTION1\r\n"));
    EXPECT_TRUE(bytes.endsWith("OPTION8\r\nF\r\n \r\n \r\n \r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 18);

    TownValues values = defaultTownValues();
    values[0] = QStringLiteral("  Aosta  ");
    TownFileContent back = parseTownFile(formatTownFile(values, false));
    EXPECT_EQ(back.values[0], "Aosta");
    EXPECT_FALSE(*back.fahrenheit);

    QByteArray upper = formatTownFile(defaultTownValues(), true);
    upper.replace("\r\nF\r\n", "\r\n F \r\n");
    EXPECT_TRUE(*parseTownFile(upper).fahrenheit);
    QByteArray lower = formatTownFile(defaultTownValues(), true);
    lower.replace("\r\nF\r\n", "\r\nf\r\n");
    EXPECT_FALSE(*parseTownFile(lower).fahrenheit);

    const TownFileContent cut = parseTownFile("a\r\nb\r\n c \r\n");
    EXPECT_FALSE(cut.complete());
    EXPECT_EQ(cut.values, (QStringList{"a", "b", "c"}));
}

TEST(VersionFile, Fields)
{
    EXPECT_EQ(readFields("Cirrolith_5.5.5,Collection_002\r\n"),
              (QStringList{"Cirrolith_5.5.5", "Collection_002"}));
    EXPECT_EQ(readFields("\"Cirrolith_5.5.5\"\r\n\"Collection_003\""),
              (QStringList{"Cirrolith_5.5.5", "Collection_003"}));
    EXPECT_EQ(readFields("  v1 , \"a,b\"\n"), (QStringList{"v1", "a,b"}));
    EXPECT_EQ(readFields("Collection_001"), QStringList{"Collection_001"});
}

TEST(CollectionsPackage, PlainNames)
{
    EXPECT_TRUE(isPlainName(QStringLiteral("Cirrolith_Collection_1.xml")));
    for (const char *bad : {"", ".", "..", "../x", "/etc/x", "a/b", "a\\b", "c:x", "a\nb"})
        EXPECT_FALSE(isPlainName(QString::fromLatin1(bad))) << bad;
}
