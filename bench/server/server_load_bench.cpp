// A thousand clients against cirrolith-catalogue-server, and against the same
// reply served by plain cpp-httplib with the library's defaults (listen
// backlog 5, 8 workers, keep-alive 5 requests / 5 s, compression on).
// Everything runs on 127.0.0.1, each run bounded in time.

#include "LoadClient.h"
#include "ServerProcess.h"

#include <httplib.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

using namespace servertest;

namespace {

constexpr int kClients = 1000;
constexpr int kSeconds = 5;
const std::string kAddresses = "/public/catalogue?p=1&x00=x4444&x00=y0000&x00=y3333&x00=y1111&x00=y55550";
// What the program's network stack sends.
const std::string kAccept = "Accept-Encoding: gzip, deflate\r\n";

// The peer: a child process, so it has its own address space and threads.
class DefaultPeer {
public:
    explicit DefaultPeer(const std::string &body)
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(pipeFds[0]);
            httplib::Server svr;
            svr.Get(".*", [&body](const httplib::Request &, httplib::Response &res) {
                res.set_header("Cache-Control", "no-cache, no-store");
                res.set_content(body, "text/html");
            });
            int port = svr.bind_to_any_port("127.0.0.1");
            if (write(pipeFds[1], &port, sizeof port) != sizeof port)
                _exit(1);
            close(pipeFds[1]);
            svr.listen_after_bind();
            _exit(0);
        }
        close(pipeFds[1]);
        if (pid_ < 0 || read(pipeFds[0], &port_, sizeof port_) != sizeof port_)
            port_ = 0;
        close(pipeFds[0]);
    }
    ~DefaultPeer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Every client keeps asking over its connection for kSeconds.
LoadResult sustained(int port)
{
    LoadOptions o;
    o.port = port;
    o.target = kAddresses;
    o.extraHeaders = kAccept;
    o.connections = kClients;
    o.requestsPerConnection = 0;
    o.durationMs = kSeconds * 1000;
    o.deadlineMs = kSeconds * 1000 + 2000;
    o.closeEach = false;
    return runLoad(o);
}

// Every client arrives at once, asks once and keeps its connection.
LoadResult arrival(int port)
{
    LoadOptions o;
    o.port = port;
    o.target = kAddresses;
    o.extraHeaders = kAccept;
    o.connections = kClients;
    o.closeEach = false;
    o.holdOpen = true;
    o.deadlineMs = 15000;
    return runLoad(o);
}

void row(const char *name, const LoadResult &r)
{
    std::printf("  %-34s %9.0f %9.1f %9.1f %9ld %9ld\n", name, r.perSecond(), r.percentile(50), r.percentile(99), r.failures,
                r.compressed);
}

void arrivalRow(const char *name, const LoadResult &r)
{
    std::printf("  %-34s %5d of %d answered, the last after %.0f ms, p99 %.0f ms\n", name, r.connectionsDone, kClients,
                r.lastAnswerMs, r.percentile(99));
}

} // namespace

int main()
{
    raiseOpenFileLimit();
    ServerProcess server;
    if (!server.start({"--catalogue", CIRROLITH_BENCH_CATALOGUE, "--log", "/dev/null"})) {
        std::fprintf(stderr, "server_load_bench: the server did not start: %s\n", server.stderrText().c_str());
        return 1;
    }
    HttpResult reply = httpGet(server.port(), kAddresses);
    if (reply.status != 200) {
        std::fprintf(stderr, "server_load_bench: no catalogue reply\n");
        return 1;
    }
    DefaultPeer peer(reply.body);
    if (!peer.port()) {
        std::fprintf(stderr, "server_load_bench: the peer did not start\n");
        return 1;
    }

    std::printf("server load: %d clients on 127.0.0.1, catalogue addresses reply of %zu bytes\n", kClients, reply.body.size());
    std::printf("keep-alive clients asking for %d s:\n", kSeconds);
    std::printf("  %-34s %9s %9s %9s %9s %9s\n", "", "req/s", "p50 ms", "p99 ms", "failed", "gzipped");
    LoadResult ours = sustained(server.port());
    row("cirrolith-catalogue-server", ours);
    LoadResult theirs = sustained(peer.port());
    row("cpp-httplib defaults (peer)", theirs);
    if (theirs.perSecond() > 0 && theirs.percentile(99) > 0)
        std::printf("  ratio to the peer: %.2fx requests per second, %.2fx p99 latency\n", ours.perSecond() / theirs.perSecond(),
                    ours.percentile(99) / theirs.percentile(99));

    std::printf("%d clients arriving at once, one request each, connections kept open:\n", kClients);
    arrivalRow("cirrolith-catalogue-server", arrival(server.port()));
    arrivalRow("cpp-httplib defaults (peer)", arrival(peer.port()));
    return 0;
}
