#include "Catalogue.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <algorithm>
#include <unordered_map>
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

namespace {

// Reads every line; a line the server cannot answer from is left out and
// reported in problems, and reading goes on.
Catalogue parseLines(std::string_view text, std::vector<CatalogueProblem> &problems)
{
    Catalogue cat;
    std::unordered_set<int> ids;
    bool haveMessage = false;
    int lineNo = 0;
    size_t pos = 0;
    auto fail = [&](const std::string &why) { problems.push_back({lineNo, true, why}); };

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
            if (name != "@message") {
                fail("unknown directive " + std::string(name));
                continue;
            }
            if (haveMessage) {
                fail("second @message");
                continue;
            }
            if (value.find("<P>") != std::string_view::npos) {
                fail("message holds the item separator <P>");
                continue;
            }
            cat.message = std::string(value);
            haveMessage = true;
            continue;
        }

        auto fields = splitFields(line);
        if (fields.size() < 3 || fields.size() > 4) {
            fail("expected ADDRESS | ID | DESCRIPTION | CREDIT, found " + std::to_string(fields.size()) + " fields");
            continue;
        }

        CatalogueEntry e;
        e.line = lineNo;
        e.address = std::string(fields[0]);
        e.description = std::string(fields[2]);
        if (fields.size() == 4)
            e.credit = std::string(fields[3]);

        const size_t before = problems.size();
        if (e.address.size() < 2)
            fail("address too short");
        else if (e.address.find_first_of(" \t") != std::string::npos)
            fail("address holds a blank");
        if (e.description.empty())
            fail("empty description");

        std::string_view idText = fields[1];
        auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), e.id);
        if (idText.empty() || ec != std::errc() || end != idText.data() + idText.size())
            fail("id '" + std::string(idText) + "' is not a whole number");
        else if (e.id < 0 || e.id > kMaxCatalogueId)
            fail("id " + std::to_string(e.id) + " outside 0.." + std::to_string(kMaxCatalogueId));
        else if (!ids.insert(e.id).second)
            fail("id " + std::to_string(e.id) + " used twice");

        for (auto [what, value] : {std::pair{"address", &e.address}, {"description", &e.description}, {"credit line", &e.credit}})
            if (const char *problem = itemProblem(*value))
                fail(std::string(what) + " " + problem);

        if (problems.size() == before)
            cat.entries.push_back(std::move(e));
    }
    return cat;
}

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        size_t j = text.find(' ', i);
        if (j == std::string_view::npos)
            j = text.size();
        if (j > i)
            out.push_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// What the program makes of an address: the type letter in place of the "h"
// of http, and only http and https fetched.
void checkAddress(const CatalogueEntry &e, std::vector<CatalogueProblem> &out)
{
    auto error = [&](const std::string &why) { out.push_back({e.line, true, why}); };
    const std::string &a = e.address;
    const char type = a.front();
    const std::string restored = "h" + a.substr(1);
    if (startsWith(restored, "http://") || startsWith(restored, "https://")) {
        if (type != 'h' && (type < '2' || type > '5')) {
            error(std::string("unknown type letter '") + type + "': 2 web page, 3 home-town page, 4 animated GIF, "
                  "5 series, or a plain http:// or https:// address for a still picture");
            return;
        }
    } else {
        const size_t colon = a.find("://");
        if (colon != std::string::npos)
            error("address " + a.substr(0, colon + 3) + "...: the program fetches only http:// and https://");
        else
            error("address " + a + " is not an http:// or https:// address");
        return;
    }
    const size_t hostStart = a.find("://") + 3;
    const std::string_view host = std::string_view(a).substr(hostStart, a.find('/', hostStart) - hostStart);
    if (host.empty())
        error("address has no host");
    else if (a.find('.') == std::string::npos)
        out.push_back({e.line, false, "address holds no '.': the program shows a notice for it"});
    if (type == '5') {
        // prefix*suffix,start,step,count,width
        const size_t star = a.find('*');
        const size_t comma = a.find(',', star == std::string::npos ? 0 : star);
        int numbers = 0;
        bool wholeNumbers = comma != std::string::npos;
        for (size_t i = comma; wholeNumbers && i != std::string::npos && i < a.size();) {
            size_t next = a.find(',', i + 1);
            std::string_view n = std::string_view(a).substr(i + 1, next == std::string::npos ? std::string::npos : next - i - 1);
            int value = 0;
            auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), value);
            wholeNumbers = !n.empty() && ec == std::errc() && end == n.data() + n.size();
            ++numbers;
            i = next;
        }
        if (star == std::string::npos || !wholeNumbers || numbers != 4)
            error("series address is not prefix*suffix,start,step,count,width");
    }
    if (type == '3' && a.find("<p") == std::string::npos)
        out.push_back({e.line, false, "home-town page (type 3) without any <p01>..<p14> tag: type 2 shows it alike"});
}

