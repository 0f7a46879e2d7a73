// Requests, the connection clock and synchronisation against the reference
// catalogue server on an ephemeral port.

#include "CatalogueFixture.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueProtocol.h"
#include "panel/ConnectionFrame.h"
#include "panel/SetupPanel.h"
#include "settings/ConfigFile.h"
#include "settings/PictureListFile.h"
#include "slideshow/ControlBar.h"
#include "support/FileSizeLimit.h"

using namespace cattest;

namespace {

class ExchangeTest : public FormTest {
protected:
    void startServer(const std::vector<std::string> &faults = {})
    {
        ASSERT_TRUE(server.start(faults));
        form->catalogueAddress = server.catalogueAddress();
    }
    void writeSettings(const std::vector<PictureListEntry> &entries)
    {
        ConfigValues config{QStringLiteral("15"), QStringLiteral("4"),
                            QStringLiteral("Full_Screen"), QString()};
        portable.write(QStringLiteral("Cirrolith4_Config.dat"), formatConfig(config));
        portable.write(QStringLiteral("Cirrolith4_Picture_List.dat"), formatPictureList(entries));
    }
    bool request(const QString &query, int kind)
    {
        return form->catalogue->RequestCatalogue(form->catalogueAddress + query, kind);
    }
    catalogue::ClientValues values() const { return catalogue::ClientValues::of(*form); }
    // One tick of the connection clock, driven by the test alone: the real
    // timer is stopped again so it cannot tick while the test waits.
    void tick()
    {
        form->generalClock.fire();
        clockLeftEnabled = form->generalClock.Enabled();
        form->generalClock.setEnabled(false);
    }
    bool clockLeftEnabled = false;
    // After a failure the server is asked again only when its wait is over.
    void waitForRetry() { ASSERT_TRUE(pumpUntil([&] { return form->catalogue->retryDue(); }, 3000)); }

    TestServer server;
};

TEST_F(ExchangeTest, QueriesReachTheServerByteForByte)
{
    startServer();
    form->paramY0000 = QStringLiteral("u7");
    form->paramY3333 = QStringLiteral("k");
    form->paramY1111 = QStringLiteral("1.2");
    form->paramY5555 = 9;
    const auto v = values();
    request(catalogue::serverMessageQuery(v), catalogue::KindServerMessage);
    request(catalogue::allAddressesQuery(v), catalogue::KindAddresses);
    request(catalogue::idsQuery(v), catalogue::KindIds);
    request(catalogue::descriptionsQuery(v), catalogue::KindDescriptions);
    request(catalogue::selectedAddressesQuery(QStringLiteral("[_101_205_]"), v),
            catalogue::KindAddresses);
    request(catalogue::creditLinesQuery(v), catalogue::KindCreditLines);
    form->catalogue->startRequest(form->catalogueAddress + catalogue::probeQuery(v));
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));

    EXPECT_EQ(server.catalogueQueries(),
              (QStringList{
                  "p=1&x00=y0000u7&x00=x5555&x00=y3333k&x00=y11111.2&x00=y55559",
                  "p=1&x00=x4444&x00=y0000u7&x00=y3333k&x00=y11111.2&x00=y55559",
                  "p=1&x00=x6666&x00=y0000u7&x00=y3333k&x00=y11111.2&x00=y55559",
                  "p=1&x00=x7777&x00=y0000u7&x00=y3333k&x00=y11111.2&x00=y55559",
                  "p=1&x00=y2222[_101_205_]&x00=y0000u7&x00=y11111.2&x00=y3333k&x00=y55559",
                  "p=1&x00=x9999&x00=y0000u7&x00=y3333k&x00=y11111.2&x00=y55559",
                  "p=1&x00=x8888&x00=y0000u7&x00=y3333k&x00=y11111.2",
              }));
}

