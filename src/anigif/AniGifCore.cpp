// The core's life: the memory cap, the reset, the parse and the layout of the frame
// strip and canvas, and the frame export.
#include "AniGifCore.h"

#include <algorithm>
#include <atomic>

#include <QPainter>

#include "GifLzw.h"

namespace anigif {

namespace {

std::atomic<std::int64_t> g_memoryCap{std::int64_t(256) << 20};

} // namespace

std::int64_t AniGifCore::memoryCap() { return g_memoryCap.load(); }
void AniGifCore::setMemoryCap(std::int64_t bytes) { g_memoryCap.store(bytes); }

void AniGifCore::reset() {
    m_stream.clear();
    m_strip = QImage();
    m_canvas = QImage();
    m_composed = 0;
    m_ahead = 0;
    m_saved.clear();
    m_saved.shrink_to_fit();
    m_before.clear();
    m_before.shrink_to_fit();
    m_current = false;
    m_canvasOpaque = m_savedOpaque = false;
    m_sinceFirst = QRect();
    m_sinceFirstKnown = false;
    m_screen = QImage();
    m_screenValid = false;
    m_screenDirty = QRect();
    m_tapX.clear();
    m_tapX.shrink_to_fit();
    m_tapY.clear();
    m_tapY.shrink_to_fit();
    m_weightX.clear();
    m_weightX.shrink_to_fit();
    m_rowMix.clear();
    m_rowMix.shrink_to_fit();
    forgetPatches();
    m_replays = 0;
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
        m_ahead = 0;
        m_canvasOpaque = false;
        m_screenValid = false;
        m_sinceFirstKnown = false;
        forgetPatches();
    }
    int column = 0;
    for (int f = 1; f <= n; ++f) {
        frame(f).stripColumn = (!runMode || n == 1) ? 0 : column;
        column += frame(f).width;
    }
    return true;
}

void AniGifCore::truncateToFirstFrame() {
    catchUp();
    if (m_stream.frames.size() > 1) {
        m_stream.frames.resize(1);
        m_stream.blockTable.resize(1);
    }
    if (!m_stream.frames.empty()) frame(1).disposal = 0;
    forgetPatches();
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

QByteArray AniGifCore::exportFrameGif(int f) const {
    if (f < 1 || f > frameCount() || !loaded()) return {};
    const FrameInfo &fi = frame(f);
    if (!inStrip(fi)) return {};
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
