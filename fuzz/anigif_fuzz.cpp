// The whole load path of the animated-GIF control on arbitrary bytes: parse, lay out
// the strip and canvas, decode every frame, paint every frame, export and read back.
#include <cstddef>
#include <cstdint>

#include <QImage>
#include <QPainter>

#include "AniGifCore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // Keeps each input's allocations small; larger streams are refused like any too-big one.
    static const bool capped = (anigif::AniGifCore::setMemoryCap(16 << 20), true);
    (void)capped;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    anigif::AniGifCore core;
    const int n = core.parse(bytes);
    if (n == 0 || !core.allocate(true)) return 0;
    core.decodeFrames(bytes, 1, n);
    QImage surface(std::min(core.width(), 512), std::min(core.height(), 512),
                   QImage::Format_ARGB32_Premultiplied);
    if (surface.isNull()) return 0;
    surface.fill(0);
    anigif::RenderParams rp;
    rp.clientWidth = surface.width();
    rp.clientHeight = surface.height();
    rp.offsetX = int(size % 7) - 3;
    {
        QPainter p(&surface);
        for (int f = 1; f <= n; ++f) core.renderFrame(f, p, rp);
        core.mirror(1, n, 3, true);
        core.renderFrame(1, p, rp);
    }
    const QByteArray out = core.exportFrameGif(1);
    const anigif::FrameInfo &fi = core.frame(1);
    if (fi.width == 0 || fi.height == 0) return 0;  // nothing to export
    anigif::AniGifCore back;
    if (back.parse(out) != 1 || !back.allocate(false)) __builtin_trap();
    back.decodeFrames(out, 1, 1);
    // The exported frame decodes to the frame's own indices.
    for (int y = 0; y < fi.height; y += 7)
        for (int x = 0; x < fi.width; x += 5)
            if (back.index(1, x, y) != core.index(1, x, y)) __builtin_trap();
    return 0;
}
