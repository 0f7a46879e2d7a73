#include "settings/TownFiles.h"

#include "platform/DialogService.h"
#include "platform/TextFile.h"
#include "state/AppState.h"

#include <QFile>

namespace tf = platform::textfile;

const TownValues &defaultTownValues()
{
    static const TownValues values = {
        QStringLiteral("Courmayeur"), QStringLiteral("New+York"), QStringLiteral("ny"),
        QStringLiteral("us"),         QStringLiteral("Naples"),   QStringLiteral("Italy"),
        QStringLiteral("OPTION1"),    QStringLiteral("OPTION2"),  QStringLiteral("OPTION3"),
        QStringLiteral("OPTION4"),    QStringLiteral("OPTION5"),  QStringLiteral("OPTION6"),
        QStringLiteral("OPTION7"),    QStringLiteral("OPTION8"),
    };
    return values;
}

QByteArray formatTownFile(const TownValues &values, bool fahrenheit)
{
    tf::Writer out;
    for (const QString &value : values)
        out.line(value);
    out.line(fahrenheit ? QStringLiteral("F") : QStringLiteral("C"));
    for (int i = 0; i < 3; ++i)
        out.line(QStringLiteral(" "));
    return out.bytes();
}

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

TownFileContent parseTownFile(const QByteArray &bytes)
{
    TownFileContent content;
    tf::LineReader reader(bytes);
    for (int i = 0; i < kTownValues; ++i) {
        const auto line = reader.next();
        if (!line)
            return content;
        content.values << trimBlanks(*line);
    }
    if (const auto unit = reader.next())
        content.fahrenheit = trimBlanks(*unit) == QLatin1String("F");
    return content;
}

QString TownFiles::townPath() const { return s.workDirPrefix + QLatin1String(kTownFileName); }

void TownFiles::LoadMyTown()
{
    if (QFile::exists(townPath())) {
        ReadMyTown();
        return;
    }
    WriteDefaultTown();
    ReadMyTown();
    hooks.askTown();
    if (s.townFormOpen) {
        // Closed before the form was answered: the defaults were only there
        // to fill the form, and the question comes again at the next start.
        QFile::remove(townPath());
        return;
    }
    WriteMyTown();
}

void TownFiles::ReadMyTown()
{
    if (!QFile::exists(townPath()))
        return;
    const auto bytes = tf::readAll(townPath());
    const TownFileContent content = parseTownFile(bytes.value_or(QByteArray()));
    hooks.showTownValues(content.values);
    if (!bytes || !content.complete()) {
        platform::DialogService::current().MsgBox(QString::fromLatin1(kTownReadError),
                                                  platform::MsgButtons::OK);
        return;
    }
    hooks.showFahrenheit(*content.fahrenheit);
}

void TownFiles::WriteMyTown()
{
    const TownAnswer answer = hooks.typedTown();
    tf::writeIfChanged(townPath(), formatTownFile(answer.values, answer.fahrenheit));
}

void TownFiles::WriteDefaultTown()
{
    tf::writeIfChanged(townPath(), formatTownFile(defaultTownValues(), true));
}
