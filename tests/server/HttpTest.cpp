// The server binary over real HTTP on 127.0.0.1, port chosen by the system.

#include "ServerProcess.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

using namespace servertest;
namespace fs = std::filesystem;

namespace {

const std::string kPath = "/public/catalogue?";
const std::string kClient = "&x00=y0000&x00=y3333&x00=y1111&x00=y55550";
const std::string kProbe = kPath + "p=1&x00=x8888&x00=y0000&x00=y3333&x00=y1111";
const std::string kIds = kPath + "p=1&x00=x6666" + kClient;

class ServerHttp : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeTempDir();
        writeFile(dir_ + "/catalogue.txt",
                  "@message Demo day\n"
                  "http://127.0.0.1:8473/pics/a.jpg | 14 | Satellite SAT1 one | SRC-Sat-95\n"
                  "4ttp://127.0.0.1:8473/pics/b.gif | 1  | Radar RAD1 loop    | SRC-Radar-200\n"
                  "http://127.0.0.1:8473/pics/c.png | 5  | Chart CH1 chart    | SRC-Chart\n");
        writeFile(dir_ + "/root/pics/a.jpg", std::string("\xff\xd8\xff\x00jpeg\r\n", 10));
        writeFile(dir_ + "/root/public/Help-Online.asp", "<html>help</html>");
        writeFile(dir_ + "/outside.txt", "secret");
        fs::create_symlink(dir_ + "/outside.txt", dir_ + "/root/pics/leak.txt");
    }
    void TearDown() override
    {
        server_.stop();
        fs::remove_all(dir_);
    }
    void startServer(std::vector<std::string> extra = {})
    {
        std::vector<std::string> args{"--catalogue", dir_ + "/catalogue.txt", "--webroot", dir_ + "/root",
                                      "--log", dir_ + "/server.log"};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(server_.start(args)) << server_.stderrText();
    }
    std::string body(const std::string &target)
    {
        HttpResult r = httpGet(server_.port(), target);
        EXPECT_EQ(r.status, 200) << target;
        return r.body;
    }

    std::string dir_;
    ServerProcess server_;
};

} // namespace

TEST_F(ServerHttp, AnswersEachRequestByteForByte)
{
    startServer();
    EXPECT_EQ(body(kProbe), "<P>NWX_REPLY_TO_CLIENT<P>");
    EXPECT_EQ(body(kPath + "p=1&x00=y0000&x00=x5555&x00=y3333&x00=y1111&x00=y55550"), "<P>outmsg:Demo day<P>");
    EXPECT_EQ(body(kPath + "p=1&x00=x4444" + kClient),
              "<P>http://127.0.0.1:8473/pics/a.jpg<P>4ttp://127.0.0.1:8473/pics/b.gif<P>http://127.0.0.1:8473/pics/c.png<P>");
    EXPECT_EQ(body(kIds), "<P>14<P>1<P>5<P>");
    EXPECT_EQ(body(kPath + "p=1&x00=x7777" + kClient), "<P>Satellite SAT1 one<P>Radar RAD1 loop<P>Chart CH1 chart<P>");
    EXPECT_EQ(body(kPath + "p=1&x00=x9999" + kClient), "<P>SRC-Sat-95<P>SRC-Radar-200<P>SRC-Chart<P>");
    EXPECT_EQ(body(kPath + "p=1&x00=y2222[_5_14_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550"),
              "<P>http://127.0.0.1:8473/pics/c.png<P>http://127.0.0.1:8473/pics/a.jpg<P>");
    // Client values are opaque and may be escaped on the way.
    EXPECT_EQ(body(kPath + "p=1&x00=y2222%5B_1_%5D&x00=y0000abc&x00=y1111%20x&x00=y3333q&x00=y5555-7"),
              "<P>4ttp://127.0.0.1:8473/pics/b.gif<P>");

    for (const std::string &bad : {kPath + "p=1&x00=x8888&x00=y0000&x00=y1111&x00=y3333", kPath + "p=1&x00=x1111",
                                   std::string("/public/catalogue"), kPath + "p=1&x00=y2222[_1]&x00=y0000&x00=y1111&x00=y3333&x00=y55550"}) {
        std::string b = body(bad);
        EXPECT_EQ(b.rfind("<P>ERR ", 0), 0u) << bad << " -> " << b;
        EXPECT_EQ(b.substr(b.size() - 3), "<P>");
    }
}

