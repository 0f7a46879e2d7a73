#pragma once

#include <QString>

#include <optional>

// The status line while the program waits for the catalogue server. Nothing
// for a language code outside 1..4: the caption is left as it is then.
std::optional<QString> waitingMessage(int lingua);
// The status line while the server gives no answer: when it is asked again.
std::optional<QString> unavailableMessage(int lingua, const QString &clockTime);
