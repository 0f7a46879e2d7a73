// cirrolith-catalogue-server: answers the program's catalogue requests from a
// catalogue file and serves the pictures and other files of a web root.

#include "Catalogue.h"
#include "Misbehaviour.h"
#include "Protocol.h"
#include "StaticFiles.h"
#include "WorkerPool.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <csignal>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

using namespace cirrolith::server;
namespace fs = std::filesystem;

namespace {

// Sized for a crowd of a thousand clients arriving at once (see README).
// httplib gives each connection a worker of its own for as long as it lasts,
// and an idle kept-alive connection holds that worker for at least a second;
// so every connection carries one request and then closes.
constexpr int kListenBacklog = 4096;          // the kernel caps it at net.core.somaxconn
constexpr size_t kWorkers = 256;
constexpr size_t kMaxHeld = 1000;             // requests held by hang/delay at once
constexpr size_t kRequestsPerConnection = 1;
constexpr time_t kFirstRequestSeconds = 1;    // a silent connection is dropped after this
constexpr time_t kReadSeconds = 5;
constexpr size_t kMaxRequestBody = 64 * 1024; // nothing here takes a body

struct Options {
    std::string catalogue;
    std::string webroot;
    std::string host = "127.0.0.1";
    int port = 8473;
    std::string cataloguePath = "/public/catalogue";
    std::string logFile;
    bool check = false;
    std::vector<Rule> rules;
};

const char *kUsage =
    "usage: cirrolith-catalogue-server --catalogue FILE [options]\n"
    "  --catalogue FILE       catalogue file (required)\n"
    "  --webroot DIR          serve static files from DIR\n"
    "  --host ADDR            address to listen on (default 127.0.0.1)\n"
    "  --port N               port (default 8473; 0 picks a free one)\n"
    "  --catalogue-path PATH  path that answers catalogue requests (default /public/catalogue)\n"
    "  --log FILE             append the request log to FILE (default: standard error)\n"
    "  --misbehave RULE       deliberate fault, repeatable; RULE is\n"
    "                         MODE[,on=SCOPE+...][,count=N] with MODE one of\n"
    "                         delay=MS hang close trickle=MS no-marker err huge[=BYTES]\n"
    "                         status=CODE (an HTTP error page)\n"
    "  --check                check the catalogue file: each broken rule with its line;\n"
    "                         exit 1 on errors, 0 when only warnings or none\n"
    "  --version              print the name and version and exit\n";

std::mutex stopMutex;
std::condition_variable stopCv;
bool stopping = false;

// Waits up to ms (forever when ms < 0); false when the server is stopping.
bool waitUnlessStopping(long ms)
{
    std::unique_lock lock(stopMutex);
    if (ms < 0)
        stopCv.wait(lock, [] { return stopping; });
    else
        stopCv.wait_for(lock, std::chrono::milliseconds(ms), [] { return stopping; });
    return !stopping;
}

class Log {
public:
    explicit Log(FILE *out) : out_(out) {}
    void line(const std::string &text)
    {
        auto now = std::chrono::system_clock::now();
        std::time_t t = std::chrono::system_clock::to_time_t(now);
        int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
        std::tm tm{};
        localtime_r(&t, &tm);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &tm);
        std::lock_guard lock(mutex_);
        std::fprintf(out_, "%s.%03d %s\n", stamp, ms, text.c_str());
        std::fflush(out_);
    }

private:
    FILE *out_;
    std::mutex mutex_;
};

int portOf(const sockaddr_storage &a)
{
    return ntohs(a.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6 &>(a).sin6_port
                                         : reinterpret_cast<const sockaddr_in &>(a).sin_port);
}

// httplib does not hand the socket to handlers; find it by its two ends.
int connectionSocket(const httplib::Request &req)
{
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int found = -1;
    while (dirent *d = readdir(dir)) {
        int fd = std::atoi(d->d_name);
        if (fd <= 2)
            continue;
        sockaddr_storage local{}, peer{};
        socklen_t ll = sizeof local, pl = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&local), &ll) != 0 ||
            (local.ss_family != AF_INET && local.ss_family != AF_INET6))
            continue;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &pl) != 0)
            continue;
        if (portOf(local) == req.local_port && portOf(peer) == req.remote_port) {
            found = fd;
            break;
        }
    }
    closedir(dir);
    return found;
}

