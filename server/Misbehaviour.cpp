#include "Misbehaviour.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace cirrolith::server {

namespace {

std::vector<std::string_view> split(std::string_view s, char sep)
{
    std::vector<std::string_view> parts;
    for (;;) {
        size_t p = s.find(sep);
        parts.push_back(s.substr(0, p));
        if (p == std::string_view::npos)
            return parts;
        s.remove_prefix(p + 1);
    }
}

bool number(std::string_view s, long &v)
{
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size() && v >= 0;
}

const std::vector<Command> kAllCommands{Command::Probe, Command::Message, Command::Addresses, Command::Ids,
                                        Command::Descriptions, Command::Selected, Command::Credits,
                                        Command::Invalid};

} // namespace

std::optional<Rule> parseRule(std::string_view ruleText, std::string &error)
{
    Rule r;
    r.text = std::string(ruleText);
    auto parts = split(ruleText, ',');
    std::string_view head = parts[0];
    size_t eq = head.find('=');
    std::string_view mode = head.substr(0, eq);
    std::string_view arg = eq == std::string_view::npos ? std::string_view() : head.substr(eq + 1);
    bool hasArg = eq != std::string_view::npos;

    if (mode == "delay" || mode == "trickle") {
        r.fault = mode == "delay" ? Fault::Delay : Fault::Trickle;
        if (!hasArg || !number(arg, r.arg)) {
            error = std::string(mode) + " needs a number of milliseconds: " + std::string(mode) + "=MS";
            return std::nullopt;
        }
    } else if (mode == "huge") {
        r.fault = Fault::Huge;
        r.arg = kDefaultHugeBytes;
        if (hasArg && !number(arg, r.arg)) {
            error = "huge takes a byte count: huge=BYTES";
            return std::nullopt;
        }
    } else if (mode == "status") {
        r.fault = Fault::Status;
        if (!hasArg || !number(arg, r.arg) || r.arg < 100 || r.arg > 599 || r.arg == 200) {
            error = "status needs an HTTP status other than 200: status=CODE (100 to 599)";
            return std::nullopt;
        }
    } else {
        if (mode == "hang") r.fault = Fault::Hang;
        else if (mode == "close") r.fault = Fault::Close;
        else if (mode == "no-marker") r.fault = Fault::NoMarker;
        else if (mode == "err") r.fault = Fault::Err;
        else {
            error = "unknown fault \"" + std::string(mode) + "\"";
            return std::nullopt;
        }
        if (hasArg) {
            error = std::string(mode) + " takes no value";
            return std::nullopt;
        }
    }

    bool scoped = false;
    for (size_t i = 1; i < parts.size(); ++i) {
        std::string_view p = parts[i];
        if (p.substr(0, 3) == "on=") {
            scoped = true;
            for (auto name : split(p.substr(3), '+')) {
                if (name == "all") {
                    r.commands.insert(r.commands.end(), kAllCommands.begin(), kAllCommands.end());
                } else if (name == "files") {
                    r.files = true;
                } else if (auto c = commandFromName(name)) {
                    r.commands.push_back(*c);
                } else {
                    error = "unknown scope \"" + std::string(name) + "\"";
                    return std::nullopt;
                }
            }
        } else if (p.substr(0, 6) == "count=") {
            if (!number(p.substr(6), r.remaining)) {
                error = "count needs a whole number";
                return std::nullopt;
            }
        } else {
            error = "unknown rule part \"" + std::string(p) + "\"";
            return std::nullopt;
        }
    }
    if (!scoped)
        r.commands = kAllCommands;
    if (r.files && (r.fault == Fault::NoMarker || r.fault == Fault::Err || r.fault == Fault::Huge)) {
        error = "only delay, hang, close, trickle and status apply to files";
        return std::nullopt;
    }
    return r;
}

std::optional<Rule> Misbehaviour::take(std::optional<Command> command)
{
    std::lock_guard lock(mutex_);
    for (auto &r : rules_) {
        if (r.remaining == 0)
            continue;
        bool applies = command ? std::find(r.commands.begin(), r.commands.end(), *command) != r.commands.end()
                               : r.files;
        if (!applies)
            continue;
        if (r.remaining > 0)
            --r.remaining;
        return r;
    }
    return std::nullopt;
}

std::string applyToReply(const Rule &rule, Command command, std::vector<std::string> items)
{
    switch (rule.fault) {
    case Fault::NoMarker:
        // What a captive portal might answer instead of the catalogue.
        if (command == Command::Probe)
            items = {"<html>Please sign in to use this network</html>"};
        break;
    case Fault::Err:
        // Second place, so a client that only looks at the first item is caught.
        items.insert(items.begin() + (items.empty() ? 0 : 1), "ERR deliberate failure");
        break;
    case Fault::Huge: {
        std::string body = formatReply(items);
        char filler[96];
        for (long n = 0; static_cast<long>(body.size()) <= rule.arg; ++n) {
            // Fixed-width filler items: 90 characters plus the separator.
            std::snprintf(filler, sizeof filler, "filler%08ld", n);
            std::string item(filler);
            item.resize(90, 'x');
            body += item;
            body += "<P>";
        }
        return body;
    }
    case Fault::Delay:
    case Fault::Hang:
    case Fault::Close:
    case Fault::Trickle:
    case Fault::Status:
        break;
    }
    return formatReply(items);
}

std::string errorPage(long status)
{
    const char *reason = status == 500 ? "Internal Server Error"
                         : status == 502 ? "Bad Gateway"
                         : status == 503 ? "Service Unavailable"
                         : status == 504 ? "Gateway Timeout"
                                         : "Error";
    const std::string title = std::to_string(status) + " " + reason;
    // It holds the probe's marker and item separators, as a page quoting a
    // request may: a client must go by the status, not by the words.
    return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head>\n"
           "<body><h1>" + title + "</h1>\n"
           "<p>The server is temporarily unable to service your request.</p>\n"
           "<!-- NWX_REPLY_TO_CLIENT <P>ERR-free<P> padding so a careless client finds items -->\n"
           "</body></html>\n";
}

} // namespace cirrolith::server
