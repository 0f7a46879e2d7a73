// The fast LZW path against a plain dictionary decoder, and frames decoded on several
// threads against the same frames decoded on one.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <QThread>

#include "AniGifCore.h"
#include "GifLzw.h"
#include "GifStream.h"
#include "GifTestKit.h"

using namespace anigif;

namespace {

// The textbook decoder: a dictionary of whole strings, no tricks.
std::vector<std::uint8_t> plainDecode(const std::vector<std::uint8_t> &data, int minCodeSize,
                                      std::size_t outLen) {
    const unsigned clear = 1u << minCodeSize, end = clear + 1;
    std::vector<std::vector<std::uint8_t>> dict;
    auto reset = [&] {
        dict.assign(clear + 2, {});
        for (unsigned c = 0; c < clear; ++c) dict[c] = {std::uint8_t(c)};
    };
    reset();
    unsigned size = minCodeSize + 1;
    std::vector<std::uint8_t> out, prev;
    std::size_t bitPos = 0;
    while (out.size() < outLen && bitPos + size <= data.size() * 8) {
        unsigned code = 0;
        for (unsigned i = 0; i < size; ++i, ++bitPos)
            code |= unsigned((data[bitPos / 8] >> (bitPos % 8)) & 1) << i;
        if (code == clear) {
            reset();
            size = minCodeSize + 1;
            prev.clear();
            continue;
        }
        if (code == end) break;
        std::vector<std::uint8_t> cur;
        if (code < dict.size() && code != clear && code != end) {
            cur = dict[code];
        } else if (code == dict.size() && !prev.empty()) {
            cur = prev;
            cur.push_back(prev[0]);
        } else {
            break;
        }
        if (prev.empty() && code >= clear) break;  // only a single byte may follow a clear
        if (!prev.empty() && dict.size() < 4096) {
            std::vector<std::uint8_t> added = prev;
            added.push_back(cur[0]);
            dict.push_back(added);
            if (dict.size() >= (1u << size) && size < 12) ++size;
        }
        out.insert(out.end(), cur.begin(), cur.end());
        prev = cur;
    }
    if (out.size() > outLen) out.resize(outLen);
    return out;
}

// Random code streams the way an encoder could write them, with what encoders rarely
// do: a table left full without a clear, the code being defined, clears at any moment,
// and now and then a code that is not defined yet.
std::vector<std::uint8_t> randomCodes(std::mt19937 &rng, int minCodeSize, int codes, bool clean = false) {
    const unsigned clear = 1u << minCodeSize;
    std::vector<std::uint8_t> data;
    std::uint64_t acc = 0;
    unsigned pending = 0;
    auto put = [&](unsigned code, unsigned size) {
        acc |= std::uint64_t(code) << pending;
        pending += size;
        while (pending >= 8) {
            data.push_back(std::uint8_t(acc));
            acc >>= 8;
            pending -= 8;
        }
    };
    unsigned size = minCodeSize + 1, next = clear + 2;
    bool havePrev = false;
    const bool fillTable = rng() % 2;
    if (rng() % 4) put(clear, size);
    for (int i = 0; i < codes; ++i) {
        const unsigned r = rng() % 1000;
        unsigned code;
        if (r < 3 && !fillTable && !clean) {
            put(clear, size);
            size = minCodeSize + 1;
            next = clear + 2;
            havePrev = false;
            continue;
        }
        if (!havePrev || r < 400 || next == clear + 2) code = rng() % clear;
        else if (r < 450 && next < 4096) code = next;
        else if (r == 999 && !clean) code = std::min(next + 1 + unsigned(rng() % 3), (1u << size) - 1);
        else code = clear + 2 + rng() % (next - clear - 2);
        put(code, size);
        if (havePrev && next < 4096) {
            ++next;
            if (next >= (1u << size) && size < 12) ++size;
        }
        havePrev = true;
    }
    if (rng() % 2 || clean) put(clear + 1, size);
    put(0, 7);
    return data;
}

struct Decoded {
    QImage strip;
    int threads = 0;
};

Decoded decodeWith(const QByteArray &bytes, int threads) {
    AniGifCore::setDecodeThreads(threads);
    AniGifCore core;
    Decoded d;
    if (core.parse(bytes) > 0 && core.allocate(true)) {
        core.decodeFrames(bytes, 1, core.frameCount());
        d.strip = core.strip();
        d.threads = core.lastDecodeThreads();
    }
    AniGifCore::setDecodeThreads(0);
    return d;
}

// Every pixel of the strip; the row padding is not part of the picture.
bool sameBytes(const QImage &a, const QImage &b) {
    if (a.size() != b.size() || a.isNull()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), std::size_t(a.width())) != 0) return false;
    return true;
}

