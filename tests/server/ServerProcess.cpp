#include "ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace servertest {

namespace {

// Reads one line from fd, giving up after timeoutMs.
bool readLine(int fd, std::string &line, int timeoutMs)
{
    line.clear();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
        if (left <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0)
            return false;
        char c;
        if (read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        line.push_back(c);
    }
}

int spawn(const std::vector<std::string> &args, int &outFd, int &errFd)
{
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
        return -1;
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // A test that crashes, aborts or is killed on its time limit takes
        // its server with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        std::vector<char *> argv;
        std::string bin = serverBinary();
        argv.push_back(bin.data());
        for (auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(bin.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    outFd = out[0];
    errFd = err[0];
    return pid;
}

} // namespace

std::string serverBinary() { return CIRROLITH_SERVER_BIN; }

std::string makeTempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "cirrolith-server-XXXXXX").string();
    char *dir = mkdtemp(tmpl.data());
    return dir ? std::string(dir) : std::string();
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool ServerProcess::start(std::vector<std::string> args)
{
    if (std::find(args.begin(), args.end(), "--port") == args.end()) {
        args.push_back("--port");
        args.push_back("0");
    }
    int outFd = -1;
    pid_ = spawn(args, outFd, errFd_);
    if (pid_ < 0)
        return false;
    std::string line;
    bool ok = readLine(outFd, line, 5000);
    close(outFd);
    const std::string prefix = "listening on 127.0.0.1:";
    if (!ok || line.rfind(prefix, 0) != 0) {
        stop();
        return false;
    }
    port_ = std::atoi(line.c_str() + prefix.size());
    return port_ > 0;
}

void ServerProcess::collectStderr()
{
    if (errFd_ < 0)
        return;
    char buf[4096];
    ssize_t n;
    while ((n = read(errFd_, buf, sizeof buf)) > 0)
        stderr_.append(buf, static_cast<size_t>(n));
    close(errFd_);
    errFd_ = -1;
}

int ServerProcess::stop()
{
    if (pid_ < 0)
        return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    collectStderr();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int ServerProcess::runToExit(std::vector<std::string> args)
{
    int outFd = -1;
    pid_t pid = spawn(args, outFd, errFd_);
    char buf[4096];
    stdout_.clear();
    for (ssize_t n; (n = read(outFd, buf, sizeof buf)) > 0;)
        stdout_.append(buf, static_cast<size_t>(n));
    close(outFd);
    int status = 0;
    waitpid(pid, &status, 0);
    collectStderr();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

HttpResult httpRaw(int port, const std::string &request, int timeoutMs)
{
    HttpResult r;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        close(fd);
        return r;
    }
    r.connected = true;
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) {
            r.timedOut = true;
            break;
        }
        char buf[65536];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        r.raw.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    size_t end = r.raw.find("\r\n\r\n");
    if (r.raw.rfind("HTTP/1.1 ", 0) == 0 && end != std::string::npos) {
        r.status = std::atoi(r.raw.c_str() + 9);
        r.headers = r.raw.substr(0, end);
        r.body = r.raw.substr(end + 4);
    }
    return r;
}

HttpResult httpGet(int port, const std::string &target, int timeoutMs)
{
    return httpRaw(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", timeoutMs);
}

} // namespace servertest
