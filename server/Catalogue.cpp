#include "Catalogue.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <unordered_set>

namespace cirrolith::server {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = line.find('|', start);
        fields.push_back(trim(line.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start)));
        if (bar == std::string_view::npos)
            return fields;
        start = bar + 1;
    }
}

// A reply item must survive the client's split and error scan unchanged.
const char *itemProblem(std::string_view text)
{
    if (text.find("<P>") != std::string_view::npos)
        return "holds the item separator <P>";
    if (text.substr(0, 3) == "ERR")
        return "begins with ERR, which the program reads as an error reply";
    return nullptr;
}

} // namespace

const CatalogueEntry *Catalogue::findId(long id) const
{
    for (const auto &e : entries)
        if (e.id == id)
            return &e;
    return nullptr;
}

std::optional<Catalogue> parseCatalogue(std::string_view text, std::string &error)
{
    Catalogue cat;
    std::unordered_set<int> ids;
    bool haveMessage = false;
    int lineNo = 0;
    size_t pos = 0;
    auto fail = [&](const std::string &why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return std::nullopt;
    };

    while (pos <= text.size()) {
        size_t eol = text.find('\n', pos);
        std::string_view raw = text.substr(pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
        pos = eol == std::string_view::npos ? text.size() + 1 : eol + 1;
        ++lineNo;

        std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#')
            continue;

        if (line.front() == '@') {
            size_t sp = line.find_first_of(" \t");
            std::string_view name = line.substr(0, sp);
            std::string_view value = sp == std::string_view::npos ? std::string_view() : trim(line.substr(sp));
            if (name != "@message")
                return fail("unknown directive " + std::string(name));
            if (haveMessage)
                return fail("second @message");
            if (value.find("<P>") != std::string_view::npos)
                return fail("message holds the item separator <P>");
            cat.message = std::string(value);
            haveMessage = true;
            continue;
        }

        auto fields = splitFields(line);
        if (fields.size() < 3 || fields.size() > 4)
            return fail("expected ADDRESS | ID | DESCRIPTION | CREDIT, found " + std::to_string(fields.size()) + " fields");

        CatalogueEntry e;
        e.line = lineNo;
        e.address = std::string(fields[0]);
        e.description = std::string(fields[2]);
        if (fields.size() == 4)
            e.credit = std::string(fields[3]);

        if (e.address.size() < 2)
            return fail("address too short");
        if (e.address.find_first_of(" \t") != std::string::npos)
            return fail("address holds a blank");
        if (e.description.empty())
            return fail("empty description");

        std::string_view idText = fields[1];
        auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), e.id);
        if (idText.empty() || ec != std::errc() || end != idText.data() + idText.size())
            return fail("id '" + std::string(idText) + "' is not a whole number");
        if (e.id < 0 || e.id > kMaxCatalogueId)
            return fail("id " + std::to_string(e.id) + " outside 0.." + std::to_string(kMaxCatalogueId));
        if (!ids.insert(e.id).second)
            return fail("id " + std::to_string(e.id) + " used twice");

        for (auto [what, value] : {std::pair{"address", &e.address}, {"description", &e.description}, {"credit line", &e.credit}})
            if (const char *problem = itemProblem(*value))
                return fail(std::string(what) + " " + problem);

        cat.entries.push_back(std::move(e));
    }
    return cat;
}

std::optional<Catalogue> loadCatalogue(const std::string &path, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    auto cat = parseCatalogue(buf.str(), error);
    if (!cat)
        error = path + ": " + error;
    return cat;
}

} // namespace cirrolith::server
