#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// Addresses of the special catalogue entries: web pages carrying the
// home-town values, and numbered picture series. Pure: no window, no network.
namespace acquisition {

// The home-town values of the town page, PARAM(0) .. PARAM(13).
using TownParameters = std::array<QString, 14>;

// Builds the address of a "3" entry: "h", then the entry from its second
// character on, each five-character tag "<p01>" .. "<p14>" replaced by its
// value (unencoded). A "<" that starts no tag still takes five characters
// and stands for the value of the tag substituted last (nothing before the
// first one); near the end it takes what is left.
QString townPageAddress(const QString &entry, const TownParameters &params);

// A "5" entry: characters 2..7 hold the rest of "http://", then
// prefix "*" suffix "," start "," step "," count "," width.
struct SeriesEntry {
    QString prefix;
    QString suffix;
    int start = 0;
    int step = 0;
    int count = 0;
    int width = 0;
    // Some number field does not fit in 16 bits: the series has no picture.
    bool outOfRange = false;
};

struct SeriesParse {
    std::optional<SeriesEntry> entry;   // nothing when the entry is malformed
    int charactersRead = 0;             // from the eighth character on
};

SeriesParse parseSeries(const QString &entry);

// "Proc ZazuzIririri Error " and one more than the characters read.
QString seriesErrorMessage(int charactersRead);

// The decimal number, "0" in front until it has `width` characters.
QString seriesNumberText(int number, int width);

// The picture addresses of a series, at most `maxPictures` of them. A count
// below 1 gives none; a number that would leave the 16-bit range ends the
// series before it.
QStringList seriesAddresses(const SeriesEntry &entry, int maxPictures);

} // namespace acquisition