TEST_F(ServerHttp, ServesFilesFromTheWebRootOnlyAndLogsEveryRequest)
{
    startServer();
    HttpResult pic = httpGet(server_.port(), "/pics/a.jpg");
    EXPECT_EQ(pic.status, 200);
    EXPECT_EQ(pic.body, std::string("\xff\xd8\xff\x00jpeg\r\n", 10));
    EXPECT_NE(pic.headers.find("image/jpeg"), std::string::npos);
    HttpResult help = httpGet(server_.port(), "/public/Help-Online.asp");
    EXPECT_EQ(help.body, "<html>help</html>");
    EXPECT_NE(help.headers.find("text/html"), std::string::npos);
    // A web root without the version file answers an empty one; once the
    // file is there, the file.
    HttpResult version = httpGet(server_.port(), "/currentversion.html");
    EXPECT_EQ(version.status, 200);
    EXPECT_EQ(version.body, "");
    writeFile(dir_ + "/root/currentversion.html", "\"Cirrolith_5.5.5\",\"Collection_001\"\r\n");
    EXPECT_EQ(httpGet(server_.port(), "/currentversion.html").body, "\"Cirrolith_5.5.5\",\"Collection_001\"\r\n");

    for (const char *target : {"/../outside.txt", "/pics/../../outside.txt", "/%2e%2e/outside.txt",
                                      "/pics/%2e%2e/%2e%2e/outside.txt", "/pics/leak.txt", "/pics", "/nothing.jpg",
                                      "/pics/a.jpg%00.png"}) {
        HttpResult r = httpGet(server_.port(), target);
        EXPECT_NE(r.status, 200) << target;
        EXPECT_EQ(r.body.find("secret"), std::string::npos) << target;
    }

    // Hostile requests leave the server answering.
    httpRaw(server_.port(), "GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n", 300);
    httpRaw(server_.port(), std::string("\x00\xff\r\n\r\n", 6), 300);
    httpGet(server_.port(), kPath + "p=1" + std::string(3000, '&') + "x00=");
    httpGet(server_.port(), kPath + "p=1&x00=y2222[_" + std::string(4000, '9') + "_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550");
    EXPECT_EQ(body(kIds), "<P>14<P>1<P>5<P>");

    server_.stop();
    std::string log = readFile(dir_ + "/server.log");
    EXPECT_NE(log.find("GET /pics/a.jpg -> 200"), std::string::npos) << log;
    EXPECT_NE(log.find("GET " + kIds + " -> 200"), std::string::npos) << log;
    EXPECT_NE(log.find("GET /../outside.txt -> 404"), std::string::npos) << log;
}

TEST_F(ServerHttp, ProbeLosesItsMarkerOnlyAsOftenAsAsked)
{
    startServer({"--misbehave", "no-marker,on=probe,count=1"});
    HttpResult first = httpGet(server_.port(), kProbe);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.body.find("NWX_REPLY_TO_CLIENT"), std::string::npos);
    EXPECT_FALSE(first.body.empty());
    EXPECT_EQ(body(kProbe), "<P>NWX_REPLY_TO_CLIENT<P>");
}

TEST_F(ServerHttp, ErrAndHugeRepliesKeepTheFraming)
{
    startServer({"--misbehave", "err,on=ids", "--misbehave", "huge=210000,on=descriptions"});
    EXPECT_EQ(body(kIds), "<P>14<P>ERR deliberate failure<P>1<P>5<P>");
    std::string big = body(kPath + "p=1&x00=x7777" + kClient);
    EXPECT_GT(big.size(), 210000u);
    EXPECT_EQ(big.rfind("<P>Satellite SAT1 one<P>Radar RAD1 loop<P>Chart CH1 chart<P>filler", 0), 0u);
    EXPECT_EQ(big.substr(big.size() - 3), "<P>");
    EXPECT_EQ(body(kProbe), "<P>NWX_REPLY_TO_CLIENT<P>");
}

