#pragma once

namespace platform {

// How the program ends. Quitting must win over every wait: a wait deep inside
// a timer tick (a download, a reply, a question, a page capture) may not
// unwind in time, so ending does not depend on the stack unwinding or on the
// last window closing.
class ProcessEnd {
public:
    // How long an orderly exit may take before the process is cut short.
    static constexpr int kGraceMs = 1500;

    // Asks every wait to give up, leaves every running event loop and ends
    // the process with exitCode; if the event loops have not returned to
    // main() within kGraceMs, the process is ended there and then. Whatever
    // must be saved has to be saved before this call. In recording mode
    // (the default, for tests) only the request is recorded.
    static void request(int exitCode = 0);

    static bool requested();
    static int requestCount();

    // The program turns ending on; tests keep the recording mode.
    static void enable();
    static void resetForTests();

    // Routes SIGTERM, SIGINT and SIGHUP into onSignal, run from the event
    // loop; if that does not end the process within kGraceMs of the signal,
    // the process ends anyway.
    static void catchTerminationSignals(void (*onSignal)());
};

} // namespace platform
