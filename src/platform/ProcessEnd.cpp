#include "platform/ProcessEnd.h"

#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<bool> g_enabled{false};
std::atomic<int> g_requests{0};
std::atomic<bool> g_watchdogArmed{false};
int g_signalPipe[2] = {-1, -1};
void (*g_onSignal)() = nullptr;

void armWatchdog(int exitCode)
{
    if (g_watchdogArmed.exchange(true))
        return;
    // A plain thread, not a Qt timer: it must fire even when the event loop
    // is stuck inside a handler that never returns to it.
    std::thread([exitCode] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ProcessEnd::kGraceMs));
        std::fflush(nullptr);
        _exit(exitCode);
    }).detach();
}

void onTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here: the event loop does the rest, and
    // the alarm ends a process whose event loop never gets there.
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
    ::alarm(2);
}

} // namespace

void ProcessEnd::request(int exitCode)
{
    ++g_requests;
    EventPump::requestQuit();
    if (!g_enabled)
        return;
    armWatchdog(exitCode);
    // Leaves every event loop running now, nested ones included; loops
    // entered from here on return at once.
    QCoreApplication::exit(exitCode);
}

bool ProcessEnd::requested() { return g_requests > 0; }
int ProcessEnd::requestCount() { return g_requests; }
void ProcessEnd::enable() { g_enabled = true; }

void ProcessEnd::resetForTests()
{
    g_requests = 0;
    EventPump::resetQuit();
}

void ProcessEnd::catchTerminationSignals(void (*onSignal)())
{
    if (g_signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    g_onSignal = onSignal;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read,
                                         QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte;
        [[maybe_unused]] const auto n = ::read(g_signalPipe[0], &byte, 1);
        if (g_onSignal)
            g_onSignal();
        // Whatever the handler did, a termination signal ends the process.
        request(0);
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

} // namespace platform
