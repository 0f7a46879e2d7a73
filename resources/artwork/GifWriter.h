#pragma once

#include <QByteArray>
#include <QImage>

// Writes a picture as a one-frame GIF89a: quantised to 256 colours, then LZW
// coded. Only our own placeholder artwork goes through it.
QByteArray encodeGif(const QImage &image);