// A "close" fault drops the connection before anything is written.
void dropConnection(const httplib::Request &req)
{
    int fd = connectionSocket(req);
    if (fd >= 0)
        shutdown(fd, SHUT_RDWR);
}

// Marks the reply "Connection: close"; httplib decides from the request's
// header, and the request object itself is not const.
void markClose(const httplib::Request &req)
{
    auto &headers = const_cast<httplib::Request &>(req).headers;
    headers.erase("Connection");
    headers.emplace("Connection", "close");
}

// Once the reply is out, the connection ends instead of reading a refused
// body as the next request, however many requests a connection may carry.
// (Before the reply, httplib would take the closed read side for a gone
// client and not answer at all.)
void endAfterReply(const httplib::Request &req)
{
    int fd = connectionSocket(req);
    if (fd >= 0)
        shutdown(fd, SHUT_RD);
}

// A thousand connections need more descriptors than the usual soft limit.
void raiseOpenFileLimit()
{
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        setrlimit(RLIMIT_NOFILE, &lim);
    }
}

// Status for a request whose declared body is refused before any of it is
// read, or 0 when it may go on.
int refuseBody(const httplib::Request &req)
{
    if (req.has_header("Transfer-Encoding"))
        return 411;   // a body of unknown size
    if (!req.has_header("Content-Length"))
        return 0;
    // One well-formed length only; a negative or garbled one is a bad request.
    if (req.get_header_value_count("Content-Length") != 1)
        return 400;
    std::string text = req.get_header_value("Content-Length");
    unsigned long long length = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), length);
    if (text.empty() || end != text.data() + text.size())
        return 400;   // "-1", "12abc", ""
    if (ec == std::errc::result_out_of_range || length > kMaxRequestBody)
        return 413;
    return 0;
}

// Connects httplib to the worker pool.
class PoolQueue : public httplib::TaskQueue {
public:
    explicit PoolQueue(WorkerPool &pool) : pool_(pool) {}
    void enqueue(std::function<void()> fn) override { pool_.enqueue(std::move(fn)); }
    void shutdown() override { pool_.shutdown(); }

private:
    WorkerPool &pool_;
};

