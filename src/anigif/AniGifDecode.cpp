// Filling the frame strip: each frame's image block is cut out of the stream, its LZW
// data decoded and its rows written, in display order, into the frame's own columns.
// Long runs of frames are shared out among threads.
#include "AniGifCore.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

#include <QThread>

#include "GifLzw.h"

namespace anigif {

namespace {

std::atomic<int> g_decodeThreads{0};

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

int AniGifCore::decodeThreads() { return g_decodeThreads.load(); }
void AniGifCore::setDecodeThreads(int n) { g_decodeThreads.store(std::max(n, 0)); }

void AniGifCore::decodeFrame(const std::uint8_t *data, std::size_t size, int f, DecodeScratch &s,
                             uchar *base, qsizetype stride) const {
    const FrameInfo &fi = frame(f);
    const BlockEntry &be = m_stream.blockTable[f - 1];
    if (fi.width <= 0 || fi.height <= 0) return;
    if (!inStrip(fi)) return;
    if (std::size_t(be.start) >= size) return;
    const std::uint8_t *p = data + be.start;
    const std::size_t avail = std::min<std::size_t>(std::size_t(be.length), size - be.start);
    // The image block: separator, position and size (the parse has them), the packed
    // byte, the local colour table, the LZW minimum code size, the data sub-blocks.
    if (avail < 11) return;
    // Bit 7 local table present, bit 6 interlaced, bits 0..2 the table's size exponent less one.
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
    // The frame on show may be among those decoded now.
    catchUp();
    m_current = false;
    forgetPatches();
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

} // namespace anigif
