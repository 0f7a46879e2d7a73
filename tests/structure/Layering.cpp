#include "structure/Layering.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace layering {

Levels readLevels(const QString &readme, QString *error)
{
    Levels levels;
    const QStringList lines = readme.split(u'\n');
    int i = lines.indexOf(QStringLiteral("## Layers"));
    if (i < 0) {
        *error = QStringLiteral("no \"## Layers\" heading");
        return {};
    }
    while (++i < lines.size() && !lines[i].startsWith(QLatin1String("```")))
        ;
    int level = 0;
    for (++i; i < lines.size() && !lines[i].startsWith(QLatin1String("```")); ++i) {
        // "settings      the settings files": the folders, then their description
        // after two blanks.
        const QString folders = lines[i].section(QLatin1String("  "), 0, 0).trimmed();
        if (folders.isEmpty())
            continue;
        for (const QString &name : folders.split(u',', Qt::SkipEmptyParts))
            levels.insert(name.trimmed(), level);
        ++level;
    }
    if (levels.isEmpty())
        *error = QStringLiteral("the Layers section lists no folders");
    return levels;
}

QStringList upwardIncludes(const QString &srcRoot, const Levels &levels)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s+"([a-z]+)/([^"]+)\")"));
    QStringList found;
    const QDir root(srcRoot);
    for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (!levels.contains(folder)) {
            found << QStringLiteral("src/%1 has no place in the Layers section").arg(folder);
            continue;
        }
        const int own = levels.value(folder);
        QDirIterator files(root.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                           QDirIterator::Subdirectories);
        QStringList paths;
        while (files.hasNext())
            paths << files.next();
        paths.sort();
        for (const QString &path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                found << QStringLiteral("%1 cannot be read").arg(path);
                continue;
            }
            const QString shown = QStringLiteral("src/") + root.relativeFilePath(path);
            while (!file.atEnd()) {
                const auto m = include.match(QString::fromUtf8(file.readLine()));
                if (!m.hasMatch())
                    continue;
                const QString target = m.captured(1);
                if (target == folder || !levels.contains(target))
                    continue;   // its own folder, or a library's header
                const int theirs = levels.value(target);
                if (theirs < own)
                    continue;
                found << QStringLiteral("%1 includes %2/%3 (%2 is %4 %5)")
                             .arg(shown, target, m.captured(2),
                                  theirs == own ? QStringLiteral("on the level of") : QStringLiteral("above"),
                                  folder);
            }
        }
    }
    return found;
}

} // namespace layering
