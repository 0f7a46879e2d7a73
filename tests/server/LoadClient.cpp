#include "LoadClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace servertest {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

enum class Phase { Connecting, Sending, Reading, Held, Done };

struct Conn {
    int fd = -1;
    Phase phase = Phase::Done;
    size_t sent = 0;
    std::string in;
    Clock::time_point started;
    int answers = 0;
};

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Value of a header in a lower-cased header block, or "" when absent.
std::string headerValue(const std::string &head, const std::string &name)
{
    size_t p = head.find("\r\n" + name + ":");
    if (p == std::string::npos)
        return {};
    p += name.size() + 3;
    size_t e = head.find("\r\n", p);
    std::string v = head.substr(p, e == std::string::npos ? std::string::npos : e - p);
    v.erase(0, v.find_first_not_of(' '));
    return v;
}

class Run {
public:
    explicit Run(const LoadOptions &o) : o_(o), conns_(static_cast<size_t>(o.connections))
    {
        request_ = "GET " + o.target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + o.extraHeaders +
                   (o.closeEach ? "Connection: close\r\n" : "") + "\r\n";
        ep_ = epoll_create1(0);
    }
    ~Run()
    {
        for (auto &c : conns_)
            if (c.fd >= 0)
                close(c.fd);
        close(ep_);
    }

    LoadResult go()
    {
        start_ = Clock::now();
        for (size_t i = 0; i < conns_.size(); ++i)
            open(i);
        epoll_event events[256];
        // Done when every connection has its answers or the time is up.
        while (active_ > held_ || !reopen_.empty()) {
            if (msSince(start_) >= o_.deadlineMs)
                break;
            std::vector<size_t> again;
            again.swap(reopen_);
            for (size_t i : again)
                open(i);
            int n = epoll_wait(ep_, events, 256, 20);
            for (int k = 0; k < n; ++k)
                step(events[k].data.u32, events[k].events);
            if (stopping()) {
                stopAsking();
                reopen_.clear();
            }
        }
        r_.elapsedMs = o_.requestsPerConnection == 0 ? std::min<double>(o_.durationMs, msSince(start_)) : msSince(start_);
        return r_;
    }

private:
    bool stopping() const { return o_.requestsPerConnection == 0 && msSince(start_) >= o_.durationMs; }

    void stopAsking()
    {
        // Answers still under way when the time is up are not counted.
        for (auto &c : conns_)
            if (c.phase != Phase::Held)
                finish(c);
    }

