#include "AniGifCore.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include <QPainter>
#include <QThread>

#include "GifLzw.h"
#include "platform/Units.h"

namespace anigif {

namespace {

std::atomic<std::int64_t> g_memoryCap{std::int64_t(256) << 20};
std::atomic<int> g_decodeThreads{0};

int roundPx(double v) { return int(platform::units::roundHalfEven(v)); }

// Destination rows of an interlaced image, in the order its rows arrive.
void interlacedRows(int h, std::vector<int> &rows) {
    rows.clear();
    rows.reserve(h);
    static const int start[4] = {0, 4, 2, 1};
    static const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < h; y += step[pass]) rows.push_back(y);
}

} // namespace

std::int64_t AniGifCore::memoryCap() { return g_memoryCap.load(); }
void AniGifCore::setMemoryCap(std::int64_t bytes) { g_memoryCap.store(bytes); }
int AniGifCore::decodeThreads() { return g_decodeThreads.load(); }
void AniGifCore::setDecodeThreads(int n) { g_decodeThreads.store(std::max(n, 0)); }

void AniGifCore::reset() {
    m_stream.clear();
    m_strip = QImage();
    m_canvas = QImage();
    m_composed = 0;
    m_saved.clear();
    m_saved.shrink_to_fit();
    m_frameScratch = QImage();
    m_scratch.clear();
    m_scratch.shrink_to_fit();
    m_lastDecodeThreads = 0;
}

int AniGifCore::parse(const QByteArray &bytes) {
    reset();
    return parseGif(bytes, m_stream);
}

bool AniGifCore::allocate(bool runMode) {
    const int n = frameCount();
    if (n == 0) return false;
    const std::int64_t cap = memoryCap();
    if (m_stream.width <= 0 || m_stream.height <= 0) return false;

    std::int64_t stripW = 0;
    int stripH = 0;
    bool allRestore = true;
    bool canvas = false;
    if (!runMode || n == 1) {
        stripW = frame(1).width;
        stripH = frame(1).height;
    } else {
        for (const FrameInfo &fi : m_stream.frames) {
            if (fi.disposal != 2) allRestore = false;
            stripW += fi.width;
            stripH = std::max(stripH, fi.height);
        }
        canvas = !allRestore;
    }
    if (stripW <= 0 || stripH <= 0) return false;
    const std::int64_t rowBytes = (stripW + 3) & ~std::int64_t(3);
    if (stripW > 0x3fffffff || rowBytes * stripH > cap) return false;
    if (canvas && std::int64_t(m_stream.width) * m_stream.height * 4 > cap) return false;

    m_strip = QImage(int(stripW), stripH, QImage::Format_Indexed8);
    if (m_strip.isNull()) return false;
    m_strip.fill(0);
    if (canvas) {
        m_canvas = QImage(m_stream.width, m_stream.height, QImage::Format_ARGB32_Premultiplied);
        if (m_canvas.isNull()) {
            m_strip = QImage();
            return false;
        }
        m_canvas.fill(0);
        m_composed = 0;
    }
    int column = 0;
    for (int f = 1; f <= n; ++f) {
        frame(f).stripColumn = (!runMode || n == 1) ? 0 : column;
        column += frame(f).width;
    }
    return true;
}

void AniGifCore::truncateToFirstFrame() {
    if (m_stream.frames.size() > 1) {
        m_stream.frames.resize(1);
        m_stream.blockTable.resize(1);
    }
    if (!m_stream.frames.empty()) frame(1).disposal = 0;
}

