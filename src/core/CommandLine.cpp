#include "core/CommandLine.h"

SplitWords splitDashWords(const QString &text, int wordCount, int maxDashes)
{
    SplitWords out;
    for (int i = 0; i < wordCount; ++i)
        out.words << QString();
    int i = 0;
    for (QChar ch : text) {
        if (ch != u'-') {
            out.words[i] += ch;
            continue;
        }
        ++i;
        if (i > maxDashes) {
            out.tooManyDashes = true;
            break;
        }
    }
    return out;
}

CommandLineOptions recogniseWords(const QStringList &words, int count)
{
    CommandLineOptions options;
    for (int i = 0; i < count && i < words.size(); ++i) {
        const QString &w = words[i];
        if (w == QLatin1String("DEBUG_CODE"))
            options.debug = true;
        else if (w == QLatin1String("LOCALHOST"))
            options.localhost = true;
        else if (w == QLatin1String("NOSILENT"))
            options.noSilent = true;
    }
    return options;
}

QString commandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}
