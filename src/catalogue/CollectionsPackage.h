#pragma once

#include <QString>
#include <QStringList>

// The collections package comes over plain HTTP, so it is never run: it is
// read as an archive (a self-extracting zip reads as a zip) and only regular
// files with plain names are written, into the collections folder and nowhere
// else.
struct UnpackResult {
    bool opened = false;      // the package could be read as an archive
    QStringList written;      // names written into the folder
    QStringList skipped;      // entries left out: paths, links, devices, oversized, unreadable
};

inline constexpr qint64 kMaxCollectionFileBytes = 64LL * 1024 * 1024;

UnpackResult unpackCollections(const QString &packagePath, const QString &folder);

// A name that stays inside the folder: no separators, not "." or "..", no
// control characters.
bool isPlainName(const QString &name);
