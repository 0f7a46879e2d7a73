// Putting frames on screen: the frame's colours from its palette row, the compositing
// canvas with each frame's disposal, painting with scale, offset and back colour, and
// mirroring.
#include "AniGifCore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainter>
#include <QRegion>

#include "platform/Units.h"

namespace anigif {

namespace {

int roundPx(double v) { return int(platform::units::roundHalfEven(v)); }

} // namespace

void AniGifCore::frameToArgb(int f, QImage &img) const {
    const FrameInfo &fi = frame(f);
    if (!inStrip(fi)) {
        img = QImage();
        return;
    }
    if (img.width() != fi.width || img.height() != fi.height ||
        img.format() != QImage::Format_ARGB32_Premultiplied)
        img = QImage(fi.width, fi.height, QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) return;
    std::uint32_t lut[256];
    const ColorRow &row = rowOf(f);
    for (int i = 0; i < 256; ++i) lut[i] = 0xFF000000u | row[i];
    if (fi.hasTransparency) lut[fi.transIndex] = 0;
    for (int y = 0; y < fi.height; ++y) {
        const uchar *src = m_strip.constScanLine(y) + fi.stripColumn;
        auto *dst = reinterpret_cast<std::uint32_t *>(img.scanLine(y));
        for (int x = 0; x < fi.width; ++x) dst[x] = lut[src[x]];
    }
}

QImage AniGifCore::frameImage(int f) const {
    QImage img;
    if (f >= 1 && f <= frameCount() && loaded()) frameToArgb(f, img);
    return img;
}

void AniGifCore::composeBefore(int f) {
    const FrameInfo &fi = frame(f);
    if (fi.disposal == 3) {
        const QRect r = QRect(fi.left, fi.top, fi.width, fi.height) & m_canvas.rect();
        m_saved.clear();
        m_savedOpaque = m_canvasOpaque;
        if (r.isEmpty()) return;
        m_saved.resize(std::size_t(r.width()) * r.height());
        for (int y = 0; y < r.height(); ++y)
            std::memcpy(m_saved.data() + std::size_t(y) * r.width(),
                        m_canvas.constScanLine(r.top() + y) + 4 * r.left(), 4 * r.width());
    }
}

bool AniGifCore::coversCanvas(int f) const {
    const FrameInfo &fi = frame(f);
    return !fi.hasTransparency && inStrip(fi) && fi.left <= 0 && fi.top <= 0 &&
           fi.left + fi.width >= m_canvas.width() && fi.top + fi.height >= m_canvas.height();
}

namespace {

// One row of a frame onto the canvas. Tracking, it first looks for the pixels that
// really change (a radar frame redraws mostly the same map) and writes only those;
// returns the first and last changed column, or l > r for none.
template <bool Transparent>
std::pair<int, int> drawRow(const uchar *src, std::uint32_t *dst, int w, const std::uint32_t *lut, uchar t,
                            bool track) {
    auto differs = [&](int x) { return (!Transparent || src[x] != t) && dst[x] != lut[src[x]]; };
    int l = 0, r = w - 1;
    // Four at a time with one branch: most rows are equal.
    [[maybe_unused]] auto same4 = [&](int x) {
        return ((dst[x] ^ lut[src[x]]) | (dst[x + 1] ^ lut[src[x + 1]]) | (dst[x + 2] ^ lut[src[x + 2]]) |
                (dst[x + 3] ^ lut[src[x + 3]])) == 0;
    };
    if (track) {
        if constexpr (!Transparent) {
            while (l + 4 <= w && same4(l)) l += 4;
        }
        while (l < w && !differs(l)) ++l;
        if (l == w) return {1, 0};
        if constexpr (!Transparent) {
            while (r - 3 > l && same4(r - 3)) r -= 4;
        }
        while (!differs(r)) --r;
    }
    for (int x = l; x <= r; ++x) {
        if constexpr (Transparent) {
            if (src[x] == t) continue;
        }
        dst[x] = lut[src[x]];
    }
    return {l, r};
}

} // namespace

QRect AniGifCore::drawOnCanvas(int f, bool track, const QRect &within) {
    const FrameInfo &fi = frame(f);
    QRect r = QRect(fi.left, fi.top, fi.width, fi.height) & m_canvas.rect();
    if (within.isValid()) r &= within;
    if (r.isEmpty()) return {};
    const ColorRow &row = rowOf(f);
    std::uint32_t lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = 0xFF000000u | row[i];
    const int dx = r.left() - fi.left, dy = r.top() - fi.top;
    const int w = r.width();
    int x0 = w, x1 = -1, y0 = -1, y1 = -1;
    for (int y = 0; y < r.height(); ++y) {
        const uchar *src = m_strip.constScanLine(dy + y) + fi.stripColumn + dx;
        auto *dst = reinterpret_cast<std::uint32_t *>(m_canvas.scanLine(r.top() + y)) + r.left();
        const auto [l, rr] = fi.hasTransparency ? drawRow<true>(src, dst, w, lut, fi.transIndex, track)
                                                : drawRow<false>(src, dst, w, lut, 0, track);
        if (l > rr) continue;
        x0 = std::min(x0, l);
        x1 = std::max(x1, rr);
        if (y0 < 0) y0 = y;
        y1 = y;
    }
    if (coversCanvas(f) && !within.isValid()) m_canvasOpaque = true;
    if (y0 < 0) return {};
    return QRect(r.left() + x0, r.top() + y0, x1 - x0 + 1, y1 - y0 + 1);
}

void AniGifCore::composeAfter(int f) {
    const FrameInfo &fi = frame(f);
    const QRect r = QRect(fi.left, fi.top, fi.width, fi.height) & m_canvas.rect();
    if (r.isEmpty()) return;
    if (fi.disposal == 2) {
        for (int y = 0; y < r.height(); ++y)
            std::memset(m_canvas.scanLine(r.top() + y) + 4 * r.left(), 0, 4 * r.width());
        m_canvasOpaque = false;
    } else if (fi.disposal == 3 && m_saved.size() == std::size_t(r.width()) * r.height()) {
        for (int y = 0; y < r.height(); ++y)
            std::memcpy(m_canvas.scanLine(r.top() + y) + 4 * r.left(),
                        m_saved.data() + std::size_t(y) * r.width(), 4 * r.width());
        m_canvasOpaque = m_savedOpaque;
    }
}

void AniGifCore::stepCanvasTo(int f) {
    int k = m_composed;
    if (f < k || k == 0) {
        // Each loop starts from an empty canvas, unless its first frame hides all of it.
        if (!coversCanvas(1)) {
            m_canvas.fill(0);
            m_canvasOpaque = false;
        }
        k = 0;
    } else {
        composeAfter(k);
    }
    // Frames skipped since the last paint still leave their traces.
    for (int j = k + 1; j < f; ++j) {
        composeBefore(j);
        drawOnCanvas(j);
        composeAfter(j);
    }
    composeBefore(f);
    drawOnCanvas(f);
    m_composed = f;
    m_current = true;
}

void AniGifCore::advanceCanvasTo(int f) {
    if (m_ahead) {
        // The screen already shows it.
        if (f == m_ahead && m_current) return;
        catchUp();
    }
    if (f == m_composed) {
        // A repaint of the frame on show draws it again only when its colours or
        // pixels may have changed since.
        if (m_current) return;
        drawOnCanvas(f);
        m_current = true;
    } else {
        stepCanvasTo(f);
    }
    m_sinceFirstKnown = false;
    m_screenValid = false;
}

void AniGifCore::renderFrame(int f, QPainter &p, const RenderParams &rp) {
    if (f <= 0 || f > frameCount() || !loaded()) return;
    const FrameInfo &fi = frame(f);
    const bool stretched = rp.scaleX != 1.0f || rp.scaleY != 1.0f;
    const QRect fill(0, 0, roundPx(double(rp.scaleX) * m_stream.width),
                     roundPx(double(rp.scaleY) * m_stream.height));

    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, stretched);
    if (!hasCanvas()) {
        const QRect rect(roundPx(double(rp.scaleX) * (rp.offsetX + fi.left)),
                         roundPx(double(rp.scaleY) * (rp.offsetY + fi.top)),
                         roundPx(double(rp.scaleX) * fi.width), roundPx(double(rp.scaleY) * fi.height));
        if (rect.width() > 0 && rect.height() > 0) {
            if (rp.opaque) p.fillRect(fill, rp.backColor);
            frameToArgb(f, m_frameScratch);
            if (stretched)
                p.drawImage(rect, m_frameScratch);
            else
                p.drawImage(rect.topLeft(), m_frameScratch);
        }
    } else {
        advanceCanvasTo(f);
        if (rp.clientWidth > 0 && rp.clientHeight > 0) {
            if (stretched) {
                const QRect target = refreshScreen(rp);
                if (rp.opaque) {
                    const QRegion back = m_screenOver ? QRegion(fill).subtracted(target) : QRegion(fill);
                    for (const QRect &r : back) p.fillRect(r, rp.backColor);
                }
                if (m_screenOver || m_canvasOpaque)
                    // Every pixel is opaque: a straight copy.
                    p.drawImage(target.topLeft(), QImage(m_screen.constBits(), m_screen.width(), m_screen.height(),
                                                         m_screen.bytesPerLine(), QImage::Format_RGB32));
                else
                    p.drawImage(target.topLeft(), m_screen);
            } else {
                catchUp();
                m_screen = QImage();
                m_screenValid = false;
                if (rp.opaque) p.fillRect(fill, rp.backColor);
                p.drawImage(QPoint(rp.offsetX, rp.offsetY), m_canvas,
                            QRect(0, 0, std::min(rp.clientWidth, m_canvas.width()),
                                  std::min(rp.clientHeight, m_canvas.height())));
            }
        }
    }
    p.restore();
}

