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
// "line N: reason".
std::optional<Catalogue> parseCatalogue(std::string_view text, std::string &error);
std::optional<Catalogue> loadCatalogue(const std::string &path, std::string &error);

// Largest id the program can hold (it stores ids as 16-bit signed integers).
inline constexpr int kMaxCatalogueId = 32767;

} // namespace cirrolith::server