TEST_F(ExchangeTest, EachReplyKindFillsItsList)
{
    startServer();
    const auto v = values();
    EXPECT_TRUE(request(catalogue::serverMessageQuery(v), catalogue::KindServerMessage));
    EXPECT_EQ(form->serverMessage, "Hello from the test server");
    EXPECT_TRUE(request(catalogue::allAddressesQuery(v), catalogue::KindAddresses));
    EXPECT_EQ(form->listURL[1], "4ttp://127.0.0.1:9/b/loop.gif");
    EXPECT_EQ(form->listURLnameOnly[1], "loop.gif");
    EXPECT_EQ(form->listURLnameOnly[2], "");
    EXPECT_EQ(form->listURL[3], "");
    EXPECT_TRUE(request(catalogue::idsQuery(v), catalogue::KindIds));
    EXPECT_EQ(form->listIdUrl[0], 101);
    EXPECT_EQ(form->listIdUrl[2], 7);
    EXPECT_TRUE(request(catalogue::descriptionsQuery(v), catalogue::KindDescriptions));
    EXPECT_EQ(form->listURLcomment[1], "Second picture");
    EXPECT_TRUE(request(catalogue::creditLinesQuery(v), catalogue::KindCreditLines));
    EXPECT_EQ(form->listCopyright[2], "Credit three-200");
    EXPECT_EQ(form->listData[0], "Credit one-99");
}

TEST_F(ExchangeTest, ErrItemFailsAndStoresNothing)
{
    startServer({"--misbehave", "err,on=addresses+ids"});
    form->listURL[0] = QStringLiteral("before");
    form->listIdUrl[0] = 33;
    EXPECT_FALSE(request(catalogue::allAddressesQuery(values()), catalogue::KindAddresses));
    EXPECT_FALSE(request(catalogue::idsQuery(values()), catalogue::KindIds));
    EXPECT_EQ(form->listURL[0], "before");
    EXPECT_EQ(form->listIdUrl[0], 33);
    // listData keeps the reply's items, the error second.
    EXPECT_TRUE(form->listData[1].startsWith(QLatin1String("ERR")));
    EXPECT_EQ(form->listData[0], "101");
}

TEST_F(ExchangeTest, LongReplyIsCutAndItsSurplusDropped)
{
    startServer({"--misbehave", "huge=250000,on=addresses"});
    const QString query = catalogue::allAddressesQuery(values());
    EXPECT_TRUE(request(query, catalogue::KindAddresses));
    const servertest::HttpResult raw =
        servertest::httpGet(server.port(), ("/public/catalogue?" + query).toStdString());
    ASSERT_GT(raw.body.size(), 200000u);
    EXPECT_EQ(form->replyText.size(), 200000);
    EXPECT_EQ(form->replyText, QString::fromLatin1(raw.body.substr(0, 200000)));
    const QStringList items = catalogue::splitReply(form->replyText);
    ASSERT_GT(items.size(), kListSize);
    EXPECT_EQ(form->listURL[0], "http://127.0.0.1:9/a/one.jpg");
    EXPECT_EQ(form->listURL[2000], items[2000]);
    EXPECT_EQ(form->listData[1999], items[1999]);
}

TEST_F(ExchangeTest, NoAnswerFailsTheRequestAndQuitEndsAHungWait)
{
    startServer({"--misbehave", "close,on=message", "--misbehave", "hang,on=ids,count=1",
                 "--misbehave", "hang,on=descriptions"});
    // A connection closed without a byte is no answer: the request fails at
    // once instead of waiting for ever, and nothing is stored.
    form->listIdUrl[0] = 5;
    form->replyText = QStringLiteral("stale");
    EXPECT_FALSE(request(catalogue::serverMessageQuery(values()), catalogue::KindServerMessage));
    EXPECT_EQ(form->replyReady, 1);
    EXPECT_TRUE(form->replyText.isEmpty());

    // Asked again at once, the server is not asked at all: it failed a
    // moment ago.
    const auto sent = server.catalogueQueries().size();
    EXPECT_FALSE(request(catalogue::idsQuery(values()), catalogue::KindIds));
    EXPECT_TRUE(form->catalogue->lastRequestUnanswered());
    EXPECT_EQ(server.catalogueQueries().size(), sent);
    waitForRetry();

    // A request the server never answers: quitting ends the wait.
    QTimer::singleShot(300, [] { platform::EventPump::requestQuit(); });
    EXPECT_FALSE(request(catalogue::idsQuery(values()), catalogue::KindIds));
    EXPECT_EQ(form->listIdUrl[0], 5);
    EXPECT_EQ(form->replyReady, 1);
    platform::EventPump::resetQuit();
    waitForRetry();

    // Without a quit, a server that says nothing is given up after the
    // stall limit (15 s nominal, 2 s at the least).
    platform::Clock::setSpeed(100);
    QElapsedTimer took;
    took.start();
    EXPECT_FALSE(request(catalogue::descriptionsQuery(values()), catalogue::KindDescriptions));
    platform::Clock::setSpeed(1);
    EXPECT_LT(took.elapsed(), 20000);
    EXPECT_EQ(form->listIdUrl[0], 5);

    // The server is still there: once its wait is over, the next request
    // is answered.
    waitForRetry();
    EXPECT_TRUE(request(catalogue::idsQuery(values()), catalogue::KindIds));
    EXPECT_NE(form->listIdUrl[0], 5);
}