bool AniGifCore::paintsOpaque(const RenderParams &rp) const {
    const bool stretched = rp.scaleX != 1.0f || rp.scaleY != 1.0f;
    if (!hasCanvas() || !stretched || rp.offsetX > 0 || rp.offsetY > 0 || rp.clientWidth <= 0 ||
        rp.clientHeight <= 0)
        return false;
    return (rp.opaque && rp.backColor.alpha() == 255) || m_canvasOpaque;
}

namespace {

// Each channel of x times a / 255, rounded.
inline std::uint32_t byteMul(std::uint32_t x, std::uint32_t a) {
    std::uint32_t rb = (x & 0x00ff00ffu) * a;
    rb = ((rb + ((rb >> 8) & 0x00ff00ffu) + 0x00800080u) >> 8) & 0x00ff00ffu;
    std::uint32_t ag = ((x >> 8) & 0x00ff00ffu) * a;
    ag = (ag + ((ag >> 8) & 0x00ff00ffu) + 0x00800080u) & 0xff00ff00u;
    return rb | ag;
}

} // namespace

QRect AniGifCore::refreshScreen(const RenderParams &rp) {
    const QRect target(rp.offsetX, rp.offsetY, rp.clientWidth, rp.clientHeight);
    const bool over = rp.opaque && rp.backColor.alpha() == 255;
    const QRgb back = over ? rp.backColor.rgba() : 0;
    if (m_screenValid && target == m_screenTarget && over == m_screenOver && back == m_screenBack &&
        m_screen.size() == target.size()) {
        if (!m_screenDirty.isEmpty()) replayOrRescale(screenArea(m_screenDirty, rp) & target);
        m_screenDirty = QRect();
        m_dirtyFrame = -1;
        return target;
    }
    catchUp();
    forgetPatches();
    if (m_screen.size() != target.size())
        m_screen = QImage(target.size(), QImage::Format_ARGB32_Premultiplied);
    m_screenTarget = target;
    m_screenOver = over;
    m_screenBack = back;
    // Where each screen pixel samples the canvas: its centre mapped back, in 16.16
    // fixed point with 8-bit weights, clamped at the edges, as the smooth paint of
    // the canvas into the client did.
    auto taps = [](std::vector<Tap> &out, int screen, int source) {
        out.resize(std::size_t(screen));
        const double step = double(source) / screen;
        for (int i = 0; i < screen; ++i) {
            const int fx = int(step * (i + 0.5) * 65536.0) - 32768;
            const int a = fx >> 16;
            out[std::size_t(i)] = {std::clamp(a, 0, source - 1), std::clamp(a + 1, 0, source - 1),
                                   (fx & 0xffff) >> 8};
        }
    };
    taps(m_tapX, target.width(), m_canvas.width());
    m_weightX.resize(4 * m_tapX.size());
    for (std::size_t i = 0; i < m_tapX.size(); ++i)
        std::fill_n(m_weightX.begin() + std::ptrdiff_t(4 * i), 4, std::uint16_t(m_tapX[i].w));
    taps(m_tapY, target.height(), m_canvas.height());
    m_screenValid = true;
    m_screenDirty = QRect();
    m_dirtyFrame = -1;
    rescale(target);
    return target;
}

