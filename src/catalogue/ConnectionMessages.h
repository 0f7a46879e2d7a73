#pragma once

#include <QString>

#include <optional>

// The status line while the program waits for the catalogue server. Nothing
// for a language code outside 1..4: the caption is left as it is then.
std::optional<QString> waitingMessage(int lingua);
std::optional<QString> retryMessage(int lingua);