void AniGifCore::decodeFrame(const std::uint8_t *data, std::size_t size, int f, DecodeScratch &s,
                             uchar *base, qsizetype stride) const {
    const FrameInfo &fi = frame(f);
    const BlockEntry &be = m_stream.blockTable[f - 1];
    if (fi.width <= 0 || fi.height <= 0) return;
    if (fi.stripColumn + fi.width > m_strip.width() || fi.height > m_strip.height()) return;
    if (std::size_t(be.start) >= size) return;
    const std::uint8_t *p = data + be.start;
    const std::size_t avail = std::min<std::size_t>(std::size_t(be.length), size - be.start);
    if (avail < 11) return;
    const std::uint8_t packed = p[9];
    std::size_t at = 10;
    if (packed & 0x80) at += 3u * (2u << (packed & 7));
    if (at >= avail) return;
    const int minCodeSize = p[at++];
    gatherSubBlocks(p + at, avail - at, s.in);

    const std::size_t pixels = std::size_t(fi.width) * fi.height;
    if (s.outSize < pixels + kLzwOutputSlack) {
        s.out.reset();
        s.out.reset(new std::uint8_t[pixels + kLzwOutputSlack]);
        s.outSize = pixels + kLzwOutputSlack;
    }
    const std::size_t got = lzwDecode(s.in.data(), s.in.size(), minCodeSize, s.out.get(), pixels);

    const bool interlaced = packed & 0x40;
    if (interlaced) interlacedRows(fi.height, s.rows);
    const std::size_t fullRows = got / fi.width;
    const std::size_t rest = got % fi.width;
    for (std::size_t r = 0; r <= fullRows && r < std::size_t(fi.height); ++r) {
        const std::size_t count = r < fullRows ? std::size_t(fi.width) : rest;
        if (count == 0) break;
        const int y = interlaced ? s.rows[r] : int(r);
        std::memcpy(base + stride * y + fi.stripColumn, s.out.get() + r * fi.width, count);
    }
}

AniGifCore::DecodePlan AniGifCore::planDecode(int first, int last) const {
    DecodePlan plan;
    std::int64_t pixels = 0;
    for (int f = first; f <= last; ++f) {
        const std::int64_t px = std::int64_t(frame(f).width) * frame(f).height;
        pixels += px;
        plan.largest = std::max<std::size_t>(plan.largest, std::size_t(px));
        plan.longest = std::max(plan.longest, std::size_t(m_stream.blockTable[f - 1].length));
    }
    if (last <= first || pixels < kParallelMinPixels) return plan;
    const int wanted = decodeThreads();
    std::int64_t workers = wanted > 0 ? wanted : std::max(QThread::idealThreadCount(), 1);
    workers = std::min<std::int64_t>(workers, last - first + 1);
    // Each thread holds one decoded frame and its joined data beside the strip and the
    // canvas: together they stay under the cap. One thread always runs, as it always did.
    const std::int64_t held = std::int64_t(m_strip.sizeInBytes()) + m_canvas.sizeInBytes();
    const std::int64_t perThread = std::int64_t(plan.largest + kLzwOutputSlack + plan.longest);
    const std::int64_t room = (memoryCap() - held) / std::max<std::int64_t>(perThread, 1);
    plan.workers = int(std::max<std::int64_t>(1, std::min(workers, room)));
    return plan;
}

void AniGifCore::decodeFrames(const QByteArray &bytes, int first, int last) {
    m_lastDecodeThreads = 0;
    if (!loaded()) return;
    first = std::max(first, 1);
    last = std::min(last, frameCount());
    if (first > last) return;
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    uchar *base = m_strip.bits();  // detaches here, before any thread writes
    const qsizetype stride = m_strip.bytesPerLine();

    const DecodePlan plan = planDecode(first, last);
    const int workers = plan.workers;
    if (m_scratch.size() < std::size_t(workers)) m_scratch.resize(workers);
    if (workers == 1) {
        for (int f = first; f <= last; ++f) decodeFrame(data, size, f, m_scratch[0], base, stride);
        m_lastDecodeThreads = 1;
        return;
    }
    // The threads' buffers are sized here, on the calling thread: a thread of its own would
    // take fresh pages from a fresh allocator arena on every load.
    for (int i = 0; i < workers; ++i) {
        DecodeScratch &s = m_scratch[i];
        s.in.reserve(plan.longest);
        if (s.outSize < plan.largest + kLzwOutputSlack) {
            s.out.reset();
            s.out.reset(new std::uint8_t[plan.largest + kLzwOutputSlack]);
            s.outSize = plan.largest + kLzwOutputSlack;
        }
    }
    // Every frame's LZW data stands alone and lands in its own columns of the strip, so
    // frames go to whichever thread is free and the result does not depend on the order.
    std::atomic<int> nextFrame{first};
    auto work = [&](DecodeScratch &s) {
        for (int f; (f = nextFrame.fetch_add(1, std::memory_order_relaxed)) <= last;)
            decodeFrame(data, size, f, s, base, stride);
    };
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    for (int i = 1; i < workers; ++i) {
        try {
            threads.emplace_back(work, std::ref(m_scratch[i]));
        } catch (const std::system_error &) {
            break;  // no thread to be had: the ones running share the frames
        }
    }
    work(m_scratch[0]);
    for (std::thread &t : threads) t.join();
    m_lastDecodeThreads = int(threads.size()) + 1;
}

