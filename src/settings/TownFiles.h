#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>

struct AppState;

// "Cirrolith4_MyTown.dat": the fourteen home-town values put into picture
// addresses for "<p01>".."<p14>", the temperature unit ("F" or "C") and three
// lines holding one blank.
inline constexpr const char *kTownFileName = "Cirrolith4_MyTown.dat";
inline constexpr int kTownValues = 14;
inline constexpr const char *kTownReadError = "Error FileWown - Cleanup Please";

using TownValues = std::array<QString, kTownValues>;

const TownValues &defaultTownValues();

QByteArray formatTownFile(const TownValues &values, bool fahrenheit);

// Blanks around a value are not part of it.
QString trimBlanks(const QString &text);

// What a home-town file holds. A file that ends before the unit line is
// damaged: the values up to its end are still given.
struct TownFileContent {
    QStringList values;                // trimmed, at most kTownValues
    std::optional<bool> fahrenheit;    // set when the unit line was there
    bool complete() const { return fahrenheit.has_value(); }
};
TownFileContent parseTownFile(const QByteArray &bytes);

// The home-town values as the form above shows them.
struct TownAnswer {
    TownValues values;
    bool fahrenheit = false;
};

// What the home-town values need of the window above them.
struct TownHooks {
    // Puts the home-town form up and waits until it is answered or closed
    // (townFormOpen tells which).
    std::function<void()> askTown;
    // Puts the values of a file into the form, the first values.size() of them.
    std::function<void(const QStringList &values)> showTownValues;
    // Puts the temperature unit of a file into the form.
    std::function<void(bool fahrenheit)> showFahrenheit;
    // The values and unit the form holds.
    std::function<TownAnswer()> typedTown;
};

// The home-town values of the running program: the home-town form's values
// and the file.
class TownFiles {
public:
    explicit TownFiles(AppState &state) : s(state) {}

    void LoadMyTown();
    void ReadMyTown();
    void WriteMyTown();
    void WriteDefaultTown();

    QString townPath() const;

    TownHooks hooks;

private:
    AppState &s;
};
