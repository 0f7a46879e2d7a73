#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace layering {

// Folder name -> level, lowest 0. Folders on one level may not include
// each other either.
using Levels = QMap<QString, int>;

// The layer list of the README's "Layers" section: the fenced block after
// that heading, one level a line, folders separated by commas, lowest first.
Levels readLevels(const QString &readme, QString *error);

// Every include of one subsystem folder from a folder that is not below it,
// as "src/<folder>/<file> includes <folder>/<header> (<why>)", for every
// .h and .cpp under `srcRoot`'s subsystem folders. A folder of srcRoot
// missing from `levels` is reported too. Files at srcRoot itself (main.cpp)
// stand above everything.
QStringList upwardIncludes(const QString &srcRoot, const Levels &levels);

} // namespace layering
