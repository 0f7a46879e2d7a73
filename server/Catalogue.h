#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cirrolith::server {

// One picture the server offers, as written in the catalogue file.
struct CatalogueEntry {
    std::string address;      // with its type character in place of the first letter
    int id = 0;
    std::string description;
    std::string credit;       // may be empty
    int line = 0;             // line in the catalogue file, for messages
};

struct Catalogue {
    std::vector<CatalogueEntry> entries;
    std::string message;      // server message to the user; empty when none

    const CatalogueEntry *findId(long id) const;
};

// Parses the catalogue text. On failure returns nothing and sets error to
// "line N: reason" for the first line the server cannot answer from.
std::optional<Catalogue> parseCatalogue(std::string_view text, std::string &error);
std::optional<Catalogue> loadCatalogue(const std::string &path, std::string &error);
// The whole file's text, or nothing with error set.
std::optional<std::string> readCatalogueFile(const std::string &path, std::string &error);

// One broken rule of a catalogue file. An error is something the program
// cannot use (the server refuses some of them, the rest reach the program
// and fail there); a warning something it will show oddly.
struct CatalogueProblem {
    int line = 0;
    bool error = true;
    std::string text;
};

// Every broken rule of the catalogue text, in line order: the server's own
// (as parseCatalogue finds them, but all of them) and those the program
// puts on addresses, descriptions and credit lines.
std::vector<CatalogueProblem> checkCatalogue(std::string_view text);

// Largest id the program can hold (it stores ids as 16-bit signed integers).
inline constexpr int kMaxCatalogueId = 32767;

} // namespace cirrolith::server
