#pragma once

#include <QString>

#include <optional>

// The display mode's name in the user's language; nothing for a language code
// outside 1..4 (no language chosen yet).
std::optional<QString> displayModeName(int lingua, bool fullScreen);
