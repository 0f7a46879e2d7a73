#include "acquisition/SpecialSources.h"

#include "acquisition/SlideTime.h"
#include "platform/Units.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace acquisition {

namespace {

constexpr int kTagLength = 5;
constexpr int kSeriesHead = 7;   // "5ttp://"

// The tag's number 1..14, or 0 when the text is no tag.
int tagNumber(const QString &text)
{
    if (text.size() != kTagLength || text[0] != u'<' || text[1] != u'p' || text[4] != u'>')
        return 0;
    if (!text[2].isDigit() || !text[3].isDigit() || text[2].unicode() > 127 || text[3].unicode() > 127)
        return 0;
    const int n = (text[2].unicode() - '0') * 10 + (text[3].unicode() - '0');
    return n >= 1 && n <= 14 ? n : 0;
}

bool fits16(double v)
{
    return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

// A numeric field read as a decimal number; text that is no number is 0.
double fieldValue(const QString &text)
{
    const double v = acquisition::leadingNumber(text);
    if (!std::isfinite(v) || std::abs(v) > 1e9)
        return v;   // out of every range; rounding could overflow
    return static_cast<double>(platform::units::roundHalfEven(v));
}

} // namespace

QString townPageAddress(const QString &entry, const TownParameters &params)
{
    QString out = QStringLiteral("h");
    QString lastValue;
    qsizetype i = 1;
    while (i < entry.size()) {
        if (entry[i] != u'<') {
            out += entry[i];
            ++i;
            continue;
        }
        if (const int n = tagNumber(entry.mid(i, kTagLength)))
            lastValue = params[n - 1];
        out += lastValue;
        i += kTagLength;
    }
    return out;
}

SeriesParse parseSeries(const QString &entry)
{
    SeriesParse result;
    const QString body = entry.mid(kSeriesHead);
    // Separators are looked for up to the end of the entry.
    result.charactersRead = static_cast<int>(body.size());
    const qsizetype star = body.indexOf(u'*');
    std::array<qsizetype, 4> commas{};
    bool complete = star >= 0;
    qsizetype from = star + 1;
    for (qsizetype &comma : commas) {
        if (!complete)
            break;
        comma = body.indexOf(u',', from);
        complete = comma >= 0;
        from = comma + 1;
    }
    if (!complete)
        return result;

    SeriesEntry e;
    e.prefix = body.left(star);
    e.suffix = body.mid(star + 1, commas[0] - star - 1);
    const double start = fieldValue(body.mid(commas[0] + 1, commas[1] - commas[0] - 1));
    const double step = fieldValue(body.mid(commas[1] + 1, commas[2] - commas[1] - 1));
    const double count = fieldValue(body.mid(commas[2] + 1, commas[3] - commas[2] - 1));
    const double width = fieldValue(body.mid(commas[3] + 1));
    e.outOfRange = !(fits16(start) && fits16(step) && fits16(count) && fits16(width));
    if (!e.outOfRange) {
        e.start = static_cast<int>(start);
        e.step = static_cast<int>(step);
        e.count = static_cast<int>(count);
        e.width = static_cast<int>(width);
    }
    result.entry = e;
    return result;
}

QString seriesErrorMessage(int charactersRead)
{
    return QStringLiteral("Proc ZazuzIririri Error ") + QString::number(1 + charactersRead);
}

QString seriesNumberText(int number, int width)
{
    QString text = QString::number(number);
    while (text.size() < width)
        text.prepend(u'0');
    return text;
}

QStringList seriesAddresses(const SeriesEntry &entry, int maxPictures)
{
    QStringList addresses;
    if (entry.outOfRange)
        return addresses;
    const QString head = QStringLiteral("http://") + entry.prefix;
    long n = entry.start;
    for (int i = 1; i <= entry.count && i <= maxPictures; ++i) {
        if (!fits16(static_cast<double>(n)))
            break;
        addresses << head + seriesNumberText(static_cast<int>(n), entry.width) + entry.suffix;
        n += entry.step;
    }
    return addresses;
}

} // namespace acquisition