// A few hundred thousand pixels per frame: large enough for the parallel path.
gifkit::Animation bigAnimation(std::mt19937 &rng, int frames) {
    gifkit::Animation a;
    a.screenWidth = 640;
    a.screenHeight = 400;
    a.globalPalette = gifkit::palette(256, 4);
    for (int i = 0; i < frames; ++i) {
        gifkit::Frame f;
        f.width = 640 - 37 * i;
        f.height = 400 - 23 * i;
        f.left = 37 * i / 2;
        f.top = 23 * i / 2;
        f.disposal = i % 4;
        f.interlaced = i % 3 == 1;
        if (i == 2) f.localPalette = gifkit::palette(16, 9);
        const int colours = i == 2 ? 16 : 256;
        f.pixels.resize(std::size_t(f.width) * f.height);
        for (std::size_t p = 0; p < f.pixels.size(); ++p)
            f.pixels[p] = std::uint8_t(i % 2 ? rng() % colours : (p / 9 + rng() % 3) % colours);
        a.frames.push_back(std::move(f));
    }
    return a;
}

} // namespace

TEST(AnigifFastLzw, SameAsPlainDecoderOnRandomCodeStreams) {
    std::mt19937 rng(2024);
    int full = 0;
    for (int t = 0; t < 400; ++t) {
        const int minCodeSize = 1 + t % 8;
        const int codes = t % 5 == 0 ? 9000 : 1 + int(rng() % 3000);
        const std::vector<std::uint8_t> data = randomCodes(rng, minCodeSize, codes);
        const std::size_t outLen = t % 7 == 0 ? 1 + rng() % 500 : 200000;
        const std::vector<std::uint8_t> want = plainDecode(data, minCodeSize, outLen);
        std::vector<std::uint8_t> out(outLen + kLzwOutputSlack, 0xAB);
        const std::size_t got = lzwDecode(data.data(), data.size(), minCodeSize, out.data(), outLen);
        ASSERT_EQ(got, want.size()) << "stream " << t;
        ASSERT_TRUE(std::equal(want.begin(), want.end(), out.begin())) << "stream " << t;
        full += codes > 5000;
    }
    EXPECT_GT(full, 50);
}

TEST(AnigifFastLzw, LongStringsAndSingleColourFrames) {
    // One colour: strings grow by one byte per code up to the full table.
    for (int w : {1, 7, 4095, 4097, 100000}) {
        std::vector<std::uint8_t> px(std::size_t(w), 200), blocks, joined;
        lzwCompress(px.data(), w, w, 1, blocks);
        gatherSubBlocks(blocks.data(), blocks.size(), joined);
        std::vector<std::uint8_t> out(px.size() + kLzwOutputSlack, 0);
        ASSERT_EQ(lzwDecode(joined.data(), joined.size(), 8, out.data(), px.size()), px.size()) << w;
        ASSERT_TRUE(std::equal(px.begin(), px.end(), out.begin())) << w;
        // One pixel short: the frame size cuts the last string.
        if (w > 1) {
            EXPECT_EQ(lzwDecode(joined.data(), joined.size(), 8, out.data(), px.size() - 1), px.size() - 1);
        }
    }
}

TEST(AnigifParallel, FramesMatchOneThreadByteForByte) {
    std::mt19937 rng(8);
    const gifkit::Animation a = bigAnimation(rng, 7);
    const QByteArray b = gifkit::encode(a);
    const QByteArray optimised = gifkit::gifsicle(b, {"-O3"});
    ASSERT_FALSE(optimised.isEmpty());
    for (const QByteArray &bytes : {b, optimised, b.left(b.size() * 3 / 4)}) {
        const Decoded one = decodeWith(bytes, 1);
        ASSERT_FALSE(one.strip.isNull());
        EXPECT_EQ(one.threads, 1);
        GifStream s;
        const int frames = parseGif(bytes, s);
        ASSERT_GE(frames, 4);
        for (int threads : {2, 3, 8}) {
            const Decoded many = decodeWith(bytes, threads);
            EXPECT_EQ(many.threads, std::min(threads, frames));
            EXPECT_TRUE(sameBytes(one.strip, many.strip)) << threads << " threads";
        }
    }
    // The frames are the reference decoder's as well.
    const gifkit::Reference ref = gifkit::referenceDecode(b);
    AniGifCore::setDecodeThreads(3);
    const auto ours = gifkit::controlFrames(b);
    AniGifCore::setDecodeThreads(0);
    ASSERT_EQ(ours.size(), ref.frames.size());
    for (std::size_t i = 0; i < ours.size(); ++i) ASSERT_EQ(gifkit::diff(ours[i], ref.frames[i]), "") << i;
}