namespace {

// Rows of `w` pixels from one buffer to another, each with its own row length in bytes.
void copyRows(uchar *to, qsizetype toStride, const uchar *from, qsizetype fromStride, std::size_t w, int rows) {
    for (int y = 0; y < rows; ++y) std::memcpy(to + toStride * y, from + fromStride * y, 4 * w);
}

} // namespace

void AniGifCore::replayOrRescale(const QRect &area) {
    const QRect r = area.translated(-m_screenTarget.topLeft()) & QRect(QPoint(), m_screen.size());
    const int f = m_dirtyFrame;
    if (r.isEmpty() || f < 1 || f > frameCount()) {
        rescale(area);
        return;
    }
    if (m_patches.size() != std::size_t(frameCount()) + 1) m_patches.resize(std::size_t(frameCount()) + 1);
    Patch &patch = m_patches[std::size_t(f)];
    const std::size_t w = std::size_t(r.width());
    if (patch.area == r && patch.changed == m_screenDirty) {
        copyRows(m_screen.scanLine(r.top()) + 4 * r.left(), m_screen.bytesPerLine(),
                 reinterpret_cast<const uchar *>(patch.pixels.data()), qsizetype(4 * w), w, r.height());
        ++m_replays;
        return;
    }
    catchUp();
    rescale(area);
    // Kept while the changes together stay within the stretched canvas's own size
    // (and 16 MiB), and each within a quarter of it: a loop that changes the whole
    // picture each frame has nothing worth keeping.
    const std::int64_t bytes = std::int64_t(4) * r.width() * r.height();
    const std::int64_t budget = std::min<std::int64_t>(m_screen.sizeInBytes(), std::int64_t(16) << 20);
    if (!patch.pixels.empty() || bytes * 4 > m_screen.sizeInBytes() || m_patchBytes + bytes > budget) return;
    patch.area = r;
    patch.changed = m_screenDirty;
    patch.pixels.resize(w * std::size_t(r.height()));
    copyRows(reinterpret_cast<uchar *>(patch.pixels.data()), qsizetype(4 * w),
             m_screen.constScanLine(r.top()) + 4 * r.left(), m_screen.bytesPerLine(), w, r.height());
    m_patchBytes += bytes;
}

