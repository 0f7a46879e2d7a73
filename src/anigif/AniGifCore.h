#pragma once

#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>

#include "GifStream.h"

class QPainter;

namespace anigif {

// How a frame is put on the control's surface.
struct RenderParams {
    int offsetX = 0, offsetY = 0;   // pixels
    float scaleX = 1.0f, scaleY = 1.0f;
    int clientWidth = 0, clientHeight = 0;
    bool opaque = false;            // opaque back style, or a control with a window of its own
    QColor backColor = Qt::black;
};

// The display logic of the control without any widget: the parsed stream, the frame
// strip of 8-bit indices, the compositing canvas, mirroring, export and painting.
class AniGifCore {
public:
    // Loads are refused when the frame strip (sum of frame widths x largest height bytes)
    // or the canvas (W x H x 4 bytes) would exceed this many bytes. 256 MiB by default.
    static std::int64_t memoryCap();
    static void setMemoryCap(std::int64_t bytes);

    // Parses `bytes`; 0 frames means the load failed and the core is empty.
    int parse(const QByteArray &bytes);

    // Lays out the strip (and the canvas when the frames need one) after a parse.
    // Design mode or a single frame keeps only frame 1 in a strip of its size.
    bool allocate(bool runMode);
    // Decodes frames [first, last] (1-based) from `bytes` into the strip.
    void decodeFrames(const QByteArray &bytes, int first, int last);

    void reset();

    bool loaded() const { return !m_stream.frames.empty() && !m_strip.isNull(); }
    int frameCount() const { return int(m_stream.frames.size()); }
    int width() const { return m_stream.width; }
    int height() const { return m_stream.height; }
    int loops() const { return m_stream.loops; }
    bool hasCanvas() const { return !m_canvas.isNull(); }
    const FrameInfo &frame(int f) const { return m_stream.frames[f - 1]; }
    FrameInfo &frame(int f) { return m_stream.frames[f - 1]; }
    const GifStream &stream() const { return m_stream; }
    std::vector<ColorRow> &colorTables() { return m_stream.colorTables; }
    const QImage &strip() const { return m_strip; }
    const QImage &canvas() const { return m_canvas; }
    // Keeps only frame 1, shown as a still picture.
    void truncateToFirstFrame();

    // Colour index of pixel (x, y) of frame f.
    std::uint8_t index(int f, int x, int y) const;

    // Flips frames [first, last] by `d` (bit 0 left-right, bit 1 top-bottom), and the canvas too.
    void mirror(int first, int last, int d, bool canvasToo);

    // Paints frame f onto the painter's device, composing on the canvas when there is one.
    void renderFrame(int f, QPainter &p, const RenderParams &rp);

    // A one-frame GIF89a of frame f, compressed with our own LZW; empty when f is out of range.
    QByteArray exportFrameGif(int f) const;

    // The frame's pixels over a transparent background, frame-sized.
    QImage frameImage(int f) const;

private:
    void advanceCanvasTo(int f);
    void composeBefore(int f);
    void drawOnCanvas(int f);
    void composeAfter(int f);
    void frameToArgb(int f, QImage &img) const;
    const ColorRow &rowOf(int f) const;

    GifStream m_stream;
    QImage m_strip;            // Format_Indexed8, frames side by side in the top rows
    QImage m_canvas;           // ARGB32 premultiplied; alpha 0 = not covered by any frame
    int m_composed = 0;        // frame drawn last on the canvas; its disposal is still pending
    std::vector<std::uint32_t> m_saved;  // canvas under a restore-to-previous frame
    QImage m_frameScratch;
    std::vector<std::uint8_t> m_lzwIn, m_lzwOut;
};

// The picture behind a GIF stream: its bytes and frame 1 painted over transparency.
QImage decodeStill(const QByteArray &bytes);

} // namespace anigif