// The description's second word is the picture's code in collection files:
// a collection saved with it drops every "-", one loaded compares it whole.
void checkDescription(const CatalogueEntry &e, std::vector<CatalogueProblem> &out)
{
    const auto w = words(e.description);
    if (w.size() < 2) {
        out.push_back({e.line, true, "description '" + e.description +
                                         "' has one word: its second word is the picture's code in collections"});
        return;
    }
    if (w[0].size() < 2)
        out.push_back({e.line, true, "description's first word '" + std::string(w[0]) +
                                         "' is shorter than two characters: collections read the wrong code"});
    if (w[1].find('-') != std::string_view::npos)
        out.push_back({e.line, true, "code '" + std::string(w[1]) +
                                         "' (the description's second word) holds '-': a saved collection "
                                         "would not find it again"});
}

// Words of a credit line are separated by "-": word 1 is shown, word 2 is
// the timing code, and more than four "-" bring up a notice.
void checkCredit(const CatalogueEntry &e, std::vector<CatalogueProblem> &out)
{
    if (e.credit.empty())
        return;
    auto warn = [&](const std::string &why) { out.push_back({e.line, false, why}); };
    std::vector<std::string> parts(1);
    for (char c : e.credit) {
        if (c == '-')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    const size_t dashes = parts.size() - 1;
    if (dashes > 4)
        warn("credit line holds " + std::to_string(dashes) + " '-' (at most four): the program shows a notice "
             "with that slide, and a '-' cannot be written inside a credit text");
    if (dashes == 0) {
        warn("credit line holds no '-': its first word is never shown, so nothing appears under the picture");
        return;
    }
    if (parts.size() > 2 && dashes <= 4) {
        const std::string &code = parts[2];
        if (code != "99" && code != "95" && code != "200")
            warn("credit's timing code (after the second '-') is '" + code +
                 "', not 99, 95 or 200: the slide keeps the normal time, and only '" + parts[1] +
                 "' is shown");
    }
}

} // namespace

std::optional<Catalogue> parseCatalogue(std::string_view text, std::string &error)
{
    std::vector<CatalogueProblem> problems;
    Catalogue cat = parseLines(text, problems);
    if (!problems.empty()) {
        error = "line " + std::to_string(problems.front().line) + ": " + problems.front().text;
        return std::nullopt;
    }
    return cat;
}

std::vector<CatalogueProblem> checkCatalogue(std::string_view text)
{
    std::vector<CatalogueProblem> problems;
    const Catalogue cat = parseLines(text, problems);
    std::unordered_map<std::string, int> codes;   // code -> first line
    for (const CatalogueEntry &e : cat.entries) {
        checkAddress(e, problems);
        checkDescription(e, problems);
        checkCredit(e, problems);
        const auto w = words(e.description);
        if (w.size() >= 2) {
            auto [first, added] = codes.emplace(std::string(w[1]), e.line);
            if (!added)
                problems.push_back({e.line, true, "code '" + std::string(w[1]) + "' also on line " +
                                                       std::to_string(first->second) +
                                                       ": a collection would select both pictures"});
        }
    }
    std::stable_sort(problems.begin(), problems.end(),
                     [](const CatalogueProblem &a, const CatalogueProblem &b) { return a.line < b.line; });
    return problems;
}

std::optional<std::string> readCatalogueFile(const std::string &path, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

std::optional<Catalogue> loadCatalogue(const std::string &path, std::string &error)
{
    const auto text = readCatalogueFile(path, error);
    if (!text)
        return std::nullopt;
    auto cat = parseCatalogue(*text, error);
    if (!cat)
        error = path + ": " + error;
    return cat;
}

} // namespace cirrolith::server
