// Catalogue file, query parsing and reply building, without the network.

#include "Catalogue.h"
#include "Misbehaviour.h"
#include "Protocol.h"
#include "StaticFiles.h"
#include "ServerProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace cirrolith::server;

namespace {

const char *kCatalogue =
    "# comment\r\n"
    "@message  Hello from the server \r\n"
    "\r\n"
    "http://h/a.jpg | 14 | Satellite SAT1 one | SRC-Credit one-95\r\n"
    "4ttp://h/b.gif|1|Radar RAD1 loop\n"
    "  2ttp://h/page.html |5| Page PG1 page |SRC-Page-200\n";

Catalogue sample()
{
    std::string error;
    auto cat = parseCatalogue(kCatalogue, error);
    EXPECT_TRUE(cat) << error;
    return cat ? *cat : Catalogue{};
}

const std::string kClient = "&x00=y0000&x00=y3333&x00=y1111&x00=y55550";

} // namespace

TEST(ServerCatalogue, ReadsEntriesMessageAndOptionalCredit)
{
    Catalogue cat = sample();
    ASSERT_EQ(cat.entries.size(), 3u);
    EXPECT_EQ(cat.message, "Hello from the server");
    EXPECT_EQ(cat.entries[0].address, "http://h/a.jpg");
    EXPECT_EQ(cat.entries[0].id, 14);
    EXPECT_EQ(cat.entries[0].description, "Satellite SAT1 one");
    EXPECT_EQ(cat.entries[0].credit, "SRC-Credit one-95");
    EXPECT_EQ(cat.entries[1].credit, "");
    EXPECT_EQ(cat.entries[2].address, "2ttp://h/page.html");
    EXPECT_EQ(cat.entries[2].line, 6);
    EXPECT_EQ(cat.findId(5), &cat.entries[2]);
    EXPECT_EQ(cat.findId(99), nullptr);
}

