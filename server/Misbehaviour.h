#pragma once

#include "Protocol.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cirrolith::server {

// Deliberate faults for testing clients. A rule is written
//   MODE[=ARG][,on=SCOPE+SCOPE...][,count=N]
// MODE is delay=MS, hang, close, trickle=MS, no-marker, err, huge[=BYTES] or
// status=CODE (an HTTP error page, as a front end sends with the server down);
// SCOPE is a
// command name, "files" for static files, or "all" (every catalogue request,
// the default). count limits the rule to the first N matching requests.
enum class Fault { Delay, Hang, Close, Trickle, NoMarker, Err, Huge, Status };

struct Rule {
    Fault fault = Fault::Delay;
    long arg = 0;                       // delay or trickle step in ms, body size for huge, HTTP status
    std::vector<Command> commands;      // catalogue commands it applies to
    bool files = false;                 // applies to static files
    long remaining = -1;                // -1: unlimited
    std::string text;                   // as given, for the log
};

std::optional<Rule> parseRule(std::string_view ruleText, std::string &error);

class Misbehaviour {
public:
    void add(Rule r) { rules_.push_back(std::move(r)); }
    bool empty() const { return rules_.empty(); }

    // The first rule that applies, used up by one; nothing when none applies.
    std::optional<Rule> take(std::optional<Command> command);

private:
    std::mutex mutex_;
    std::vector<Rule> rules_;
};

// Applies the body-changing faults (no-marker, err, huge) to a reply.
std::string applyToReply(const Rule &rule, Command command, std::vector<std::string> items);

inline constexpr long kDefaultHugeBytes = 250000;

// The HTML page a front end sends in place of a reply with the given status.
std::string errorPage(long status);

} // namespace cirrolith::server