TEST(AnigifParallel, SmallStreamsAndTheMemoryCapKeepOneThread) {
    std::mt19937 rng(12);
    gifkit::Animation small;
    do small = gifkit::randomAnimation(rng, 60, 6);
    while (small.frames.size() < 3);
    EXPECT_EQ(decodeWith(gifkit::encode(small), 4).threads, 1);

    const QByteArray b = gifkit::encode(bigAnimation(rng, 4));
    const Decoded free = decodeWith(b, 4);
    EXPECT_EQ(free.threads, 4);
    // Room for the strip and canvas and one frame being decoded, not for two.
    const std::int64_t keep = AniGifCore::memoryCap();
    AniGifCore::setMemoryCap(free.strip.sizeInBytes() + 640 * 400 * 4 + 640 * 400 * 3);
    const Decoded capped = decodeWith(b, 4);
    AniGifCore::setMemoryCap(keep);
    EXPECT_EQ(capped.threads, 1);
    EXPECT_TRUE(sameBytes(free.strip, capped.strip));
}

TEST(AnigifParallel, AutomaticCountNeverExceedsCores) {
    std::mt19937 rng(3);
    const QByteArray b = gifkit::encode(bigAnimation(rng, 6));
    const Decoded d = decodeWith(b, 0);
    EXPECT_EQ(d.threads, std::min(std::max(QThread::idealThreadCount(), 1), 6));
}

TEST(AnigifFastLzw, SmallestCodeSizesWidenLikeOtherDecoders) {
    // Two- and four-colour frames with minimum code sizes 1 and 2. With size 1 the first
    // table entry already needs a wider code: the width grows as soon as a code needs it.
    std::mt19937 rng(40);
    for (int t = 0; t < 24; ++t) {
        const int minCodeSize = 1 + t % 2;
        const int w = 1 + int(rng() % 120), h = 1 + int(rng() % 40);
        std::vector<std::uint8_t> data = randomCodes(rng, minCodeSize, w * h, true);
        const std::vector<std::uint8_t> want = plainDecode(data, minCodeSize, std::size_t(w) * h);
        QByteArray gif("GIF89a", 6);
        auto word = [&](int v) {
            gif.append(char(v & 0xFF));
            gif.append(char(v >> 8));
        };
        word(w);
        word(h);
        gif.append(char(0x80 | (minCodeSize == 1 ? 0 : 1)));
        gif.append(2, '\0');
        for (std::uint32_t c : gifkit::palette(1 << std::max(minCodeSize, 1), 6)) {
            gif.append(char(c >> 16));
            gif.append(char(c >> 8));
            gif.append(char(c));
        }
        gif.append(char(0x2C));
        word(0);
        word(0);
        word(w);
        word(h);
        gif.append('\0');
        gif.append(char(minCodeSize));
        for (std::size_t i = 0; i < data.size(); i += 255) {
            const std::size_t n = std::min<std::size_t>(255, data.size() - i);
            gif.append(char(n));
            gif.append(reinterpret_cast<const char *>(data.data() + i), qsizetype(n));
        }
        gif.append('\0');
        gif.append(char(0x3B));
        // giflib gives up on minimum code size 1; Qt's reader takes it and is the peer there.
        QImage peer;
        if (minCodeSize == 1) {
            peer = QImage::fromData(gif, "GIF").convertToFormat(QImage::Format_ARGB32_Premultiplied);
        } else {
            const gifkit::Reference ref = gifkit::referenceDecode(gif);
            if (!ref.frames.empty() && ref.completeRows[0] == h) peer = ref.frames[0];
        }
        ASSERT_FALSE(peer.isNull()) << t;
        ASSERT_EQ(want.size(), std::size_t(w) * h) << t;
        const auto ours = gifkit::controlFrames(gif);
        ASSERT_EQ(ours.size(), 1u) << t;
        EXPECT_EQ(gifkit::diff(ours[0], peer), "") << "min code size " << minCodeSize << ", stream " << t;
    }
}
