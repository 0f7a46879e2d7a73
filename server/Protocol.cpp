#include "Protocol.h"

#include <array>
#include <charconv>
#include <cstdint>

namespace cirrolith::server {

namespace {

constexpr std::string_view kPairSeparator = "&x00=";

struct Layout {
    Command command;
    std::array<std::string_view, 5> markers;
    size_t count;
};

// The pairs of each request in the order the program sends them; the
// selected-addresses request puts y1111 before y3333.
constexpr std::array<Layout, 7> kLayouts{{
    {Command::Probe, {"x8888", "y0000", "y3333", "y1111"}, 4},
    {Command::Message, {"y0000", "x5555", "y3333", "y1111", "y5555"}, 5},
    {Command::Addresses, {"x4444", "y0000", "y3333", "y1111", "y5555"}, 5},
    {Command::Ids, {"x6666", "y0000", "y3333", "y1111", "y5555"}, 5},
    {Command::Descriptions, {"x7777", "y0000", "y3333", "y1111", "y5555"}, 5},
    {Command::Selected, {"y2222", "y0000", "y1111", "y3333", "y5555"}, 5},
    {Command::Credits, {"x9999", "y0000", "y3333", "y1111", "y5555"}, 5},
}};

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Clients may escape characters such as "[" on the way; a stray "%" stays as it is.
std::string percentDecode(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int hi = hexValue(s[i + 1]), lo = hexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(s[i]);
    }
    return out;
}

bool parseLong(std::string_view s, long &value, long lo, long hi)
{
    if (s.empty())
        return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size() && value >= lo && value <= hi;
}

// "[_" then each id followed by "_", then "]".
bool parseIds(std::string_view s, std::vector<long> &ids)
{
    if (s.size() < 3 || s.substr(0, 2) != "[_" || s.back() != ']')
        return false;
    s = s.substr(2, s.size() - 3);
    while (!s.empty()) {
        size_t us = s.find('_');
        if (us == std::string_view::npos)
            return false;
        long id = 0;
        if (!parseLong(s.substr(0, us), id, INT32_MIN, INT32_MAX))
            return false;
        ids.push_back(id);
        s.remove_prefix(us + 1);
    }
    return true;
}

// The reason echoes parts of the query: keep it short and free of markup so
// a hostile query cannot forge reply items.
Query invalid(std::string why)
{
    if (why.size() > 160)
        why.resize(160);
    for (char &c : why)
        if (c == '<' || c == '>' || static_cast<unsigned char>(c) < 0x20)
            c = '?';
    Query q;
    q.error = std::move(why);
    return q;
}

} // namespace

const char *commandName(Command c)
{
    switch (c) {
    case Command::Probe: return "probe";
    case Command::Message: return "message";
    case Command::Addresses: return "addresses";
    case Command::Ids: return "ids";
    case Command::Descriptions: return "descriptions";
    case Command::Selected: return "selected";
    case Command::Credits: return "credits";
    case Command::Invalid: return "invalid";
    }
    return "invalid";
}

std::optional<Command> commandFromName(std::string_view name)
{
    for (auto c : {Command::Probe, Command::Message, Command::Addresses, Command::Ids, Command::Descriptions,
                   Command::Selected, Command::Credits, Command::Invalid})
        if (name == commandName(c))
            return c;
    return std::nullopt;
}

Query parseQuery(std::string_view raw)
{
    if (raw.substr(0, 3) != "p=1")
        return invalid("query does not begin with p=1");
    std::string_view rest = raw.substr(3);

    std::vector<std::string_view> markers;
    std::vector<std::string_view> values;
    while (!rest.empty()) {
        if (rest.substr(0, kPairSeparator.size()) != kPairSeparator)
            return invalid("expected &x00= at \"" + std::string(rest.substr(0, 20)) + "\"");
        rest.remove_prefix(kPairSeparator.size());
        size_t next = rest.find(kPairSeparator);
        std::string_view pair = rest.substr(0, next);
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
        if (pair.size() < 5)
            return invalid("short marker \"" + std::string(pair) + "\"");
        markers.push_back(pair.substr(0, 5));
        values.push_back(pair.substr(5));
    }

    const Layout *layout = nullptr;
    for (const auto &l : kLayouts) {
        if (l.count != markers.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < l.count && same; ++i)
            same = markers[i] == l.markers[i];
        if (same) {
            layout = &l;
            break;
        }
    }
    if (!layout) {
        std::string seen;
        for (auto m : markers)
            seen += (seen.empty() ? "" : ",") + std::string(m);
        return invalid("unknown command or pair order: " + (seen.empty() ? std::string("no pairs") : seen));
    }

    Query q;
    q.command = layout->command;
    for (size_t i = 0; i < markers.size(); ++i) {
        std::string value = percentDecode(values[i]);
        std::string_view m = markers[i];
        if (m.front() == 'x') {
            if (!value.empty())
                return invalid(std::string(m) + " carries a value");
        } else if (m == "y0000") {
            q.y0000 = value;
        } else if (m == "y3333") {
            q.y3333 = value;
        } else if (m == "y1111") {
            q.y1111 = value;
        } else if (m == "y5555") {
            if (!parseLong(value, q.y5555, INT32_MIN, INT32_MAX))
                return invalid("y5555 value \"" + value + "\" is not a 32-bit number");
        } else if (m == "y2222") {
            if (!parseIds(value, q.ids))
                return invalid("id list \"" + value + "\" is not of the form [_id_id_]");
        }
    }
    return q;
}

std::vector<std::string> replyItems(const Catalogue &cat, const Query &q)
{
    std::vector<std::string> items;
    switch (q.command) {
    case Command::Probe:
        items.emplace_back(kProbeMarker);
        break;
    case Command::Message:
        // Without a message the item stays shorter than 8 characters, so the
        // program keeps whatever message it had.
        items.push_back("outmsg:" + cat.message);
        break;
    case Command::Addresses:
        for (const auto &e : cat.entries)
            items.push_back(e.address);
        break;
    case Command::Ids:
        for (const auto &e : cat.entries)
            items.push_back(std::to_string(e.id));
        break;
    case Command::Descriptions:
        for (const auto &e : cat.entries)
            items.push_back(e.description);
        break;
    case Command::Credits:
        for (const auto &e : cat.entries)
            items.push_back(e.credit);
        break;
    case Command::Selected:
        // In the order asked: the program pairs the k-th address with the
        // k-th picture of its list. Unknown ids are left out rather than
        // answered with an empty item, which would end the program's set.
        for (long id : q.ids)
            if (const auto *e = cat.findId(id))
                items.push_back(e->address);
        break;
    case Command::Invalid:
        items.push_back("ERR " + q.error);
        break;
    }
    return items;
}

std::string formatReply(const std::vector<std::string> &items)
{
    std::string body = "<P>";
    for (const auto &item : items) {
        body += item;
        body += "<P>";
    }
    return body;
}

} // namespace cirrolith::server