TEST_F(ExchangeTest, LateReplyOfAnAbandonedRequestIsDropped)
{
    startServer({"--misbehave", "delay=400,on=probe"});
    int slow = 0;
    int fast = 0;
    platform::Transfer &t = platform::Transfer::shared();
    t.Execute(form->catalogueAddress + catalogue::probeQuery(values()),
              [&](const QString &) { ++slow; });
    t.Execute(form->catalogueAddress + catalogue::idsQuery(values()),
              [&](const QString &body) { fast += body.contains(QLatin1String("<P>101<P>")); });
    ASSERT_TRUE(pumpUntil([&] { return fast == 1; }));
    pumpUntil([] { return false; }, 900);
    EXPECT_EQ(slow, 0);
    EXPECT_EQ(fast, 1);
}

// ---- the connection clock ----

TEST_F(ExchangeTest, ProbeAnsweredEnablesTheLoadingTimer)
{
    startServer();
    writeStartFiles();
    tick();
    EXPECT_EQ(form->probeState, 1);
    EXPECT_EQ(form->lCountDown->text(),
              "Waiting for Internet connection (have to be active!).....10");
    EXPECT_EQ(form->probeCountdown, 9);
    EXPECT_TRUE(form->bar->btWait->Visible());
    EXPECT_FALSE(form->bar->btSetup->Visible());
    EXPECT_TRUE(clockLeftEnabled);
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));

    tick();
    EXPECT_EQ(form->probeState, 2);
    EXPECT_FALSE(form->lCountDown->Visible());
    EXPECT_TRUE(form->bar->btSetup->Visible());
    EXPECT_FALSE(form->bar->btWait->Visible());
    EXPECT_TRUE(form->utilityTmr.Enabled());
    EXPECT_EQ(server.catalogueQueries(),
              QStringList{"p=1&x00=x8888&x00=y0000&x00=y3333&x00=y1111"});
    tick();   // answered for good: no further probe
    EXPECT_EQ(server.catalogueQueries().size(), 1);
}

TEST_F(ExchangeTest, MarkerMayStandAnywhereInTheBody)
{
    startServer();
    writeStartFiles();
    server.putFile(QStringLiteral("probe.html"), "<html>up NWX_REPLY_TO_CLIENT and more</html>");
    form->catalogueAddress = server.root() + QStringLiteral("/probe.html?");
    tick();
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
    tick();
    EXPECT_EQ(form->probeState, 2);
    EXPECT_TRUE(form->utilityTmr.Enabled());
}

TEST_F(ExchangeTest, ReplyWithoutMarkerRetriesFromTheStart)
{
    startServer({"--misbehave", "no-marker,on=probe,count=1"});
    writeStartFiles();
    form->Lingua = LinguaItalian;
    tick();
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
    tick();
    EXPECT_EQ(form->probeState, 0);
    EXPECT_TRUE(form->serverUnavailable);
    // The language file says English: re-read on the first tick.
    EXPECT_TRUE(form->lCountDown->text().startsWith("Catalogue server unavailable - asking again at "));
    EXPECT_FALSE(form->utilityTmr.Enabled());
    EXPECT_TRUE(form->bar->btTermina->Visible());

    waitForRetry();
    tick();   // settings re-read, probe sent again
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
    EXPECT_EQ(server.catalogueQueries().size(), 2);
    tick();
    EXPECT_EQ(form->probeState, 2);
    EXPECT_FALSE(form->serverUnavailable);
    EXPECT_TRUE(form->utilityTmr.Enabled());
}