bool AniGifCore::mayReplayUncomposed() const {
    if (!m_canvasOpaque) return false;
    return std::all_of(m_stream.frames.begin(), m_stream.frames.end(),
                       [](const FrameInfo &fi) { return fi.disposal != 2 && fi.disposal != 3; });
}

void AniGifCore::catchUp() {
    if (!m_ahead) return;
    const int f = m_ahead;
    m_ahead = 0;
    if (f != m_composed) stepCanvasTo(f);
    m_sinceFirstKnown = false;
}

void AniGifCore::forgetPatches() {
    m_patches.clear();
    m_patches.shrink_to_fit();
    m_patchBytes = 0;
    m_dirtyFrame = -1;
}

int AniGifCore::keptPatches() const {
    return int(std::count_if(m_patches.begin(), m_patches.end(), [](const Patch &p) { return !p.pixels.empty(); }));
}

namespace {

// Channel by channel, out = a + (b - a) * w / 256, the weight per channel (across)
// or one for the row (down). Plain loops over bytes: the compiler makes vector code
// of them on any machine.
void mixAcross(const uchar *a, const uchar *b, const std::uint16_t *w, uchar *out, int n) {
    for (int i = 0; i < n; ++i)
        out[i] = uchar((std::uint16_t(a[i] * std::uint16_t(256 - w[i])) + std::uint16_t(b[i] * w[i])) >> 8);
}

void mixDown(const uchar *a, const uchar *b, std::uint16_t w, uchar *out, int n) {
    const std::uint16_t iw = std::uint16_t(256 - w);
    for (int i = 0; i < n; ++i) out[i] = uchar((std::uint16_t(a[i] * iw) + std::uint16_t(b[i] * w)) >> 8);
}

} // namespace