TEST(ServerCatalogue, RejectsEntriesTheProgramCouldNotUse)
{
    struct Case { const char *text; const char *needle; };
    const Case cases[] = {
        {"ab|1|d|c\nbc|1|e|c\n", "line 2: id 1 used twice"},
        {"a|1|d\n", "line 1: address too short"},
        {"ab|x1|d\n", "line 1: id 'x1' is not a whole number"},
        {"ab|32768|d\n", "outside 0..32767"},
        {"ab|-1|d\n", "outside"},
        {"ab|1\n", "found 2 fields"},
        {"ab|1|d|c|e\n", "found 5 fields"},
        {"ab|1|d<P>x\n", "description holds the item separator"},
        {"ab|1|d|c<P>\n", "credit line holds the item separator"},
        {"ab|1|ERROR codes\n", "begins with ERR"},
        {"ERRx|1|d\n", "address begins with ERR"},
        {"a b|1|d\n", "address holds a blank"},
        {"ab|1|\n", "empty description"},
        {"@motd hi\n", "unknown directive @motd"},
        {"@message a\n@message b\n", "line 2: second @message"},
        {"\n\n@message x<P>y\n", "line 3: message holds"},
    };
    for (const auto &c : cases) {
        std::string error;
        EXPECT_FALSE(parseCatalogue(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.needle), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(ServerQuery, RecognisesEveryRequestInItsExactLayout)
{
    struct Case { std::string query; Command command; };
    const Case cases[] = {
        {"p=1&x00=x8888&x00=y0000&x00=y3333&x00=y1111", Command::Probe},
        {"p=1&x00=y0000&x00=x5555&x00=y3333&x00=y1111&x00=y55550", Command::Message},
        {"p=1&x00=x4444" + kClient, Command::Addresses},
        {"p=1&x00=x6666" + kClient, Command::Ids},
        {"p=1&x00=x7777" + kClient, Command::Descriptions},
        {"p=1&x00=x9999" + kClient, Command::Credits},
        {"p=1&x00=y2222[_14_1_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550", Command::Selected},
    };
    for (const auto &c : cases) {
        Query q = parseQuery(c.query);
        EXPECT_EQ(q.command, c.command) << c.query << ": " << q.error;
    }
}

TEST(ServerQuery, KeepsClientValuesAndDecodesEscapes)
{
    Query q = parseQuery("p=1&x00=y2222%5B_14_1_%5D&x00=y0000ab%20c&x00=y1111Z&x00=y3333%zz&x00=y5555-42");
    ASSERT_EQ(q.command, Command::Selected) << q.error;
    EXPECT_EQ(q.ids, (std::vector<long>{14, 1}));
    EXPECT_EQ(q.y0000, "ab c");
    EXPECT_EQ(q.y1111, "Z");
    EXPECT_EQ(q.y3333, "%zz");
    EXPECT_EQ(q.y5555, -42);
}

TEST(ServerQuery, RefusesWrongOrderValuesAndIdLists)
{
    const std::string sel = "p=1&x00=y2222";
    const std::string selTail = "&x00=y0000&x00=y1111&x00=y3333&x00=y55550";
    const std::string bad[] = {
        "",
        "p=2&x00=x8888&x00=y0000&x00=y3333&x00=y1111",
        "p=1",
        "p=1&x00=x8888&x00=y0000&x00=y1111&x00=y3333",           // probe with the pairs swapped
        "p=1&x00=x9999&x00=y0000&x00=y1111&x00=y3333&x00=y55550", // selected-addresses order elsewhere
        sel + "[_14_]&x00=y0000&x00=y3333&x00=y1111&x00=y55550",  // and the usual order there
        "p=1&x00=x8888&x00=y0000&x00=y3333&x00=y1111&x00=y55550", // probe carries no y5555
        "p=1&x00=x4444X" + kClient,
        "p=1&x00=x4444&x00=y0000&x00=y3333&x00=y1111&x00=y5555",
        "p=1&x00=x4444&x00=y0000&x00=y3333&x00=y1111&x00=y5555zz",
        "p=1&x00=x4444&x00=y0000&x00=y3333&x00=y1111&x00=y555599999999999",
        "p=1&x00=x1234" + kClient,
        "p=1&y00=x4444" + kClient,
        "p=1&x00=x44",
        sel + "[_14_1]" + selTail,
        sel + "_14_1_]" + selTail,
        sel + "[_14__]" + selTail,
        sel + "[_a_]" + selTail,
        sel + "[_99999999999_]" + selTail,
        sel + selTail,
    };
    for (const auto &query : bad) {
        Query q = parseQuery(query);
        EXPECT_EQ(q.command, Command::Invalid) << query;
        EXPECT_FALSE(q.error.empty()) << query;
    }
}

TEST(ServerReply, ItemsFollowCatalogueOrderAndSelectionOrder)
{
    Catalogue cat = sample();
    auto items = [&](const std::string &query) { return replyItems(cat, parseQuery(query)); };
    using V = std::vector<std::string>;
    EXPECT_EQ(items("p=1&x00=x4444" + kClient), (V{"http://h/a.jpg", "4ttp://h/b.gif", "2ttp://h/page.html"}));
    EXPECT_EQ(items("p=1&x00=x6666" + kClient), (V{"14", "1", "5"}));
    EXPECT_EQ(items("p=1&x00=x7777" + kClient), (V{"Satellite SAT1 one", "Radar RAD1 loop", "Page PG1 page"}));
    EXPECT_EQ(items("p=1&x00=x9999" + kClient), (V{"SRC-Credit one-95", "", "SRC-Page-200"}));
    EXPECT_EQ(items("p=1&x00=y0000&x00=x5555&x00=y3333&x00=y1111&x00=y55550"), (V{"outmsg:Hello from the server"}));
    // Asked order, unknown ids left out, repeats answered again.
    EXPECT_EQ(items("p=1&x00=y2222[_5_77_14_5_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550"),
              (V{"2ttp://h/page.html", "http://h/a.jpg", "2ttp://h/page.html"}));
    EXPECT_EQ(items("p=1&x00=y2222[_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550"), V{});

    Catalogue silent;
    EXPECT_EQ(replyItems(silent, parseQuery("p=1&x00=y0000&x00=x5555&x00=y3333&x00=y1111&x00=y55550")), V{"outmsg:"});
}

TEST(ServerReply, ErrorItemCannotBeForgedFromTheQuery)
{
    Catalogue cat = sample();
    auto items = replyItems(cat, parseQuery("p=1<P>NWX_REPLY_TO_CLIENT<P>" + std::string(500, 'a')));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].rfind("ERR ", 0), 0u);
    EXPECT_EQ(items[0].find('<'), std::string::npos);
    EXPECT_LT(items[0].size(), 200u);
    EXPECT_EQ(formatReply({}), "<P>");
    EXPECT_EQ(formatReply({"a", "", "b"}), "<P>a<P><P>b<P>");
}

TEST(ServerMisbehaviour, RulesParseAndApplyToTheirScopeOnly)
{
    std::string error;
    for (const char *bad : {"delay", "delay=x", "hang=3", "huge=-1", "explode", "err,on=probe+nothing",
                            "err,on=files", "close,count=z", "close,sometimes"}) {
        EXPECT_FALSE(parseRule(bad, error)) << bad;
    }

    Misbehaviour m;
    m.add(*parseRule("no-marker,on=probe,count=1", error));
    m.add(*parseRule("delay=5,on=files", error));
    auto first = m.take(Command::Probe);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->fault, Fault::NoMarker);
    EXPECT_FALSE(m.take(Command::Probe));          // count used up
    EXPECT_FALSE(m.take(Command::Credits));        // out of scope
    auto file = m.take(std::nullopt);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->arg, 5);

    Misbehaviour all;
    all.add(*parseRule("close", error));
    EXPECT_TRUE(all.take(Command::Invalid));
    EXPECT_TRUE(all.take(Command::Selected));
    EXPECT_FALSE(all.take(std::nullopt));
}

