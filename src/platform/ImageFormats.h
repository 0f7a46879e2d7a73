#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QString>

class QImageReader;

// Reading pictures without Qt asking every image plugin it has whether it
// reads them: left to guess, Qt loads all of them, and their libraries (TIFF,
// WebP, MNG, ...), for the life of the program.
namespace platform {

// "jpeg", "png", "gif" or "bmp" from a file's first bytes; empty for anything else.
QByteArray imageFormatOf(const QByteArray &head);

// Pins the reader to the format of `bytes` when it is one of those; other
// files are still recognised by content.
void pinImageFormat(QImageReader &reader, const QByteArray &bytes);

// One of the program's own pictures (a PNG resource); null when it is missing.
QPixmap artworkPixmap(const QString &resource);

} // namespace platform
