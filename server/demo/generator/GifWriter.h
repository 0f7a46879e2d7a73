#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Writes GIF89a files: Qt reads GIF but has no writer for it. All frames share
// one global colour table; frames after the first carry only the rectangle
// that changed and are left in place (disposal 1), as radar loops usually are.
namespace cirrolith::demo {

struct GifOptions {
    int delayCentiseconds = 40;
    int loopCount = 0;          // 0 loops forever; only written for animations
};

QByteArray encodeGif(const QList<QImage> &frames, const GifOptions &options = {});

// LZW-compresses colour indices as GIF image data: the minimum code size byte,
// the data sub-blocks and the block terminator.
QByteArray lzwEncode(const QByteArray &indices, int minCodeSize);

} // namespace cirrolith::demo
