#pragma once

#include <QString>
#include <QStringList>

// The command line is one text of words separated by "-". Blanks are ordinary
// characters, so "-DEBUG_CODE -NOSILENT" gives the word "DEBUG_CODE " which
// matches nothing: options are written back to back.
struct SplitWords {
    QStringList words;        // always wordCount entries
    bool tooManyDashes = false;
};

// Splits text into wordCount words. The dash that would start a word beyond
// maxDashes ends the split: that dash and everything after it are ignored.
SplitWords splitDashWords(const QString &text, int wordCount, int maxDashes);

// The message shown once when a text has too many dashes.
inline const char *kTooManyParameters = "Errore. troppi parametri nella linea di comando file EXE";

// The options the program recognises (exact, case-sensitive, whole word).
struct CommandLineOptions {
    bool debug = false;       // "DEBUG_CODE"
    bool localhost = false;   // "LOCALHOST"
    bool noSilent = false;    // "NOSILENT"
    QString screen;           // "SCREEN=" and a screen's name or number
};

// The screen to cover: the word SCREEN=name-or-number, else the environment
// variable CIRROLITH_SCREEN, else "" (the primary screen). A name with a dash
// in it (HDMI-A-1) can be given only through the variable, as the command
// line's words are split at dashes.
QString screenChoice(const CommandLineOptions &options);
inline constexpr const char *kScreenVariable = "CIRROLITH_SCREEN";

CommandLineOptions recogniseWords(const QStringList &words, int count);

// What the process was given, as one text (arguments joined by blanks).
QString commandLineText(const QStringList &arguments);

// "--help" or "-h" among the arguments: the program prints helpText() and
// ends before any window or settings file is touched.
bool wantsHelp(const QStringList &arguments);
QString helpText(const QString &programName);

// "--version" among the arguments: the program prints its name and version
// and ends, as with --help.
bool wantsVersion(const QStringList &arguments);
