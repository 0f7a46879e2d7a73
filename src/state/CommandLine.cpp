#include "state/CommandLine.h"

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
        else if (w.startsWith(QLatin1String("SCREEN=")))
            options.screen = w.mid(7);
    }
    return options;
}

QString screenChoice(const CommandLineOptions &options)
{
    if (!options.screen.isEmpty())
        return options.screen;
    return qEnvironmentVariable(kScreenVariable);
}

QString commandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}

bool wantsHelp(const QStringList &arguments)
{
    for (const QString &a : arguments.mid(1))
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return true;
    return false;
}

bool wantsVersion(const QStringList &arguments)
{
    return arguments.mid(1).contains(QLatin1String("--version"));
}

QString helpText(const QString &programName)
{
    return QStringLiteral(
               "Usage: %1 [-WORD[-WORD...]]\n"
               "\n"
               "Shows live weather pictures as a full-screen slideshow.\n"
               "\n"
               "Words: exact and upper case, each after a dash, written back to back\n"
               "without blanks, e.g. %1 -LOCALHOST-DEBUG_CODE\n"
               "  LOCALHOST    talk to the catalogue server on this machine\n"
               "               (http://127.0.0.1:8473, same request path)\n"
               "  DEBUG_CODE   debug mode: diagnostic windows\n"
               "  NOSILENT     let captured web pages show their own dialogs\n"
               "  SCREEN=N     cover screen N (0 is the first) or the screen of that name\n"
               "               instead of the primary one, e.g. %1 -SCREEN=1\n"
               "\n"
               "  -h, --help   print this text and exit\n"
               "  --version    print the program's name and version and exit\n"
               "\n"
               "Keys during the slideshow:\n"
               "  Right, Left     next, previous slide\n"
               "  Space           pause, go on\n"
               "  R               download the pictures again now\n"
               "  Escape, Ctrl+Q  save the settings and quit\n"
               "  F1              help\n"
               "\n"
               "Environment:\n"
               "  CIRROLITH_CATALOGUE_URL  catalogue request address used instead of the\n"
               "                           built-in %2\n"
               "                           (the word LOCALHOST wins over it)\n"
               "  CIRROLITH_SCREEN         the screen to cover, by name (HDMI-A-1, DP-2)\n"
               "                           or number; the word SCREEN= wins over it\n"
               "  QT_LOGGING_RULES         more lines on stderr, e.g. \"cirrolith.*.info=true\"\n"
               "\n"
               "Settings are kept in Data/Cirrolith_Work beside the App folder; an\n"
               "installed program keeps that layout in ~/.local/share/cirrolith.\n")
        .arg(programName, QStringLiteral(CIRROLITH_CATALOGUE_URL));
}
