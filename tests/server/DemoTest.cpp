// The demo catalogue and the web root our build draws for it, served by the
// real server: what the program will see when run on the demo.

#include "Catalogue.h"
#include "ServerProcess.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace servertest;

namespace {

std::vector<std::string> items(const std::string &body)
{
    std::vector<std::string> out;
    size_t pos = body.find("<P>");
    while (pos != std::string::npos) {
        size_t next = body.find("<P>", pos + 3);
        if (next == std::string::npos)
            break;
        out.push_back(body.substr(pos + 3, next - pos - 3));
        pos = next;
    }
    return out;
}

// "5ttp://" prefix "*" suffix "," start "," step "," count "," width.
std::vector<std::string> seriesPaths(const std::string &address)
{
    std::string body = address.substr(7);
    size_t star = body.find('*');
    QStringList f = QString::fromStdString(body.substr(star + 1)).split(',');
    std::vector<std::string> paths;
    int n = f[1].toInt();
    for (int i = 0; i < f[3].toInt(); ++i, n += f[2].toInt())
        paths.push_back(QUrl("http://" + QString::fromStdString(body.substr(0, star)) +
                             QString("%1").arg(n, f[4].toInt(), 10, QChar('0')) + f[0]).path().toStdString());
    return paths;
}

class ServerDemo : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        auto cat = cirrolith::server::loadCatalogue(CIRROLITH_DEMO_CATALOGUE, error);
        ASSERT_TRUE(cat) << error;
        catalogue_ = new cirrolith::server::Catalogue(*cat);
        server_ = new ServerProcess;
        logDir_ = makeTempDir();
        ASSERT_TRUE(server_->start({"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot", CIRROLITH_DEMO_WEBROOT,
                                    "--log", logDir_ + "/log"}))
            << server_->stderrText();
    }
    static void TearDownTestSuite()
    {
        delete server_;
        delete catalogue_;
        std::filesystem::remove_all(logDir_);
    }
    static std::string get(const std::string &target, int expectStatus = 200)
    {
        HttpResult r = httpGet(server_->port(), target);
        EXPECT_EQ(r.status, expectStatus) << target;
        return r.body;
    }

    static cirrolith::server::Catalogue *catalogue_;
    static ServerProcess *server_;
    static std::string logDir_;
};

cirrolith::server::Catalogue *ServerDemo::catalogue_ = nullptr;
ServerProcess *ServerDemo::server_ = nullptr;
std::string ServerDemo::logDir_;

} // namespace

