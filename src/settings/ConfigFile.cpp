#include "settings/ConfigFile.h"

#include "platform/TextFile.h"

#include <QRegularExpression>

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

std::optional<ConfigValues> parseConfig(const QByteArray &bytes)
{
    LineReader reader(bytes);
    ConfigValues v;
    auto line1 = reader.next();
    if (!line1 || line1->isEmpty())
        return std::nullopt;
    auto line2 = reader.next();
    auto line3 = reader.next();
    auto line4 = reader.next();
    if (!line2 || !line3 || !line4)
        return std::nullopt;
    v.downloadMinutes = *line1;
    v.slideSeconds = *line2;
    v.displayMode = *line3;
    v.ownPicture = *line4;
    return v;
}

bool isNumeric(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
    return number.match(text).hasMatch();
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
