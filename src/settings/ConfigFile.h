#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// "Cirrolith4_Config.dat": download timer (minutes), slide timer (seconds),
// display mode and the own picture, one per line, then two empty lines.
inline constexpr const char *kConfigFileName = "Cirrolith4_Config.dat";
inline constexpr const char *kFullScreen = "Full_Screen";
inline constexpr const char *kNormal = "Normal";

struct ConfigValues {
    QString downloadMinutes;   // kept exactly as typed
    QString slideSeconds;
    QString displayMode;       // line 3 as read; written as Full_Screen or Normal
    QString ownPicture;        // "" when none
};

QByteArray formatConfig(const ConfigValues &values);

// A file as read: the values it holds, the defaults where it holds none.
struct ConfigRead {
    ConfigValues values;
    // Which values came from the defaults because their line was missing or
    // (for the two timers) empty; none for a whole file.
    QStringList defaulted;
    bool complete() const { return defaulted.isEmpty(); }
};

// The first-run values: "15", "4", "Full_Screen", no own picture.
ConfigValues defaultConfig();

// Never fails: a short or damaged file keeps what it holds, so a cut line
// costs that line and not every other setting.
ConfigRead parseConfig(const QByteArray &bytes);

// A text that converts to a number: optional sign, digits with an optional
// decimal point and exponent, blanks around it allowed, at most
// kMaxNumberLength characters besides them. "" is not numeric.
inline constexpr int kMaxNumberLength = 24;
bool isNumeric(const QString &text);
double numericValue(const QString &text);   // 0 when not numeric

enum class TimerProblem {
    DownloadNotNumeric,
    DownloadTooSmall,
    SlideNotNumeric,
    SlideTooSmall,
};

struct TimerCheck {
    QString downloadMinutes;
    QString slideSeconds;
    // In the order the user sees them. For the slide timer's not-numeric case
    // the message comes before the box is corrected; the program shows each
    // message at the step the problem is found, so the order is all that
    // matters here.
    std::vector<TimerProblem> problems;
};

// Corrects the two timer texts: download at least 15 minutes, slide at least
// one second; a text that is not a number becomes the minimum.
TimerCheck checkTimers(const QString &downloadMinutes, const QString &slideSeconds);
