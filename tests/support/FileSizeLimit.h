#pragma once

#include <csignal>

#include <sys/resource.h>

// A full disk without root: with a file-size limit and SIGXFSZ ignored, any
// write past `bytes` fails with EFBIG the way it fails with ENOSPC.
namespace filelimit {

// For a child process (QProcess::setChildProcessModifier): the ignored signal
// and the limit both survive exec.
inline void applyInChild(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

// For the test process itself while it lives: only the soft limit is lowered,
// so it can be raised back afterwards.
class Scoped {
public:
    explicit Scoped(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~Scoped()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    Scoped(const Scoped &) = delete;
    Scoped &operator=(const Scoped &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace filelimit