TEST_F(ExchangeTest, ErrorPagesAndCutBodiesAreNoAnswerAndAskedAgainOnAGrowingSchedule)
{
    // A front end whose server is down: 503 pages that even quote the marker.
    startServer({"--misbehave", "status=503,on=probe,count=4", "--misbehave", "status=500,on=ids,count=1"});
    writeStartFiles();
    platform::Clock::setSpeed(2);   // the waits in whole ticks of the test's own
    QElapsedTimer since;
    since.start();
    QList<qint64> probesAt;
    for (int attempt = 0; attempt < 5; ++attempt) {
        waitForRetry();
        probesAt << since.elapsed();
        tick();   // settings read, probe sent
        ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
        tick();
        EXPECT_EQ(form->probeState, attempt < 4 ? 0 : 2) << attempt;
    }
    platform::Clock::setSpeed(20);
    // Four error pages, then the answer: five probes, each wait longer than
    // the one before (0.5, 1, 2, 4 s, drawn from their upper quarter).
    EXPECT_EQ(form->probeState, 2);
    ASSERT_EQ(probesAt.size(), 5);
    for (int k = 2; k < probesAt.size(); ++k)
        EXPECT_GT(probesAt[k] - probesAt[k - 1], probesAt[k - 1] - probesAt[k - 2]) << k;
    EXPECT_GE(probesAt[4] - probesAt[3], 3000 / 2 - 100);
    EXPECT_FALSE(form->serverUnavailable);

    // A proxy's or a front end's 500 is not a reply: nothing is stored.
    form->listIdUrl[0] = 5;
    EXPECT_FALSE(request(catalogue::idsQuery(values()), catalogue::KindIds));
    EXPECT_TRUE(form->catalogue->lastRequestUnanswered());
    EXPECT_EQ(form->listIdUrl[0], 5);
    EXPECT_TRUE(form->serverUnavailable);
    server.stop();

    // A body cut short of its length, then closed: no answer either.
    QTcpServer cutting;
    ASSERT_TRUE(cutting.listen(QHostAddress::LocalHost, 0));
    form->catalogueAddress = QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(cutting.serverPort());
    QObject::connect(&cutting, &QTcpServer::newConnection, [&] {
        QTcpSocket *s = cutting.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
            s->readAll();
            s->write("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nContent-Type: text/html\r\n\r\n<P>101<P>102<P>");
            s->flush();
            s->disconnectFromHost();
        });
    });
    waitForRetry();
    EXPECT_FALSE(request(catalogue::idsQuery(values()), catalogue::KindIds));
    EXPECT_TRUE(form->catalogue->lastRequestUnanswered());
    EXPECT_EQ(form->listIdUrl[0], 5);
}

TEST_F(ExchangeTest, RefusedProbeRetriesUntilTheServerComesBack)
{
    // A power cut: the program starts while the server is still down.
    startServer();
    const int port = server.port();
    writeStartFiles();
    server.stop();
    for (int attempt = 0; attempt < 2; ++attempt) {
        waitForRetry();
        tick();   // settings read, probe sent and refused
        ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
        tick();
        EXPECT_EQ(form->probeState, 0) << attempt;
        EXPECT_TRUE(form->lCountDown->text().startsWith("Catalogue server unavailable - asking again at "));
        EXPECT_FALSE(form->utilityTmr.Enabled());
    }

    // The server is back on its address: the next probe gets through.
    ASSERT_TRUE(server.start({"--port", std::to_string(port)}));
    waitForRetry();
    tick();
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
    tick();
    EXPECT_EQ(form->probeState, 2);
    EXPECT_TRUE(form->utilityTmr.Enabled());
    EXPECT_EQ(server.catalogueQueries().size(), 1);
}