    void open(size_t i)
    {
        Conn &c = conns_[i];
        c = Conn{};
        c.started = Clock::now();
        c.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (c.fd < 0) {
            ++r_.failures;
            return;
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(o_.port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ++active_;
        c.phase = Phase::Connecting;
        epoll_event ev{};
        ev.events = EPOLLOUT;
        ev.data.u32 = static_cast<uint32_t>(i);
        epoll_ctl(ep_, EPOLL_CTL_ADD, c.fd, &ev);
        if (connect(c.fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 && errno != EINPROGRESS)
            fail(i);
    }

    void watch(size_t i, uint32_t what)
    {
        epoll_event ev{};
        ev.events = what;
        ev.data.u32 = static_cast<uint32_t>(i);
        epoll_ctl(ep_, EPOLL_CTL_MOD, conns_[i].fd, &ev);
    }

    void finish(Conn &c)
    {
        if (c.phase == Phase::Done)
            return;
        close(c.fd);
        c.fd = -1;
        if (c.phase == Phase::Held)
            --held_;
        c.phase = Phase::Done;
        --active_;
    }

    // A connection that keeps asking comes back on the next round, not at
    // once, so a refusing server cannot spin the client.
    void fail(size_t i)
    {
        ++r_.failures;
        finish(conns_[i]);
        if (o_.requestsPerConnection == 0 && !stopping())
            reopen_.push_back(i);
    }

    void send(size_t i)
    {
        Conn &c = conns_[i];
        while (c.sent < request_.size()) {
            ssize_t n = ::send(c.fd, request_.data() + c.sent, request_.size() - c.sent, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN)
                    return watch(i, EPOLLOUT);
                return fail(i);
            }
            c.sent += static_cast<size_t>(n);
        }
        c.phase = Phase::Reading;
        c.in.clear();
        watch(i, EPOLLIN | EPOLLRDHUP);
    }

    void step(size_t i, uint32_t events)
    {
        Conn &c = conns_[i];
        if (c.phase == Phase::Connecting) {
            int err = 0;
            socklen_t len = sizeof err;
            getsockopt(c.fd, SOL_SOCKET, SO_ERROR, &err, &len);
            if (err != 0 || (events & (EPOLLERR | EPOLLHUP)))
                return fail(i);
            c.phase = Phase::Sending;
            return send(i);
        }
        if (c.phase == Phase::Sending)
            return send(i);
        if (c.phase == Phase::Held) {
            // The server closed an idle connection: that is its right.
            char buf[512];
            if (recv(c.fd, buf, sizeof buf, 0) <= 0)
                finish(c);
            return;
        }
        if (c.phase != Phase::Reading)
            return;
        bool eof = false;
        for (;;) {
            char buf[65536];
            ssize_t n = recv(c.fd, buf, sizeof buf, 0);
            if (n > 0) {
                c.in.append(buf, static_cast<size_t>(n));
                continue;
            }
            if (n == 0)
                eof = true;
            else if (errno != EAGAIN)
                return fail(i);
            break;
        }
        answer(i, eof);
    }

    // Decides whether the reply in c.in is complete and what follows it.
    void answer(size_t i, bool eof)
    {
        Conn &c = conns_[i];
        size_t headEnd = c.in.find("\r\n\r\n");
        if (headEnd == std::string::npos)
            return eof ? fail(i) : void();
        std::string head = lower(c.in.substr(0, headEnd));
        std::string length = headerValue(head, "content-length");
        size_t bodyLen = c.in.size() - headEnd - 4;
        if (!length.empty()) {
            size_t want = std::strtoull(length.c_str(), nullptr, 10);
            if (bodyLen < want)
                return eof ? fail(i) : void();
            bodyLen = want;
        } else if (!eof) {
            return;   // read to the end
        }
        int status = c.in.rfind("HTTP/1.", 0) == 0 && c.in.size() > 12 ? std::atoi(c.in.c_str() + 9) : 0;
        std::string body = c.in.substr(headEnd + 4, bodyLen);
        if (!headerValue(head, "content-encoding").empty())
            ++r_.compressed;
        if (status != 200 || (!o_.expectBody.empty() && body != o_.expectBody))
            return fail(i);
        ++r_.answered;
        r_.latencyMs.push_back(msSince(c.started));
        r_.lastAnswerMs = msSince(start_);
        if (r_.sampleBody.empty())
            r_.sampleBody = body;
        ++c.answers;

        bool serverCloses = eof || headerValue(head, "connection") == "close";
        if (o_.requestsPerConnection > 0 && c.answers >= o_.requestsPerConnection) {
            ++r_.connectionsDone;
            if (o_.holdOpen && !serverCloses) {
                c.phase = Phase::Held;
                ++held_;
                watch(i, EPOLLIN | EPOLLRDHUP);
            } else {
                finish(c);
            }
            return;
        }
        if (stopping())
            return finish(c);
        if (serverCloses || o_.closeEach) {
            finish(c);
            return open(i);
        }
        c.started = Clock::now();
        c.sent = 0;
        c.phase = Phase::Sending;
        send(i);
    }

    const LoadOptions &o_;
    std::vector<Conn> conns_;
    std::string request_;
    int ep_ = -1;
    int active_ = 0;
    int held_ = 0;
    std::vector<size_t> reopen_;
    Clock::time_point start_;
    LoadResult r_;
};

} // namespace

double LoadResult::percentile(double p) const
{
    if (latencyMs.empty())
        return 0;
    std::vector<double> v = latencyMs;
    size_t k = std::min(v.size() - 1, static_cast<size_t>(p / 100.0 * static_cast<double>(v.size())));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

LoadResult runLoad(const LoadOptions &options)
{
    raiseOpenFileLimit();
    Run run(options);
    return run.go();
}

void raiseOpenFileLimit()
{
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        setrlimit(RLIMIT_NOFILE, &lim);
    }
}

} // namespace servertest
