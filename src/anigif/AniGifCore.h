#pragma once

#include <cstdint>
#include <optional>
#include <memory>
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
    // Decodes frames [first, last] (1-based) from `bytes` into the strip. Large runs of
    // frames are shared out among up to one thread per core; the strip comes out the same.
    void decodeFrames(const QByteArray &bytes, int first, int last);
    // Threads the last decodeFrames call used.
    int lastDecodeThreads() const { return m_lastDecodeThreads; }

    // Decoding threads: 0 (the default) = one per core, else at most this many whatever
    // the core count (tests use it to run the parallel path anywhere).
    static int decodeThreads();
    static void setDecodeThreads(int n);
    // Below this many pixels a run of frames is decoded on the calling thread alone.
    static constexpr std::int64_t kParallelMinPixels = 512 * 1024;

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
    // Whoever may change the tables has the frame on show drawn again.
    std::vector<ColorRow> &colorTables() {
        catchUp();
        m_current = false;
        forgetPatches();
        return m_stream.colorTables;
    }
    const QImage &strip() const { return m_strip; }
    // The canvas composed up to the frame on show.
    const QImage &canvas() {
        catchUp();
        return m_canvas;
    }
    // Keeps only frame 1, shown as a still picture.
    void truncateToFirstFrame();

    // Colour index of pixel (x, y) of frame f.
    std::uint8_t index(int f, int x, int y) const;

    // Flips frames [first, last] by `d` (bit 0 left-right, bit 1 top-bottom), and the canvas too.
    void mirror(int first, int last, int d, bool canvasToo);

    // Paints frame f onto the painter's device, composing on the canvas when there is one.
    void renderFrame(int f, QPainter &p, const RenderParams &rp);

    // Composes the canvas up to frame f ahead of its paint and returns the canvas pixels
    // that really changed (their bounding box; empty when none did). Without a canvas,
    // nullopt: any frame may change all of the picture.
    std::optional<QRect> composeTo(int f);
    // Where canvas area `r` lands on the control, with room for smoothing when stretched.
    QRect screenArea(const QRect &r, const RenderParams &rp) const;
    // Whether a paint with `rp` covers every pixel of the control with opaque ones, so
    // nothing under it needs painting first.
    bool paintsOpaque(const RenderParams &rp) const;
    // The stretched canvas as the paint puts it on screen (null until a stretched paint).
    const QImage &screenImage() const { return m_screen; }
    // Frames whose stretched change is kept from an earlier round.
    int keptPatches() const;
    // Frame changes put on screen from a kept one since the load.
    int patchReplays() const { return m_replays; }

    // A one-frame GIF89a of frame f, compressed with our own LZW; empty when f is out of range.
    QByteArray exportFrameGif(int f) const;

    // The frame's pixels over a transparent background, frame-sized.
    QImage frameImage(int f) const;

