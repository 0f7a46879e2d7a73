#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class FormPicture;

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

// The home-town values of the running program: the home-town frame's
// controls and the file.
class TownFiles {
public:
    explicit TownFiles(FormPicture &form) : w(form) {}

    void LoadMyTown();
    void ReadMyTown();
    void WriteMyTown();
    void WriteDefaultTown();

    QString townPath() const;

private:
    FormPicture &w;
};