TEST_F(ServerDemo, CatalogueSuitsTheFirstRun)
{
    const std::string client = "&x00=y0000&x00=y3333&x00=y1111&x00=y55550";
    auto ids = items(get("/public/catalogue?p=1&x00=x6666" + client));
    ASSERT_GE(ids.size(), 30u);
    EXPECT_EQ(std::vector<std::string>(ids.begin(), ids.begin() + 4), (std::vector<std::string>{"14", "1", "5", "20"}));

    // The default selection asks for these ids and must get pictures back.
    auto selected = items(get("/public/catalogue?p=1&x00=y2222[_14_1_5_20_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550"));
    ASSERT_EQ(selected.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(selected[i], catalogue_->entries[i].address);

    auto message = items(get("/public/catalogue?p=1&x00=y0000&x00=x5555&x00=y3333&x00=y1111&x00=y55550"));
    ASSERT_EQ(message.size(), 1u);
    EXPECT_GT(message[0].size(), 8u);

    // Credit lines: word 1 the text, word 2 the timing code its kind needs:
    // a loop plays through four slide times, only the series' frames are
    // fast slides.
    std::set<std::string> codes;
    const auto credits = items(get("/public/catalogue?p=1&x00=x9999" + client));
    ASSERT_EQ(credits.size(), catalogue_->entries.size());
    for (size_t i = 0; i < credits.size(); ++i) {
        QStringList words = QString::fromStdString(credits[i]).split('-');
        EXPECT_GE(words.size(), 2) << credits[i];
        EXPECT_LE(words.size(), 5) << credits[i];   // more dashes would upset the program's split
        const std::string code = words.size() > 2 ? words[2].toStdString() : std::string("plain");
        codes.insert(code);
        const char kind = catalogue_->entries[i].address[0];
        if (kind == '4') {
            EXPECT_EQ(code, "200") << credits[i];
        }
        if (code == "95" || code == "99") {
            EXPECT_EQ(kind, '5') << credits[i];
        }
    }
    EXPECT_EQ(codes, (std::set<std::string>{"95", "200", "plain"}));
}

TEST_F(ServerDemo, EveryPictureIsServedAndDecodes)
{
    std::set<QByteArray> formats;
    int animations = 0;
    for (const auto &e : catalogue_->entries) {
        const char type = e.address[0];
        if (type == '2' || type == '3') {
            std::string page = get(QUrl(QString::fromStdString("h" + e.address.substr(1))).path().toStdString());
            EXPECT_NE(page.find("<html"), std::string::npos) << e.address;
            continue;
        }
        std::vector<std::string> paths = type == '5'
            ? seriesPaths(e.address)
            : std::vector<std::string>{QUrl(QString::fromStdString((type == '4' ? "h" : "") + e.address.substr(type == '4' ? 1 : 0))).path().toStdString()};
        EXPECT_FALSE(paths.empty()) << e.address;
        for (const auto &path : paths) {
            QByteArray bytes = QByteArray::fromStdString(get(path));
            QBuffer buf(&bytes);
            buf.open(QIODevice::ReadOnly);
            QImageReader reader(&buf);
            const QByteArray format = reader.format();
            formats.insert(format);
            int frames = 0;
            while (!reader.read().isNull())
                ++frames;
            EXPECT_GE(frames, 1) << path << ": " << reader.errorString().toStdString();
            if (type == '4') {
                EXPECT_EQ(format, "gif") << path;
                EXPECT_GT(frames, 3) << path;
                ++animations;
            }
        }
    }
    EXPECT_GE(animations, 1);
    for (const char *f : {"jpeg", "png", "gif", "bmp"})
        EXPECT_TRUE(formats.count(f)) << f;
}

TEST_F(ServerDemo, VersionFileHelpPageAndCollectionsPackage)
{
    EXPECT_EQ(get("/currentversion.html"), "\"Cirrolith_5.5.5\",\"Collection_002\"\r\n");
    EXPECT_NE(get("/public/Help-Online.asp").find("Cirrolith online help"), std::string::npos);

    std::string zip = get("/collections.exe");
    EXPECT_EQ(zip.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_NE(zip.find("LocalCollection.dat"), std::string::npos);

    // Every code in the packaged collections names a catalogue entry (the
    // second word of its description), or loading them would select nothing.
    std::set<std::string> codes;
    for (const auto &e : catalogue_->entries) {
        QStringList words = QString::fromStdString(e.description).split(' ', Qt::SkipEmptyParts);
        ASSERT_GE(words.size(), 2);
        EXPECT_GE(words[0].size(), 2);
        EXPECT_FALSE(words[1].contains('-')) << e.description;
        EXPECT_TRUE(codes.insert(words[1].toStdString()).second) << "code used twice: " << e.description;
    }
    std::string xml = readFile(CIRROLITH_DEMO_PACKAGE_DIR "/Cirrolith_Collection_01152025_090000.xml");
    ASSERT_FALSE(xml.empty());
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\"?>\r\n<CirrolithCollection>\r\n", 0), 0u);
    int found = 0;
    for (size_t pos = 0; (pos = xml.find("<CodePic>", pos)) != std::string::npos; ++found) {
        pos += 9;
        std::string code = xml.substr(pos, xml.find("</CodePic>", pos) - pos);
        EXPECT_TRUE(codes.count(code)) << code;
    }
    EXPECT_GT(found, 3);
    EXPECT_EQ(readFile(CIRROLITH_DEMO_PACKAGE_DIR "/LocalCollection.dat"), "Collection_002");
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