private:
    void advanceCanvasTo(int f);
    void stepCanvasTo(int f);
    void composeBefore(int f);
    // Returns the box of canvas pixels that changed when asked to (`track`); `within`
    // limits the drawing to part of the frame.
    QRect drawOnCanvas(int f, bool track = false, const QRect &within = QRect());
    void composeAfter(int f);
    // Frame f paints every canvas pixel opaque: nothing before it shows through.
    bool coversCanvas(int f) const;
    // Brings the stretched canvas up to date for `rp` and returns where it goes.
    QRect refreshScreen(const RenderParams &rp);
    void rescale(const QRect &screenRect);
    // Puts frame m_dirtyFrame's change on the stretched canvas from an earlier
    // round, or rescales it and keeps it for the next round.
    void replayOrRescale(const QRect &screenRect);
    void forgetPatches();
    // Whether a kept change may stand for composing the frame: the loop's canvas is
    // opaque and every frame is left in place, so its opacity never changes.
    bool mayReplayUncomposed() const;
    // Composes the canvas up to the frame the screen shows.
    void catchUp();
    void frameToArgb(int f, QImage &img) const;
    const ColorRow &rowOf(int f) const;
    // Whether the frame's columns and rows lie inside the strip: a strip laid out for
    // frame 1 alone does not hold the others.
    bool inStrip(const FrameInfo &fi) const {
        return fi.stripColumn + fi.width <= m_strip.width() && fi.height <= m_strip.height();
    }

    GifStream m_stream;
    QImage m_strip;            // Format_Indexed8, frames side by side in the top rows
    QImage m_canvas;           // ARGB32 premultiplied; alpha 0 = not covered by any frame
    int m_composed = 0;        // frame drawn last on the canvas; its disposal is still pending
    std::vector<std::uint32_t> m_saved;  // canvas under a restore-to-previous frame
    std::vector<std::uint32_t> m_before; // the area a step may touch, as it was before it
    bool m_current = false;    // the canvas holds m_composed drawn with today's tables and strip
    bool m_canvasOpaque = false; // no canvas pixel is transparent
    bool m_savedOpaque = false;  // ... nor was one when m_saved was taken
    // What the loop changed on the canvas since frame 1 covered all of it, when known.
    QRect m_sinceFirst;
    bool m_sinceFirstKnown = false;
    // The canvas stretched to the client once, kept between paints: a frame rescales
    // only what it changed and the paint is a plain copy. Smooth (bilinear) scaling of
    // the whole screen on each frame cost more than everything else a frame does.
    QImage m_screen;           // ARGB32 premultiplied; over the back colour when opaque
    QRect m_screenTarget;      // where it goes on the control
    bool m_screenOver = false; // composed over m_screenBack
    QRgb m_screenBack = 0;
    bool m_screenValid = false;
    QRect m_screenDirty;       // canvas pixels changed since the last rescale
    struct Tap { int a, b, w; }; // source pixels and the weight of b (0..256)
    std::vector<Tap> m_tapX, m_tapY;
    std::vector<std::uint16_t> m_weightX; // m_tapX's weights, one per channel
    std::vector<std::uint32_t> m_rowMix;
    // In a loop each frame leaves the canvas the same whenever it comes, so what it
    // changes on the stretched canvas is the same in every round: kept from the first
    // round, later rounds copy it instead of scaling again. Small changes only (a
    // radar loop's echoes), within a budget; anything that alters the frames, their
    // colours or the screen forgets them.
    struct Patch {
        QRect area;                          // in m_screen
        QRect changed;                       // on the canvas
        std::vector<std::uint32_t> pixels;
    };
    std::vector<Patch> m_patches;            // by frame, [0] unused
    std::int64_t m_patchBytes = 0;
    int m_replays = 0;
    // The frame on show when the canvas lags behind it (still at m_composed): the
    // frames since were put on screen from kept changes alone. 0 when it does not.
    int m_ahead = 0;
    int m_dirtyFrame = -1;                   // m_screenDirty is frame f's change alone, from the frame before it
    QImage m_frameScratch;
    // What one decoding thread works with: the joined LZW data, the decoded pixels
    // (plus the decoder's slack) and the row order of an interlaced frame.
    struct DecodeScratch {
        std::vector<std::uint8_t> in;
        std::unique_ptr<std::uint8_t[]> out;  // uninitialised: only bytes the decoder wrote reach the strip
        std::size_t outSize = 0;
        std::vector<int> rows;
    };
    void decodeFrame(const std::uint8_t *data, std::size_t size, int f, DecodeScratch &s,
                     uchar *base, qsizetype stride) const;
    // How a run of frames is decoded: its threads, largest frame and longest image block.
    struct DecodePlan {
        int workers = 1;
        std::size_t largest = 0, longest = 0;
    };
    DecodePlan planDecode(int first, int last) const;

    std::vector<DecodeScratch> m_scratch;  // one per thread of the last decode
    int m_lastDecodeThreads = 0;
};

// The picture behind a GIF stream: its bytes and frame 1 painted over transparency.
QImage decodeStill(const QByteArray &bytes);

} // namespace anigif
