#pragma once

#include "settings/ConfigFile.h"

#include <QString>

#include <optional>

// Messages of the settings files in the four languages. Nothing is returned
// for a language code outside 1..4: those messages then are not shown.
struct LocalizedMessage {
    QString title;
    QString text;
};

std::optional<LocalizedMessage> timerMessage(TimerProblem problem, int lingua);
std::optional<QString> configWriteFailureMessage(int lingua);
