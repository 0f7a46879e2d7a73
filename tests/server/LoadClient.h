#pragma once

// Many HTTP clients at once against a server on 127.0.0.1, driven by one
// thread with epoll: every connection is opened at the start, so the server
// sees a crowd arrive together. Bounded in connections and time.

#include <string>
#include <vector>

namespace servertest {

struct LoadOptions {
    int port = 0;
    std::string target = "/";
    std::string extraHeaders;        // "Name: value\r\n" lines
    int connections = 1000;
    int requestsPerConnection = 1;   // 0: keep asking until durationMs is over
    int durationMs = 0;
    int deadlineMs = 15000;          // the run ends then, whatever is left
    bool closeEach = true;           // ask "Connection: close"
    bool holdOpen = false;           // keep each connection open after its answers, until the run ends
    std::string expectBody;          // when set, any other body is a failure
};

struct LoadResult {
    long answered = 0;               // 200 with the expected body
    long failures = 0;               // refused, reset, cut short, other status or body
    long compressed = 0;             // answers carrying Content-Encoding
    int connectionsDone = 0;         // connections that got all their answers
    std::vector<double> latencyMs;   // per answer, from sending (or connecting) to the last byte
    double lastAnswerMs = 0;         // from the start of the run
    double elapsedMs = 0;
    std::string sampleBody;

    double percentile(double p) const;
    double perSecond() const { return elapsedMs > 0 ? answered * 1000.0 / elapsedMs : 0; }
};

LoadResult runLoad(const LoadOptions &options);

// Lifts the soft limit on open files to the hard one (a thousand sockets).
void raiseOpenFileLimit();

} // namespace servertest
