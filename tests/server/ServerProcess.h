#pragma once

// Runs the catalogue server as a child process on an ephemeral port and talks
// to it over plain sockets, so tests see exactly the bytes on the wire.

#include <string>
#include <vector>

namespace servertest {

class ServerProcess {
public:
    ServerProcess() = default;
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;
    ~ServerProcess() { stop(); }

    // Adds "--port 0" and waits for the "listening on" line. False when the
    // server exited instead; stderrText() then tells why.
    bool start(std::vector<std::string> args);
    // SIGTERM and wait; the exit status, or -1 when not running.
    int stop();
    // For servers expected to refuse their arguments: the exit status.
    int runToExit(std::vector<std::string> args);

    int port() const { return port_; }
    const std::string &stderrText() const { return stderr_; }
    // What runToExit's process wrote on standard output.
    const std::string &stdoutText() const { return stdout_; }

private:
    int pid_ = -1;
    int port_ = 0;
    int errFd_ = -1;
    std::string stderr_;
    std::string stdout_;
    void collectStderr();
};

struct HttpResult {
    bool connected = false;
    bool timedOut = false;      // nothing more arrived in time, connection still open
    std::string raw;            // everything received
    int status = 0;
    std::string headers;
    std::string body;
};

// Sends "GET target HTTP/1.1" with Connection: close and reads until the
// server closes or timeoutMs passes without data.
HttpResult httpGet(int port, const std::string &target, int timeoutMs = 3000);

// Sends raw bytes as the request.
HttpResult httpRaw(int port, const std::string &request, int timeoutMs = 3000);

std::string serverBinary();
std::string makeTempDir();
void writeFile(const std::string &path, const std::string &bytes);
std::string readFile(const std::string &path);

} // namespace servertest