void AniGifCore::rescale(const QRect &area) {
    const QRect r = area.translated(-m_screenTarget.topLeft()) & QRect(QPoint(), m_screen.size());
    if (r.isEmpty() || m_screen.isNull()) return;
    // Canvas rows are stretched across first, each once, then two of them mixed per
    // screen row.
    const int w = r.width();
    m_rowMix.resize(std::size_t(4) * w);
    std::uint32_t *rows[2] = {m_rowMix.data(), m_rowMix.data() + w};
    std::uint32_t *left = m_rowMix.data() + 2 * w, *right = m_rowMix.data() + 3 * w;
    int held[2] = {-1, -1};
    const Tap *tx = m_tapX.data() + r.left();
    const std::uint16_t *wx = m_weightX.data() + 4 * std::size_t(r.left());
    auto across = [&](int source) -> const std::uint32_t * {
        for (int i = 0; i < 2; ++i)
            if (held[i] == source) return rows[i];
        // Replace the row the next screen rows no longer need: the lower one.
        const int i = held[0] < held[1] ? 0 : 1;
        const auto *src = reinterpret_cast<const std::uint32_t *>(m_canvas.constScanLine(source));
        for (int x = 0; x < w; ++x) {
            left[x] = src[tx[x].a];
            right[x] = src[tx[x].b];
        }
        mixAcross(reinterpret_cast<const uchar *>(left), reinterpret_cast<const uchar *>(right), wx,
                  reinterpret_cast<uchar *>(rows[i]), 4 * w);
        held[i] = source;
        return rows[i];
    };
    const std::uint32_t back = m_screenOver ? qPremultiply(m_screenBack) : 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const Tap ty = m_tapY[std::size_t(y)];
        const std::uint32_t *a = across(ty.a);
        auto *out = reinterpret_cast<std::uint32_t *>(m_screen.scanLine(y)) + r.left();
        if (ty.w == 0 || ty.a == ty.b)
            std::memcpy(out, a, 4 * std::size_t(w));
        else
            mixDown(reinterpret_cast<const uchar *>(a), reinterpret_cast<const uchar *>(across(ty.b)),
                    std::uint16_t(ty.w), reinterpret_cast<uchar *>(out), 4 * w);
        if (m_screenOver)
            for (int x = 0; x < w; ++x)
                if (out[x] < 0xff000000u) out[x] += byteMul(back, 255 - (out[x] >> 24));
    }
}

