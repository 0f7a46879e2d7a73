#include "settings/ConfigFile.h"

#include "platform/TextFile.h"

#include <QRegularExpression>

#include <cmath>

using platform::textfile::LineReader;
using platform::textfile::Writer;

QByteArray formatConfig(const ConfigValues &values)
{
    Writer w;
    w.line(values.downloadMinutes);
    w.line(values.slideSeconds);
    w.line(values.displayMode == QLatin1String(kFullScreen) ? kFullScreen : kNormal);
    if (!values.ownPicture.isEmpty())
        w.line(values.ownPicture);
    w.line(QStringLiteral("\r\n"));   // a line holding CR LF: the two empty lines
    return w.bytes();
}

ConfigValues defaultConfig()
{
    return {QStringLiteral("15"), QStringLiteral("4"), QString::fromLatin1(kFullScreen), QString()};
}

ConfigRead parseConfig(const QByteArray &bytes)
{
    LineReader reader(bytes);
    ConfigRead r{defaultConfig(), {}};
    const auto take = [&](QString &value, const char *name, bool emptyIsMissing) {
        auto line = reader.next();
        if (line && !(emptyIsMissing && line->isEmpty()))
            value = *line;
        else
            r.defaulted << QLatin1String(name);
    };
    take(r.values.downloadMinutes, "download timer", true);
    take(r.values.slideSeconds, "slide timer", true);
    take(r.values.displayMode, "display mode", false);
    take(r.values.ownPicture, "own picture", false);
    return r;
}

bool isNumeric(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    // Nobody types a timer of more than a few digits: a longer run (a damaged
    // file) or one beyond a double is no number, not a period of ages.
    if (text.trimmed().size() > kMaxNumberLength)
        return false;
    if (!number.match(text).hasMatch())
        return false;
    return std::isfinite(text.trimmed().toDouble());
}

double numericValue(const QString &text)
{
    if (!isNumeric(text))
        return 0;
    return text.trimmed().toDouble();
}

TimerCheck checkTimers(const QString &downloadMinutes, const QString &slideSeconds)
{
    TimerCheck c{downloadMinutes, slideSeconds, {}};
    if (!isNumeric(c.downloadMinutes)) {
        c.downloadMinutes = QStringLiteral("15");
        c.problems.push_back(TimerProblem::DownloadNotNumeric);
    }
    if (numericValue(c.downloadMinutes) < 15) {
        c.downloadMinutes = QStringLiteral("15");
        c.problems.push_back(TimerProblem::DownloadTooSmall);
    }
    if (!isNumeric(c.slideSeconds)) {
        c.problems.push_back(TimerProblem::SlideNotNumeric);
        c.slideSeconds = QStringLiteral("1");
    }
    if (numericValue(c.slideSeconds) < 1) {
        c.slideSeconds = QStringLiteral("1");
        c.problems.push_back(TimerProblem::SlideTooSmall);
    }
    return c;
}