TEST(ServerMisbehaviour, RepliesChangeAsAsked)
{
    std::string error;
    auto err = *parseRule("err", error);
    EXPECT_EQ(applyToReply(err, Command::Ids, {"1", "2"}), "<P>1<P>ERR deliberate failure<P>2<P>");
    EXPECT_EQ(applyToReply(err, Command::Selected, {}), "<P>ERR deliberate failure<P>");

    auto noMarker = *parseRule("no-marker", error);
    std::string probe = applyToReply(noMarker, Command::Probe, {std::string(kProbeMarker)});
    EXPECT_EQ(probe.find(kProbeMarker), std::string::npos);
    EXPECT_EQ(applyToReply(noMarker, Command::Ids, {"1"}), "<P>1<P>");

    auto huge = *parseRule("huge=200000", error);
    std::string body = applyToReply(huge, Command::Ids, {"1", "2"});
    EXPECT_GT(body.size(), 200000u);
    EXPECT_LT(body.size(), 200000u + 100);
    EXPECT_EQ(body.rfind("<P>1<P>2<P>filler00000000", 0), 0u);
    EXPECT_EQ(body.substr(body.size() - 3), "<P>");
    EXPECT_EQ(body.find("ERR"), std::string::npos);
}

TEST(ServerStaticFiles, StaysInsideTheWebRoot)
{
    namespace fs = std::filesystem;
    fs::path base = servertest::makeTempDir();
    fs::path root = base / "root";
    servertest::writeFile((root / "pic/a.jpg").string(), "A");
    servertest::writeFile((base / "secret.txt").string(), "S");
    fs::create_symlink(base / "secret.txt", root / "link.txt");
    fs::create_directory_symlink(base, root / "up");

    EXPECT_EQ(resolveWebPath(root, "/pic/a.jpg"), fs::canonical(root / "pic/a.jpg"));
    EXPECT_EQ(resolveWebPath(root, "//pic/./a.jpg"), fs::canonical(root / "pic/a.jpg"));
    for (std::string_view bad : {"/../secret.txt", "/pic/../../secret.txt", "/link.txt", "/up/secret.txt", "/pic",
                                 "/", "", "pic/a.jpg", "/missing"})
        EXPECT_FALSE(resolveWebPath(root, bad)) << bad;
    EXPECT_FALSE(resolveWebPath(root, std::string_view("/pic/a.jpg\0x", 12)));
    EXPECT_EQ(contentTypeFor("x/Help-Online.asp"), "text/html");
    EXPECT_EQ(contentTypeFor("x/A.JPG"), "image/jpeg");
    fs::remove_all(base);
}