std::optional<QRect> AniGifCore::composeTo(int f) {
    if (!hasCanvas() || f < 1 || f > frameCount() || !loaded()) return std::nullopt;
    const int shown = m_ahead ? m_ahead : m_composed;
    if (f == shown) return QRect();
    if (!m_current) {
        m_sinceFirstKnown = false;
        forgetPatches();
    }
    // The change on the screen is this frame's alone, from the canvas the frame
    // before it always leaves: the same in every round.
    const bool follows = shown > 0 && (f == shown + 1 || (f == 1 && shown == frameCount()));
    m_dirtyFrame = m_current && m_screenValid && follows && m_screenDirty.isEmpty() ? f : -1;
    if (m_dirtyFrame == f && std::size_t(f) < m_patches.size() && !m_patches[std::size_t(f)].pixels.empty() &&
        mayReplayUncomposed()) {
        // Its change is kept: the canvas may wait until something needs it.
        m_ahead = f;
        m_screenDirty = m_patches[std::size_t(f)].changed;
        return m_screenDirty;
    }
    catchUp();
    const int k = m_composed;
    // The next frame over a kept one, or a loop's first frame that hides everything:
    // drawing it finds what it changed.
    const bool next = k > 0 && f == k + 1 && frame(k).disposal != 2 && frame(k).disposal != 3;
    const bool restart = f == 1 && coversCanvas(1);
    if (m_current && (next || restart)) {
        composeBefore(f);
        QRect changed;
        if (restart) {
            // Outside what the loop changed since frame 1 was drawn, the canvas
            // still holds frame 1: only the rest needs looking at.
            if (m_sinceFirstKnown && m_canvasOpaque)
                changed = m_sinceFirst.isEmpty() ? QRect() : drawOnCanvas(1, true, m_sinceFirst);
            else
                changed = drawOnCanvas(1, true);
            m_sinceFirst = QRect();
            m_sinceFirstKnown = true;
        } else {
            changed = drawOnCanvas(f, true);
            m_sinceFirst |= changed;
        }
        m_composed = f;
        m_screenDirty |= changed;
        return changed;
    }
    // A restart from an empty canvas is not measured from frame 1.
    if (f < k || k == 0) m_sinceFirstKnown = false;
    // Otherwise the pixels the step may touch are kept and compared: a new loop
    // starts from an empty canvas.
    QRect touched;
    if (f < k || k == 0) {
        touched = m_canvas.rect();
    } else {
        const FrameInfo &shown = frame(k);
        if (shown.disposal == 2 || shown.disposal == 3)
            touched = QRect(shown.left, shown.top, shown.width, shown.height);
        for (int j = k + 1; j <= f; ++j) touched |= QRect(frame(j).left, frame(j).top, frame(j).width, frame(j).height);
        touched &= m_canvas.rect();
    }
    const int w = touched.width(), h = touched.height();
    if (touched.isEmpty()) {
        stepCanvasTo(f);
        return QRect();
    }
    // (touched is never empty on a restart: the whole canvas.)
    m_before.resize(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(m_before.data() + std::size_t(y) * w, m_canvas.constScanLine(touched.top() + y) + 4 * touched.left(),
                    4 * std::size_t(w));
    stepCanvasTo(f);
    // Frames often declare more than they change (a map drawn again under moving
    // echoes): only the pixels that differ count.
    int x0 = w, x1 = -1, y0 = -1, y1 = -1;
    for (int y = 0; y < h; ++y) {
        const std::uint32_t *a = m_before.data() + std::size_t(y) * w;
        const auto *b = reinterpret_cast<const std::uint32_t *>(m_canvas.constScanLine(touched.top() + y)) + touched.left();
        int l = 0;
        while (l < w && a[l] == b[l]) ++l;
        if (l == w) continue;
        int r = w - 1;
        while (a[r] == b[r]) --r;
        x0 = std::min(x0, l);
        x1 = std::max(x1, r);
        if (y0 < 0) y0 = y;
        y1 = y;
    }
    if (y0 < 0) return QRect();
    const QRect changed(touched.left() + x0, touched.top() + y0, x1 - x0 + 1, y1 - y0 + 1);
    m_screenDirty |= changed;
    m_sinceFirst |= changed;
    return changed;
}

QRect AniGifCore::screenArea(const QRect &area, const RenderParams &rp) const {
    if (area.isEmpty() || m_canvas.isNull()) return {};
    if (rp.scaleX == 1.0f && rp.scaleY == 1.0f) return area.translated(rp.offsetX, rp.offsetY);
    // Stretched, the canvas fills the client; a screen pixel mixes the canvas pixels
    // on either side of its centre, so a changed pixel reaches a little further
    // than its own square, more so the larger the scale.
    const double sx = double(rp.clientWidth) / m_canvas.width(), sy = double(rp.clientHeight) / m_canvas.height();
    const int x0 = int(std::floor(rp.offsetX + (area.left() - 1) * sx)) - 1;
    const int y0 = int(std::floor(rp.offsetY + (area.top() - 1) * sy)) - 1;
    const int x1 = int(std::ceil(rp.offsetX + (area.right() + 2) * sx)) + 1;
    const int y1 = int(std::ceil(rp.offsetY + (area.bottom() + 2) * sy)) + 1;
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

void AniGifCore::mirror(int first, int last, int d, bool canvasToo) {
    d &= 3;
    if (d == 0 || !loaded()) return;
    catchUp();
    m_current = false;
    forgetPatches();
    if (canvasToo) m_screenValid = false;
    last = std::min(last, frameCount());
    const qsizetype stride = m_strip.bytesPerLine();
    uchar *base = m_strip.bits();
    for (int f = std::max(first, 1); f <= last; ++f) {
        FrameInfo &fi = frame(f);
        if (!inStrip(fi)) continue;
        if (d & 1) {
            fi.left = m_stream.width - (fi.left + fi.width);
            for (int y = 0; y < fi.height; ++y) {
                uchar *row = base + stride * y + fi.stripColumn;
                std::reverse(row, row + fi.width);
            }
        }
        if (d & 2) {
            fi.top = m_stream.height - (fi.top + fi.height);
            for (int y = 0; y < fi.height / 2; ++y)
                std::swap_ranges(base + stride * y + fi.stripColumn,
                                 base + stride * y + fi.stripColumn + fi.width,
                                 base + stride * (fi.height - 1 - y) + fi.stripColumn);
        }
    }
    if (canvasToo && hasCanvas()) {
        m_canvas = m_canvas.mirrored(d & 1, d & 2);
        // The region kept under the frame on show moves with it.
        if (m_composed > 0 && frame(m_composed).disposal == 3) {
            const FrameInfo &fi = frame(m_composed);
            const QRect r = QRect(fi.left, fi.top, fi.width, fi.height) & m_canvas.rect();
            if (m_saved.size() == std::size_t(r.width()) * r.height() && !r.isEmpty()) {
                QImage saved(reinterpret_cast<uchar *>(m_saved.data()), r.width(), r.height(),
                             QImage::Format_ARGB32_Premultiplied);
                QImage flipped = saved.mirrored(d & 1, d & 2);
                for (int y = 0; y < r.height(); ++y)
                    std::memcpy(m_saved.data() + std::size_t(y) * r.width(), flipped.constScanLine(y),
                                4 * r.width());
            }
        }
    }
}

} // namespace anigif