std::uint8_t AniGifCore::index(int f, int x, int y) const {
    const FrameInfo &fi = frame(f);
    return m_strip.constScanLine(y)[fi.stripColumn + x];
}

const ColorRow &AniGifCore::rowOf(int f) const {
    static const ColorRow empty{};
    const int row = frame(f).paletteRow;
    if (row < 0 || row >= int(m_stream.colorTables.size())) return empty;
    return m_stream.colorTables[row];
}

void AniGifCore::frameToArgb(int f, QImage &img) const {
    const FrameInfo &fi = frame(f);
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
        // A repaint of the frame on show: draw it again, e.g. with a changed palette.
        drawOnCanvas(f);
        return;
    }
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

void AniGifCore::mirror(int first, int last, int d, bool canvasToo) {
    d &= 3;
    if (d == 0 || !loaded()) return;
    last = std::min(last, frameCount());
    const qsizetype stride = m_strip.bytesPerLine();
    uchar *base = m_strip.bits();
    for (int f = std::max(first, 1); f <= last; ++f) {
        FrameInfo &fi = frame(f);
        if (fi.stripColumn + fi.width > m_strip.width() || fi.height > m_strip.height()) continue;
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

QByteArray AniGifCore::exportFrameGif(int f) const {
    if (f < 1 || f > frameCount() || !loaded()) return {};
    const FrameInfo &fi = frame(f);
    if (fi.stripColumn + fi.width > m_strip.width() || fi.height > m_strip.height()) return {};
    std::vector<std::uint8_t> out;
    out.reserve(std::size_t(fi.width) * fi.height + 800);
    for (char c : {'G', 'I', 'F', '8', '9', 'a'}) out.push_back(std::uint8_t(c));
    auto word = [&](int v) {
        out.push_back(std::uint8_t(v & 0xFF));
        out.push_back(std::uint8_t((v >> 8) & 0xFF));
    };
    word(fi.width);
    word(fi.height);
    out.push_back(0x87);
    out.push_back(0);
    out.push_back(0);
    const ColorRow &row = rowOf(f);
    const int colours = int(std::min<std::uint32_t>(row[256], 256));
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t c = i < colours ? row[i] : 0;
        out.push_back(std::uint8_t(c >> 16));
        out.push_back(std::uint8_t(c >> 8));
        out.push_back(std::uint8_t(c));
    }
    if (fi.hasTransparency) {
        for (std::uint8_t b : {std::uint8_t(0x21), std::uint8_t(0xF9), std::uint8_t(0x04), std::uint8_t(0x01),
                               std::uint8_t(0x00), std::uint8_t(0x00), fi.transIndex, std::uint8_t(0x00)})
            out.push_back(b);
    }
    out.push_back(0x2C);
    word(0);
    word(0);
    word(fi.width);
    word(fi.height);
    out.push_back(0);
    out.push_back(8);
    const uchar *pixels = m_strip.constBits() + fi.stripColumn;
    lzwCompress(pixels, m_strip.bytesPerLine(), fi.width, fi.height, out);
    out.push_back(0);
    out.push_back(0x3B);
    return QByteArray(reinterpret_cast<const char *>(out.data()), qsizetype(out.size()));
}

QImage decodeStill(const QByteArray &bytes) {
    AniGifCore core;
    if (core.parse(bytes) == 0 || !core.allocate(false)) return {};
    core.decodeFrames(bytes, 1, 1);
    QImage img(core.width(), core.height(), QImage::Format_ARGB32_Premultiplied);
    if (img.isNull()) return {};
    img.fill(0);
    QPainter p(&img);
    RenderParams rp;
    rp.clientWidth = img.width();
    rp.clientHeight = img.height();
    core.renderFrame(1, p, rp);
    p.end();
    return img;
}

} // namespace anigif