TEST_F(ExchangeTest, CountdownAsksForTheConnectionEveryTenTicks)
{
    startServer({"--misbehave", "hang,on=probe"});
    writeStartFiles();
    tick();
    for (int n = 2; n <= 9; ++n)
        tick();
    EXPECT_EQ(form->lCountDown->text(),
              "Waiting for Internet connection (have to be active!).....2");
    EXPECT_FALSE(form->Frame_Select_Connection->Visible());

    // The tenth waiting tick shows the connection frame and waits for OK;
    // other clicks do not end the wait.
    ConnectionFrame *frame = form->Frame_Select_Connection;
    bool askedWhileWaiting = false;
    whenReady([&] { return frame->Visible(); }, [&] {
        askedWhileWaiting = form->probeCountdown == 0;
        frame->TestReadProxy->click();
        frame->Proxy->click();
        frame->Proxy_Address->setText(QStringLiteral("proxy.lan:3128"));
        QTimer::singleShot(200, [&] {
            EXPECT_TRUE(frame->Visible());
            frame->Connection_Selected->click();
        });
    });
    tick();
    EXPECT_TRUE(askedWhileWaiting);
    EXPECT_FALSE(frame->Visible());
    EXPECT_EQ(form->probeCountdown, 10);
    EXPECT_TRUE(form->Proxy_Enabled);
    EXPECT_EQ(platform::Transfer::shared().proxy().hostName(), "proxy.lan");
    EXPECT_TRUE(portable.read(QStringLiteral("Cirrolith4_Proxy.dat")).endsWith("1\r\n"));
    // The probe is not sent again while waiting.
    EXPECT_EQ(server.catalogueQueries().size(), 1);
    tick();
    EXPECT_EQ(form->probeCountdown, 9);
}

TEST_F(ExchangeTest, ConnectionIconFollowsTheConnectionState)
{
    startServer();
    writeStartFiles();
    const qint64 offKey = form->bar->ImageDisconnesso->pixmap().cacheKey();
    const qint64 onKey = form->bar->ImageConnesso->pixmap().cacheKey();
    ASSERT_NE(offKey, onKey);
    platform::Transfer::shared().overrideConnected(false);
    tick();
    EXPECT_EQ(form->bar->connectStatus->pixmap().cacheKey(), offKey);
    ASSERT_TRUE(pumpUntil([&] { return form->replyReady == 1; }));
    tick();
    ASSERT_EQ(form->probeState, 2);
    platform::Transfer::shared().overrideConnected(true);
    tick();
    EXPECT_EQ(form->bar->connectStatus->pixmap().cacheKey(), onKey);
    platform::Transfer::shared().overrideConnected(false);
    tick();
    EXPECT_EQ(form->bar->connectStatus->pixmap().cacheKey(), offKey);
}

// ---- synchronisation ----

TEST_F(ExchangeTest, EmptyPictureListSendsNothingInEitherMode)
{
    startServer();
    writeSettings({});
    form->catalogue->SyncCatalogue(1);
    EXPECT_EQ(form->catalogueStatus, "1");
    form->catalogue->SyncCatalogue(0);
    EXPECT_EQ(form->catalogueStatus, "0");
    EXPECT_EQ(form->catalogueLoaded, 0);
    EXPECT_TRUE(server.targets().isEmpty());
    EXPECT_TRUE(portable.exists(QStringLiteral("Cirrolith4_Picture_List.dat")));
}

TEST_F(ExchangeTest, MissingConfigurationResetsTheSettings)
{
    startServer();
    writeSettings({{0, QStringLiteral("101")}});
    portable.write(QStringLiteral("Cirrolith4_Language.dat"), " 1");
    QFile::remove(portable.work(QStringLiteral("Cirrolith4_Config.dat")));
    form->catalogue->SyncCatalogue(0);
    EXPECT_EQ(form->catalogueStatus, "0");
    EXPECT_FALSE(portable.exists(QStringLiteral("Cirrolith4_Picture_List.dat")));
    EXPECT_FALSE(portable.exists(QStringLiteral("Cirrolith4_Language.dat")));
    EXPECT_TRUE(server.targets().isEmpty());
}

TEST_F(ExchangeTest, FullCatalogueForThePanel)
{
    startServer();
    writeSettings({{0, QStringLiteral("101")}, {2, QStringLiteral("7")}});
    form->fullCatalogueWanted = 1;
    form->catalogue->SyncCatalogue(1);
    const QStringList q = server.catalogueQueries();
    ASSERT_EQ(q.size(), 5);
    EXPECT_TRUE(q[0].startsWith(QLatin1String("p=1&x00=y0000&x00=x5555")));
    EXPECT_TRUE(q[1].startsWith(QLatin1String("p=1&x00=x4444")));
    EXPECT_TRUE(q[2].startsWith(QLatin1String("p=1&x00=x6666")));
    EXPECT_TRUE(q[3].startsWith(QLatin1String("p=1&x00=x7777")));
    EXPECT_TRUE(q[4].startsWith(QLatin1String("p=1&x00=x9999")));
    EXPECT_EQ(form->strIdForBrowser, "[_101_7_]");
    EXPECT_EQ(form->catalogueLoaded, 1);
    EXPECT_EQ(form->fullCatalogueWanted, 0);
    EXPECT_EQ(form->catalogueStatus, "1");
    QListWidget *list = form->SSTCfg->Tabella_Mappe_Selezionate;
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), " - Second picture");
    EXPECT_TRUE(list->item(0)->isSelected());
    EXPECT_FALSE(list->item(1)->isSelected());
    EXPECT_TRUE(list->item(2)->isSelected());
    EXPECT_EQ(form->selectionCount, 2);
    EXPECT_EQ(form->listIdCopyright[1], 3);

    // Loaded: later calls only report success.
    form->catalogue->SyncCatalogue(0);
    EXPECT_EQ(server.catalogueQueries().size(), 5);
}