// Clients that accept compression still get the reply as it is: compressing
// megabytes per request costs the server seconds.
TEST_F(ServerHttp, BigRepliesGoOutUncompressed)
{
    startServer({"--misbehave", "huge=8000000,on=descriptions"});
    const std::string accept = "Accept-Encoding: br, gzip, deflate\r\n";
    HttpResult big = httpRaw(server_.port(), "GET " + kPath + "p=1&x00=x7777" + kClient +
                                                 " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + accept + "Connection: close\r\n\r\n");
    ASSERT_EQ(big.status, 200);
    EXPECT_EQ(big.headers.find("Content-Encoding"), std::string::npos) << big.headers;
    EXPECT_NE(big.headers.find("Content-Length: " + std::to_string(big.body.size())), std::string::npos) << big.headers;
    EXPECT_GT(big.body.size(), 8000000u);
    EXPECT_EQ(big.body.rfind("<P>Satellite SAT1 one<P>", 0), 0u);
    EXPECT_EQ(big.body.substr(big.body.size() - 3), "<P>");

    HttpResult help = httpRaw(server_.port(), "GET /public/Help-Online.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n" + accept +
                                                  "Connection: close\r\n\r\n");
    EXPECT_EQ(help.body, "<html>help</html>");
    EXPECT_EQ(help.headers.find("Content-Encoding"), std::string::npos) << help.headers;
}

// A declared body the server will not take is refused before any of it is
// read: answered at once, and the connection ends after the answer.
TEST_F(ServerHttp, RefusesHugeNegativeAndUnsizedBodiesAtOnce)
{
    startServer();
    struct Case {
        std::string header;
        int status;
    };
    for (const Case &c : {Case{"Content-Length: -1", 400}, Case{"Content-Length: -99999999999", 400},
                          Case{"Content-Length: 12abc", 400}, Case{"Content-Length: 99999999999999999999999", 413},
                          Case{"Content-Length: 1000000000000", 413}, Case{"Content-Length: 70000", 413},
                          Case{"Transfer-Encoding: chunked", 411}}) {
        for (std::string method : {"POST", "PUT"}) {
            // Well under the server's read timeout: waiting for the body would miss it.
            HttpResult r = httpRaw(server_.port(), method + " " + kPath + "p=1 HTTP/1.1\r\nHost: 127.0.0.1\r\n" + c.header +
                                                       "\r\n\r\npartial body", 2000);
            EXPECT_EQ(r.status, c.status) << method << " " << c.header << ": " << r.raw;
            EXPECT_FALSE(r.timedOut) << method << " " << c.header;
            EXPECT_NE(r.headers.find("Connection: close"), std::string::npos) << r.headers;
        }
    }
    // A refused body that keeps coming is not read as further requests.
    HttpResult streamed = httpRaw(server_.port(), "POST / HTTP/1.1\r\nContent-Length: 500000\r\n\r\n" +
                                                      std::string(20000, 'x') + "\r\n\r\nGET " + kIds + " HTTP/1.1\r\n\r\n", 2000);
    EXPECT_EQ(streamed.status, 413);
    EXPECT_EQ(streamed.raw.find("HTTP/1.1", 5), std::string::npos) << streamed.raw;

    EXPECT_EQ(body(kIds), "<P>14<P>1<P>5<P>");
    server_.stop();
    std::string log = readFile(dir_ + "/server.log");
    EXPECT_NE(log.find("POST " + kPath + "p=1 -> 400 body refused (Content-Length -1)"), std::string::npos) << log;
}

TEST_F(ServerHttp, DelaysHangsAndClosesWithoutStoppingOthers)
{
    startServer({"--misbehave", "close,on=ids", "--misbehave", "hang,on=probe,count=1", "--misbehave",
                 "delay=400,on=credits", "--misbehave", "close,on=files,count=1"});

    HttpResult closed = httpGet(server_.port(), kIds);
    EXPECT_TRUE(closed.connected);
    EXPECT_FALSE(closed.timedOut);
    EXPECT_EQ(closed.raw, "");

    HttpResult file = httpGet(server_.port(), "/pics/a.jpg");
    EXPECT_EQ(file.raw, "");
    EXPECT_EQ(httpGet(server_.port(), "/pics/a.jpg").status, 200);

    HttpResult hanging;
    std::thread waiter([&] { hanging = httpGet(server_.port(), kProbe, 700); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(body(kProbe), "<P>NWX_REPLY_TO_CLIENT<P>");   // the hang was for one probe only

    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(body(kPath + "p=1&x00=x9999" + kClient), "<P>SRC-Sat-95<P>SRC-Radar-200<P>SRC-Chart<P>");
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(400));

    waiter.join();
    EXPECT_TRUE(hanging.timedOut);
    EXPECT_EQ(hanging.raw, "");
    // A hanging request must not keep the server from shutting down.
    EXPECT_EQ(server_.stop(), 0);
}

TEST_F(ServerHttp, RefusesBadArgumentsAndCatalogues)
{
    writeFile(dir_ + "/bad.txt", "http://x/a.jpg|1|one\nhttp://x/b.jpg|1|two\n");
    EXPECT_EQ(server_.runToExit({"--catalogue", dir_ + "/bad.txt", "--port", "0"}), 2);
    EXPECT_NE(server_.stderrText().find("line 2: id 1 used twice"), std::string::npos) << server_.stderrText();

    ServerProcess p2;
    EXPECT_EQ(p2.runToExit({"--catalogue", dir_ + "/catalogue.txt", "--misbehave", "explode"}), 2);
    ServerProcess p3;
    EXPECT_EQ(p3.runToExit({"--catalogue", dir_ + "/missing.txt"}), 2);
    ServerProcess p4;
    EXPECT_EQ(p4.runToExit({"--catalogue", dir_ + "/catalogue.txt", "--check"}), 0);
}

// --check names every rule a catalogue author can break, by line, and fails
// only on what the program cannot use; --version needs no catalogue.
TEST_F(ServerHttp, CheckReportsEachBrokenRuleWithItsLine)
{
    writeFile(dir_ + "/rules.txt",
              "http://h.example/a.jpg   | 1 | Satellite SAT1 Europe   | NOAA-Satellite\n"           // 1
              "http://h.example/b.jpg   | 2 | Satellite SAT1 Atlantic | NOAA-Satellite\n"           // 2 same code
              "http://h.example/c.gif   | 3 | Radar RAD-N North       | DWD-Radar\n"                // 3 '-' in code
              "ftp://h.example/d.png    | 4 | Chart CH1 Surface       | DWD-Chart\n"                // 4 ftp
              "http://h.example/e.jpg   | 5 | Webcam                  | CAM-Webcam\n"               // 5 one word
              "6ttp://h.example/f.jpg   | 6 | Other OTH1 picture      | X-Other\n"                  // 6 type letter
              "http://h.example/g.jpg   | 7 | Sat SATG GOES           | NOAA-GOES-16 full disk\n"   // 7 timing code
              "http://h.example/h.jpg   | 8 | Sat SATH dashes         | A-b-c-d-e-f-g\n"            // 8 six '-'
              "4ttps://h.example/i.gif  | 9 | Radar RADI loop         | DWD-Radar loop-95\n");      // 9 fine
    EXPECT_EQ(server_.runToExit({"--catalogue", dir_ + "/rules.txt", "--check"}), 1);
    const std::string out = server_.stdoutText();
    const std::string file = dir_ + "/rules.txt:";
    for (const char *expected : {"2: error: code 'SAT1' also on line 1", "3: error: code 'RAD-N'", "4: error: address ftp://",
                                 "5: error: description 'Webcam' has one word", "6: error: unknown type letter '6'",
                                 "7: warning: credit's timing code", "8: warning: credit line holds 6 '-'",
                                 "rules.txt: 9 entries, 5 error(s), 2 warning(s)"})
        EXPECT_NE(out.find(expected[0] == 'r' ? std::string(expected) : file + expected), std::string::npos)
            << expected << "\n" << out;
    EXPECT_EQ(out.find(file + "1:"), std::string::npos) << out;
    EXPECT_EQ(out.find(file + "9:"), std::string::npos) << out;

    // Warnings alone pass.
    writeFile(dir_ + "/warned.txt", "http://h.example/g.jpg | 7 | Sat SATG GOES | NOAA-GOES-16 full disk\n");
    EXPECT_EQ(server_.runToExit({"--catalogue", dir_ + "/warned.txt", "--check"}), 0) << server_.stdoutText();
    EXPECT_NE(server_.stdoutText().find("0 error(s), 1 warning(s)"), std::string::npos) << server_.stdoutText();

    EXPECT_EQ(server_.runToExit({"--version"}), 0);
    EXPECT_EQ(server_.stdoutText(), "cirrolith-catalogue-server " + std::string(CIRROLITH_TEST_VERSION) + "\n");
}

// A test process that dies without stopping its server (a crash, an abort,
// the time limit) takes the server with it.
TEST_F(ServerHttp, TheServerEndsWithTheProcessThatStartedIt)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        ServerProcess orphan;
        int port = orphan.start({"--catalogue", dir_ + "/catalogue.txt"}) ? orphan.port() : 0;
        (void)!write(pipeFds[1], &port, sizeof port);
        _exit(0);   // no destructor runs: nothing stops the server here
    }
    close(pipeFds[1]);
    int port = 0;
    ASSERT_EQ(read(pipeFds[0], &port, sizeof port), static_cast<ssize_t>(sizeof port));
    close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    ASSERT_GT(port, 0);

    bool stillThere = true;
    for (int i = 0; i < 50 && stillThere; ++i) {
        stillThere = httpGet(port, kProbe, 500).connected;
        if (stillThere)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_FALSE(stillThere) << "the server on port " << port << " outlived its parent";
}
