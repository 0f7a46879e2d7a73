#pragma once

#include "Catalogue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cirrolith::server {

enum class Command { Probe, Message, Addresses, Ids, Descriptions, Selected, Credits, Invalid };

const char *commandName(Command c);
std::optional<Command> commandFromName(std::string_view name);

struct Query {
    Command command = Command::Invalid;
    std::string error;                 // why the query is invalid
    std::string y0000, y3333, y1111;   // opaque client values
    long y5555 = 0;
    std::vector<long> ids;             // selected-addresses request only
};

// Parses the raw (still percent-encoded) query string, without the "?".
Query parseQuery(std::string_view rawQuery);

// The reply items for a valid query; an "ERR" item for an invalid one.
std::vector<std::string> replyItems(const Catalogue &cat, const Query &q);

// "<P>" before every item and after the last one.
std::string formatReply(const std::vector<std::string> &items);

inline constexpr std::string_view kProbeMarker = "NWX_REPLY_TO_CLIENT";

} // namespace cirrolith::server
