#include "catalogue/VersionFile.h"

#include "platform/TextFile.h"

#include <QDir>

QStringList readFields(const QByteArray &bytes)
{
    const QString text = platform::textfile::fromCp1252(bytes);
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
    while (i < n) {
        while (i < n && (text[i] == u' ' || text[i] == u'\t'))
            ++i;
        if (i >= n)
            break;
        QString field;
        if (text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            // Whatever follows the closing quote up to the separator is dropped.
            while (i < n && text[i] != u',' && !isBreak(text[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && !isBreak(text[i]))
                ++i;
            field = text.mid(start, i - start).trimmed();
        }
        fields << field;
        // One separator ends the field; CR LF counts as one.
        if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            i += 2;
        else if (i < n)
            ++i;
    }
    return fields;
}

QString collectionsUpdatedMessage(int lingua, const QString &packagePath)
{
    const QString text =
        lingua == 2
            ? QStringLiteral("Collections Aggiornate - Estrazione automatica dei files collections ")
            : QStringLiteral("Collections Upgraded - Automatic collections-files unzip ");
    return text + u'\n' + QDir::toNativeSeparators(packagePath);
}