bool parseArgs(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> const char * {
            if (i + 1 >= argc) {
                std::cerr << a << " needs a value\n";
                return nullptr;
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (a == "--version") {
            std::cout << "cirrolith-catalogue-server " CIRROLITH_VERSION "\n";
            std::exit(0);
        } else if (a == "--check") {
            o.check = true;
        } else if (a == "--catalogue" || a == "--webroot" || a == "--host" || a == "--port" ||
                   a == "--catalogue-path" || a == "--log" || a == "--misbehave") {
            const char *v = value();
            if (!v)
                return false;
            if (a == "--catalogue") o.catalogue = v;
            else if (a == "--webroot") o.webroot = v;
            else if (a == "--host") o.host = v;
            else if (a == "--catalogue-path") o.cataloguePath = v;
            else if (a == "--log") o.logFile = v;
            else if (a == "--port") {
                char *end = nullptr;
                long p = std::strtol(v, &end, 10);
                if (!*v || *end || p < 0 || p > 65535) {
                    std::cerr << "bad port " << v << "\n";
                    return false;
                }
                o.port = static_cast<int>(p);
            } else {
                std::string error;
                auto rule = parseRule(v, error);
                if (!rule) {
                    std::cerr << "--misbehave " << v << ": " << error << "\n";
                    return false;
                }
                o.rules.push_back(*rule);
            }
        } else {
            std::cerr << "unknown option " << a << "\n" << kUsage;
            return false;
        }
    }
    if (o.catalogue.empty()) {
        std::cerr << kUsage;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    if (!parseArgs(argc, argv, opt))
        return 2;

    std::string error;
    if (opt.check) {
        // Every broken rule, one line each, as compilers write them.
        const auto text = readCatalogueFile(opt.catalogue, error);
        if (!text) {
            std::cerr << error << "\n";
            return 2;
        }
        int errors = 0, warnings = 0;
        for (const CatalogueProblem &p : checkCatalogue(*text)) {
            (p.error ? errors : warnings)++;
            std::cout << opt.catalogue << ":" << p.line << ": " << (p.error ? "error: " : "warning: ") << p.text << "\n";
        }
        std::string parseError;
        const auto parsed = parseCatalogue(*text, parseError);
        std::cout << opt.catalogue << ": ";
        if (parsed)
            std::cout << parsed->entries.size() << " entries, ";
        else
            std::cout << "not served (" << parseError << "), ";
        std::cout << errors << " error(s), " << warnings << " warning(s)\n";
        return errors > 0 ? 1 : 0;
    }
    auto catalogue = loadCatalogue(opt.catalogue, error);
    if (!catalogue) {
        std::cerr << error << "\n";
        return 2;
    }
    if (!opt.webroot.empty() && !fs::is_directory(opt.webroot)) {
        std::cerr << "web root " << opt.webroot << " is not a directory\n";
        return 2;
    }

    FILE *logOut = stderr;
    if (!opt.logFile.empty()) {
        logOut = std::fopen(opt.logFile.c_str(), "a");
        if (!logOut) {
            std::cerr << "cannot open log " << opt.logFile << ": " << std::strerror(errno) << "\n";
            return 2;
        }
    }
    Log log(logOut);

    Misbehaviour faults;
    for (auto &r : opt.rules)
        faults.add(r);

    // Signals go to one thread that stops the server; workers never see them.
    sigset_t sigs;
    sigemptyset(&sigs);
    sigaddset(&sigs, SIGINT);
    sigaddset(&sigs, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &sigs, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    raiseOpenFileLimit();
    WorkerPool pool(kWorkers, kMaxHeld);

    httplib::Server svr;
    svr.new_task_queue = [&pool] { return new PoolQueue(pool); };
    svr.set_keep_alive_max_count(kRequestsPerConnection);
    svr.set_keep_alive_timeout(kFirstRequestSeconds);
    svr.set_read_timeout(kReadSeconds);
    svr.set_payload_max_length(kMaxRequestBody);
    // httplib listens with a backlog of 5; keep its socket to widen that.
    int listenFd = -1;
    svr.set_socket_options([&listenFd](int sock) {
        httplib::default_socket_options(sock);
        listenFd = sock;
    });

    svr.set_pre_routing_handler([&](const httplib::Request &req, httplib::Response &res) {
        // No reply is compressed: catalogue replies are read once by a client
        // next door, and brotli at httplib's level takes seconds per megabyte.
        const_cast<httplib::Request &>(req).headers.erase("Accept-Encoding");
        int refused = refuseBody(req);
        if (!refused)
            return httplib::Server::HandlerResponse::Unhandled;
        markClose(req);
        res.status = refused;
        res.set_content(refused == 413 ? "request body too large\n" : refused == 411 ? "length required\n" : "bad Content-Length\n",
                        "text/plain");
        log.line(req.remote_addr + ":" + std::to_string(req.remote_port) + " " + req.method + " " + req.target + " -> " +
                 std::to_string(refused) + " body refused (Content-Length " +
                 (req.has_header("Content-Length") ? req.get_header_value("Content-Length") : std::string("none")) + ")");
        return httplib::Server::HandlerResponse::Handled;
    });
    // Called once a reply has been written.
    svr.set_logger([](const httplib::Request &req, const httplib::Response &) {
        if (refuseBody(req))
            endAfterReply(req);
    });

    svr.Get(".*", [&](const httplib::Request &req, httplib::Response &res) {
        std::string who = req.remote_addr + ":" + std::to_string(req.remote_port);
        std::string line = who + " " + req.method + " " + req.target;
        const bool isCatalogue = req.path == opt.cataloguePath;

        Query query;
        std::optional<Rule> fault;
        if (isCatalogue) {
            size_t q = req.target.find('?');
            query = parseQuery(q == std::string::npos ? std::string_view() : std::string_view(req.target).substr(q + 1));
            fault = faults.take(query.command);
        } else {
            fault = faults.take(std::nullopt);
        }
        std::string tag = isCatalogue ? std::string(commandName(query.command)) : std::string("file");
        if (fault)
            tag += " fault=" + fault->text;

        if (fault && fault->fault == Fault::Delay) {
            // A delay holds at most its own time, on a borrowed worker when one is free.
            WorkerPool::LongWait held(pool);
            if (!waitUnlessStopping(fault->arg)) {
                dropConnection(req);
                return;
            }
        }
        if (fault && fault->fault == Fault::Hang) {
            WorkerPool::LongWait held(pool);
            if (held.covered()) {
                log.line(line + " -> no answer [" + tag + "]");
                waitUnlessStopping(-1);
            } else {
                // Held requests are bounded: past the bound a hang becomes a close.
                log.line(line + " -> closed, too many held [" + tag + "]");
            }
            dropConnection(req);
            return;
        }
        if (fault && fault->fault == Fault::Close) {
            log.line(line + " -> closed [" + tag + "]");
            dropConnection(req);
            return;
        }

        res.set_header("Cache-Control", "no-cache, no-store");
        if (fault && fault->fault == Fault::Status) {
            res.status = static_cast<int>(fault->arg);
            res.set_content(errorPage(fault->arg), "text/html");
            log.line(line + " -> " + std::to_string(res.status) + " error page [" + tag + "]");
            return;
        }
        if (isCatalogue) {
            auto items = replyItems(*catalogue, query);
            std::string body = fault ? applyToReply(*fault, query.command, std::move(items)) : formatReply(items);
            res.status = 200;
            res.set_content(body, "text/html");
        } else if (auto file = opt.webroot.empty() ? std::nullopt : resolveWebPath(opt.webroot, req.path)) {
            std::ifstream in(*file, std::ios::binary);
            std::ostringstream buf;
            buf << in.rdbuf();
            res.status = 200;
            res.set_content(buf.str(), contentTypeFor(*file).c_str());
        } else if (req.path == "/currentversion.html") {
            // A site without a version file answers an empty one, which the
            // program reads as "nothing to announce" instead of logging a
            // failed download at every start.
            res.status = 200;
            res.set_content("", "text/html");
            tag += ", empty version file";
        } else {
            res.status = 404;
            res.set_content("not found\n", "text/plain");
        }
        if (fault && fault->fault == Fault::Trickle) {
            // The headers at once, then one byte of the body at a time.
            auto body = std::make_shared<std::string>(std::move(res.body));
            const long step = fault->arg;
            const std::string type = res.get_header_value("Content-Type");
            res.body.clear();
            res.headers.erase("Content-Type");
            res.set_content_provider(body->size(), type.c_str(),
                                     [body, step](size_t offset, size_t, httplib::DataSink &sink) {
                                         if (!waitUnlessStopping(step))
                                             return false;
                                         return sink.write(body->data() + offset, 1);
                                     });
            log.line(line + " -> " + std::to_string(res.status) + " " + std::to_string(body->size()) +
                     " bytes, trickled [" + tag + "]");
            return;
        }
        log.line(line + " -> " + std::to_string(res.status) + " " + std::to_string(res.body.size()) + " bytes [" + tag + "]");
    });

    int port = opt.port;
    if (port == 0) {
        port = svr.bind_to_any_port(opt.host);
        if (port < 0) {
            std::cerr << "cannot listen on " << opt.host << "\n";
            return 1;
        }
    } else if (!svr.bind_to_port(opt.host, port)) {
        std::cerr << "cannot listen on " << opt.host << ":" << port << "\n";
        return 1;
    }

    if (listenFd >= 0)
        ::listen(listenFd, kListenBacklog);

    std::atomic<bool> listenReturned{false};
    std::thread signalThread([&] {
        int sig = 0;
        sigwait(&sigs, &sig);
        {
            std::lock_guard lock(stopMutex);
            stopping = true;
        }
        stopCv.notify_all();
        // A signal that comes before the server has started listening finds
        // nothing to stop: keep asking until the listen loop has returned.
        while (!listenReturned) {
            svr.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    log.line("catalogue " + opt.catalogue + ": " + std::to_string(catalogue->entries.size()) + " entries; web root " +
             (opt.webroot.empty() ? std::string("none") : opt.webroot));
    std::cout << "listening on " << opt.host << ":" << port << std::endl;
    svr.listen_after_bind();
    listenReturned = true;

    // Stopped by something other than a signal: release the signal thread.
    if (!stopping)
        pthread_kill(signalThread.native_handle(), SIGTERM);
    signalThread.join();
    log.line("stopped");
    return 0;
}
