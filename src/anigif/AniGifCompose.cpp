// Putting frames on screen: the frame's colours from its palette row, the compositing
// canvas with each frame's disposal, painting with scale, offset and back colour, and
// mirroring.
#include "AniGifCore.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainter>

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
        if (r.isEmpty()) return;
        m_saved.resize(std::size_t(r.width()) * r.height());
        for (int y = 0; y < r.height(); ++y)
            std::memcpy(m_saved.data() + std::size_t(y) * r.width(),
                        m_canvas.constScanLine(r.top() + y) + 4 * r.left(), 4 * r.width());
    }
}

void AniGifCore::drawOnCanvas(int f) {
    const FrameInfo &fi = frame(f);
    const QRect r = QRect(fi.left, fi.top, fi.width, fi.height) & m_canvas.rect();
    if (r.isEmpty()) return;
    const ColorRow &row = rowOf(f);
    std::uint32_t lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = 0xFF000000u | row[i];
    const int dx = r.left() - fi.left, dy = r.top() - fi.top;
    const int w = r.width();
    for (int y = 0; y < r.height(); ++y) {
        const uchar *src = m_strip.constScanLine(dy + y) + fi.stripColumn + dx;
        auto *dst = reinterpret_cast<std::uint32_t *>(m_canvas.scanLine(r.top() + y)) + r.left();
        if (fi.hasTransparency) {
            const uchar t = fi.transIndex;
            for (int x = 0; x < w; ++x)
                if (src[x] != t) dst[x] = lut[src[x]];
        } else {
            for (int x = 0; x < w; ++x) dst[x] = lut[src[x]];
        }
    }
}

void AniGifCore::composeAfter(int f) {
    const FrameInfo &fi = frame(f);
    const QRect r = QRect(fi.left, fi.top, fi.width, fi.height) & m_canvas.rect();
    if (r.isEmpty()) return;
    if (fi.disposal == 2) {
        for (int y = 0; y < r.height(); ++y)
            std::memset(m_canvas.scanLine(r.top() + y) + 4 * r.left(), 0, 4 * r.width());
    } else if (fi.disposal == 3 && m_saved.size() == std::size_t(r.width()) * r.height()) {
        for (int y = 0; y < r.height(); ++y)
            std::memcpy(m_canvas.scanLine(r.top() + y) + 4 * r.left(),
                        m_saved.data() + std::size_t(y) * r.width(), 4 * r.width());
    }
}

void AniGifCore::advanceCanvasTo(int f) {
    int k = m_composed;
    if (f == k) {
        // A repaint of the frame on show: draw it again, e.g. with a changed palette,
        // unless it was composed just now for this paint.
        if (!m_fresh) drawOnCanvas(f);
        m_fresh = false;
        return;
    }
    m_fresh = false;
    if (f < k || k == 0) {
        // Each loop starts from an empty canvas.
        m_canvas.fill(0);
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
            if (rp.opaque) p.fillRect(fill, rp.backColor);
            if (stretched)
                p.drawImage(QRect(rp.offsetX, rp.offsetY, rp.clientWidth, rp.clientHeight), m_canvas);
            else
                p.drawImage(QPoint(rp.offsetX, rp.offsetY), m_canvas,
                            QRect(0, 0, std::min(rp.clientWidth, m_canvas.width()),
                                  std::min(rp.clientHeight, m_canvas.height())));
        }
    }
    p.restore();
}

std::optional<QRect> AniGifCore::composeTo(int f) {
    if (!hasCanvas() || f < 1 || f > frameCount() || !loaded()) return std::nullopt;
    const int k = m_composed;
    if (f == k) return QRect();
    // The pixels the step may touch: a new loop starts from an empty canvas.
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
        advanceCanvasTo(f);
        m_fresh = true;
        return QRect();
    }
    m_before.resize(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(m_before.data() + std::size_t(y) * w, m_canvas.constScanLine(touched.top() + y) + 4 * touched.left(),
                    4 * std::size_t(w));
    advanceCanvasTo(f);
    m_fresh = true;
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
    return QRect(touched.left() + x0, touched.top() + y0, x1 - x0 + 1, y1 - y0 + 1);
}

QRect AniGifCore::screenArea(const QRect &area, const RenderParams &rp) const {
    if (area.isEmpty() || m_canvas.isNull()) return {};
    if (rp.scaleX == 1.0f && rp.scaleY == 1.0f) return area.translated(rp.offsetX, rp.offsetY);
    // Stretched, the canvas fills the client; smoothing reaches a pixel beyond.
    const double sx = double(rp.clientWidth) / m_canvas.width(), sy = double(rp.clientHeight) / m_canvas.height();
    const int x0 = int(std::floor(rp.offsetX + area.left() * sx)) - 2;
    const int y0 = int(std::floor(rp.offsetY + area.top() * sy)) - 2;
    const int x1 = int(std::ceil(rp.offsetX + (area.right() + 1) * sx)) + 2;
    const int y1 = int(std::ceil(rp.offsetY + (area.bottom() + 1) * sy)) + 2;
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

void AniGifCore::mirror(int first, int last, int d, bool canvasToo) {
    d &= 3;
    if (d == 0 || !loaded()) return;
    m_fresh = false;
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