TEST_F(ExchangeTest, SelectedPicturesForTheSlideshow)
{
    startServer();
    writeSettings({{0, QStringLiteral("101")}, {1, QStringLiteral("205")}});
    form->catalogue->SyncCatalogue(0);
    const QStringList q = server.catalogueQueries();
    ASSERT_EQ(q.size(), 3);
    EXPECT_EQ(q[1], "p=1&x00=y2222[_101_205_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550");
    EXPECT_TRUE(q[2].startsWith(QLatin1String("p=1&x00=x9999")));
    EXPECT_EQ(form->listURL[0], "http://127.0.0.1:9/a/one.jpg");
    EXPECT_EQ(form->listURL[1], "4ttp://127.0.0.1:9/b/loop.gif");
    EXPECT_EQ(form->listURL[2], "");
    EXPECT_EQ(form->catalogueLoaded, 1);
}

// ---- downloads ----

TEST_F(ExchangeTest, DownloadsAreFreshAndFailuresKeepTheOldFile)
{
    startServer();
    const QString local = portable.work(QStringLiteral("got.txt"));
    server.putFile(QStringLiteral("f.txt"), "first");
    ASSERT_TRUE(platform::DownloadFile(server.root() + QStringLiteral("/f.txt"), local));
    EXPECT_EQ(portable.read(QStringLiteral("got.txt")), "first");
    server.putFile(QStringLiteral("f.txt"), "second");
    ASSERT_TRUE(platform::DownloadFile(server.root() + QStringLiteral("/f.txt"), local));
    EXPECT_EQ(portable.read(QStringLiteral("got.txt")), "second");

    EXPECT_FALSE(platform::DownloadFile(server.root() + QStringLiteral("/missing.txt"), local));
    EXPECT_FALSE(platform::DownloadFile(QStringLiteral("http://127.0.0.1:1/x"), local));
    EXPECT_FALSE(platform::DownloadFile(QStringLiteral("not an address"), local));
    EXPECT_EQ(portable.read(QStringLiteral("got.txt")), "second");
    // No temporary file left behind.
    EXPECT_EQ(QDir(portable.workDir()).entryList({QStringLiteral("got*")}, QDir::Files),
              QStringList{"got.txt"});
}

TEST_F(ExchangeTest, DownloadOnAFullDiskFailsAndKeepsTheOldFile)
{
    startServer();
    const QString local = portable.work(QStringLiteral("Cirrolith4_Img.jpg"));
    portable.write(QStringLiteral("Cirrolith4_Img.jpg"), "old picture");
    server.putFile(QStringLiteral("f.jpg"), "a new picture, larger than the limit");
    {
        filelimit::Scoped full(8);
        EXPECT_FALSE(platform::DownloadFile(server.root() + QStringLiteral("/f.jpg"), local));
    }
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Img.jpg")), "old picture");
    EXPECT_EQ(QDir(portable.workDir()).entryList({QStringLiteral("*Img*")}, QDir::Files | QDir::Hidden),
              QStringList{"Cirrolith4_Img.jpg"});
}

TEST_F(ExchangeTest, StalledDownloadIsGivenUp)
{
    startServer({"--misbehave", "hang,on=files"});
    platform::Clock::setSpeed(100);   // the 30 s stall limit passes in 0.3 s
    const QString local = portable.work(QStringLiteral("stalled.jpg"));
    // Without the stall limit this call would never return.
    EXPECT_FALSE(platform::DownloadFile(server.root() + QStringLiteral("/pic.jpg"), local));
    EXPECT_FALSE(QFile::exists(local));
}

} // namespace
