// The parser, the LZW decoder and compressor, and composed frames against giflib.
#include <gtest/gtest.h>

#include <random>

#include <QPainter>

#include "AniGifCore.h"
#include "GifLzw.h"
#include "GifStream.h"
#include "GifTestKit.h"

using namespace anigif;
using gifkit::Animation;
using gifkit::Frame;

namespace {

Animation simple(int frames, int w = 4, int h = 3) {
    Animation a;
    a.screenWidth = w;
    a.screenHeight = h;
    a.globalPalette = gifkit::palette(4);
    for (int i = 0; i < frames; ++i) {
        Frame f;
        f.width = w;
        f.height = h;
        f.pixels.assign(size_t(w) * h, std::uint8_t(i % 4));
        f.delayCs = 10 * (i + 1);
        a.frames.push_back(f);
    }
    return a;
}

int gcePacked(const QByteArray &b) {
    const int at = b.indexOf(QByteArray("\x21\xF9\x04", 3));
    return at < 0 ? -1 : std::uint8_t(b[at + 3]);
}

void expectSameAsReference(const QByteArray &bytes, const std::string &what) {
    const gifkit::Reference ref = gifkit::referenceDecode(bytes);
    int w = 0, h = 0;
    const auto ours = gifkit::controlFrames(bytes, &w, &h);
    ASSERT_FALSE(ref.frames.empty()) << what;
    ASSERT_EQ(ours.size(), ref.frames.size()) << what;
    EXPECT_EQ(w, ref.width) << what;
    EXPECT_EQ(h, ref.height) << what;
    for (size_t i = 0; i < ours.size(); ++i)
        ASSERT_EQ(gifkit::diff(ours[i], ref.frames[i]), "") << what << " frame " << i + 1;
}

} // namespace

TEST(AnigifParser, SignatureAnyCaseAndUnknownVersionRejected) {
    QByteArray b = gifkit::encode(simple(1));
    GifStream s;
    for (const char *sig : {"GIF89a", "gif89a", "GiF87A", "gif87a"}) {
        b.replace(0, 6, sig);
        EXPECT_EQ(parseGif(b, s), 1) << sig;
    }
    b.replace(0, 6, "GIF88a");
    EXPECT_EQ(parseGif(b, s), 0);
    EXPECT_EQ(parseGif(QByteArray(), s), 0);
    EXPECT_EQ(parseGif(QByteArray("GIF89a"), s), 0);
}

TEST(AnigifParser, GraphicControlFieldsDisposalBitsAndFirstFrameRestore) {
    Animation a = simple(3);
    a.frames[0].disposal = 3;  // restore-previous on frame 1 means nothing to restore
    a.frames[1].disposal = 6;  // only two bits are kept
    a.frames[1].transparent = 2;
    a.frames[2].disposal = 3;
    a.frames[2].delayCs = 0;
    a.frames[2].gce = false;
    const QByteArray b = gifkit::encode(a);
    GifStream s;
    ASSERT_EQ(parseGif(b, s), 3);
    EXPECT_EQ(s.frames[0].disposal, 0);
    EXPECT_EQ(s.frames[1].disposal, 2);
    EXPECT_EQ(s.frames[1].hasTransparency, 1);
    EXPECT_EQ(s.frames[1].transIndex, 2);
    EXPECT_EQ(s.frames[0].delayMs, 100);
    EXPECT_EQ(s.frames[1].delayMs, 200);
    EXPECT_EQ(s.frames[2].disposal, 0);  // no extension at all
    EXPECT_EQ(s.frames[2].delayMs, 0);
    EXPECT_EQ(s.frames[2].streamPos, s.blockTable[2].start);
    EXPECT_EQ(std::uint8_t(b[s.frames[1].streamPos]), 0x21);
}

TEST(AnigifParser, NetscapeLoopsIdentifierCaseAndOddBlocks) {
    Animation a = simple(2);
    a.loops = 7;
    QByteArray b = gifkit::encode(a);
    GifStream s;
    ASSERT_EQ(parseGif(b, s), 2);
    EXPECT_EQ(s.loops, 7);

    QByteArray lower = b;
    lower.replace("NETSCAPE2.0", "netscape2.0");
    ASSERT_EQ(parseGif(lower, s), 2);
    EXPECT_EQ(s.loops, 7);

    QByteArray other = b;
    other.replace("NETSCAPE2.0", "XMPDataXMP ");
    ASSERT_EQ(parseGif(other, s), 2);
    EXPECT_EQ(s.loops, 0);

    // First sub-block 4 bytes long instead of 3: skipped, loops stay 0.
    QByteArray odd = b;
    const int at = odd.indexOf("NETSCAPE2.0") + 11;
    odd.insert(at + 4, char(0));
    odd[at] = 4;
    ASSERT_EQ(parseGif(odd, s), 2);
    EXPECT_EQ(s.loops, 0);
}

TEST(AnigifParser, StrayZerosSecondExtensionWinsAndUnknownByteEnds) {
    Animation a = simple(2);
    QByteArray b = gifkit::encode(a);
    GifStream s;
    ASSERT_EQ(parseGif(b, s), 2);
    const int second = s.frames[1].streamPos;
    // Zero bytes and a second graphic control extension before frame 2.
    const QByteArray gce("\x21\xF9\x04\x09\x2A\x00\x03\x00", 8);  // disposal 2, transparent 3, 420 ms
    QByteArray c = b;
    c.insert(second + 8, QByteArray(3, '\0') + gce);
    ASSERT_EQ(parseGif(c, s), 2);
    EXPECT_EQ(s.frames[1].disposal, 2);
    EXPECT_EQ(s.frames[1].delayMs, 420);
    EXPECT_EQ(s.frames[1].transIndex, 3);
    EXPECT_EQ(s.frames[1].streamPos, second + 11);

    QByteArray d = b;
    d.insert(second, '\x42');  // not an introducer: ends the stream like a trailer
    ASSERT_EQ(parseGif(d, s), 1);
}

TEST(AnigifParser, SizeFromFramesAndMissingColourTable) {
    Animation a = simple(1, 5, 6);
    a.screenWidth = 50;
    a.screenHeight = 60;
    a.frames[0].left = 2;
    a.frames[0].top = 1;
    GifStream s;
    ASSERT_EQ(parseGif(gifkit::encode(a), s), 1);
    EXPECT_EQ(s.width, 7);
    EXPECT_EQ(s.height, 7);

    a.screenWidth = 3;  // frames beyond the logical screen
    a.screenHeight = 3;
    ASSERT_EQ(parseGif(gifkit::encode(a), s), 1);
    EXPECT_EQ(s.width, 7);

    Animation none = simple(1);
    none.globalPalette.clear();
    none.frames[0].pixels.assign(12, 0);
    EXPECT_EQ(parseGif(gifkit::encode(none), s), 0);
    none.frames[0].localPalette = gifkit::palette(4, 9);
    ASSERT_EQ(parseGif(gifkit::encode(none), s), 1);
    EXPECT_EQ(s.frames[0].paletteRow, 1);
    EXPECT_EQ(s.colorTables[1][256], 4u);
}

TEST(AnigifParser, TruncatedStreamsKeepCompletedFrames) {
    const QByteArray b = gifkit::encode(simple(3, 20, 20));
    GifStream full;
    ASSERT_EQ(parseGif(b, full), 3);
    for (qsizetype cut = 0; cut < b.size(); ++cut) {
        GifStream s;
        const int n = parseGif(b.left(cut), s);
        int whole = 0;
        for (const BlockEntry &e : full.blockTable)
            if (e.start + e.length <= cut) ++whole;
        // Every frame fully inside survives; a frame whose data is cut may be kept too.
        EXPECT_GE(n, whole) << cut;
        EXPECT_LE(n, std::min(whole + 1, 3)) << cut;
    }
}

TEST(AnigifLzw, RoundTripAgainstOwnDecoderAndGiflib) {
    std::mt19937 rng(5);
    for (int t = 0; t < 40; ++t) {
        const int w = 1 + int(rng() % 300), h = 1 + int(rng() % 200);
        const int colours = 1 + int(rng() % 256);
        std::vector<std::uint8_t> px(size_t(w) * h);
        int run = 0, v = 0;
        for (auto &p : px) {
            if (t % 3 == 0) {
                p = std::uint8_t(rng() % colours);
            } else {
                if (run-- <= 0) {
                    run = int(rng() % (t % 3 == 1 ? 5 : 300));
                    v = int(rng() % colours);
                }
                p = std::uint8_t(v);
            }
        }
        std::vector<std::uint8_t> blocks;
        lzwCompress(px.data(), w, w, h, blocks);
        for (size_t i = 0; i < blocks.size(); i += blocks[i] + 1) ASSERT_LE(blocks[i], 254);
        std::vector<std::uint8_t> data;
        gatherSubBlocks(blocks.data(), blocks.size(), data);
        std::vector<std::uint8_t> out(px.size() + kLzwOutputSlack);
        ASSERT_EQ(lzwDecode(data.data(), data.size(), 8, out.data(), px.size()), px.size());
        ASSERT_TRUE(std::equal(px.begin(), px.end(), out.begin())) << t;
    }
}

TEST(AnigifLzw, InvalidCodesAndShortDataKeepWhatWasDecoded) {
    // 3-bit codes of min size 2: clear(4), 1, then 7 while 6 is the next free code.
    const std::uint32_t bits = 4 | (1 << 3) | (7 << 6) | (1 << 9);
    const std::uint8_t data[] = {std::uint8_t(bits), std::uint8_t(bits >> 8)};
    std::vector<std::uint8_t> out(16 + kLzwOutputSlack, 0xEE);
    EXPECT_EQ(lzwDecode(data, 2, 2, out.data(), 16), 1u);
    EXPECT_EQ(out[0], 1);
    // The code being defined (KwKwK) is valid: clear, 1, 6 -> 1 1 1.
    const std::uint32_t kwk = 4 | (1 << 3) | (6 << 6) | (5 << 9);
    const std::uint8_t data2[] = {std::uint8_t(kwk), std::uint8_t(kwk >> 8)};
    EXPECT_EQ(lzwDecode(data2, 2, 2, out.data(), 16), 3u);
    EXPECT_EQ(out[2], 1);
    // A string code straight after a clear is invalid as well.
    const std::uint8_t bad[] = {std::uint8_t(4 | (6 << 3)), 0};
    EXPECT_EQ(lzwDecode(bad, 2, 2, out.data(), 16), 0u);
    // More pixels than the frame holds are cut at its size.
    std::vector<std::uint8_t> px(100, 3), blocks, joined;
    lzwCompress(px.data(), 100, 100, 1, blocks);
    gatherSubBlocks(blocks.data(), blocks.size(), joined);
    std::vector<std::uint8_t> small(10 + kLzwOutputSlack, 0);
    EXPECT_EQ(lzwDecode(joined.data(), joined.size(), 8, small.data(), 10), 10u);
    EXPECT_EQ(lzwDecode(joined.data(), joined.size(), 0, small.data(), 10), 0u);
    EXPECT_EQ(lzwDecode(joined.data(), joined.size(), 12, small.data(), 10), 0u);
}

TEST(AnigifExport, OnePixelFrameBytes) {
    Animation a = simple(1, 1, 1);
    a.frames[0].pixels = {2};
    AniGifCore core;
    const QByteArray in = gifkit::encode(a);
    ASSERT_EQ(core.parse(in), 1);
    ASSERT_TRUE(core.allocate(true));
    core.decodeFrames(in, 1, 1);
    const QByteArray out = core.exportFrameGif(1);
    ASSERT_EQ(out.size(), 13 + 768 + 11 + 7);
    EXPECT_EQ(out.left(6), "GIF89a");
    EXPECT_EQ(std::uint8_t(out[10]), 0x87);
    // Palette: four colours, the rest zero.
    EXPECT_EQ(std::uint8_t(out[13 + 3 * 2]), std::uint8_t(gifkit::palette(4)[2] >> 16));
    EXPECT_EQ(out.mid(13 + 12, 768 - 12), QByteArray(768 - 12, '\0'));
    EXPECT_EQ(gcePacked(out), -1);
    const QByteArray tail = out.mid(781);
    // Descriptor, min code size 8, one sub-block of 4 bytes: codes 256, 2, 257 in 9 bits.
    const QByteArray want("\x2C\0\0\0\0\x01\0\x01\0\0\x08\x04\x00\x05\x04\x04\0\x3B", 18);
    EXPECT_EQ(tail.toHex().toStdString(), want.toHex().toStdString());
}

TEST(AnigifExport, TransparentFrameAndDecodesBackToSamePixels) {
    std::mt19937 rng(11);
    for (int t = 0; t < 12; ++t) {
        Animation a = gifkit::randomAnimation(rng, 120, 4);
        const QByteArray in = gifkit::encode(a);
        AniGifCore core;
        ASSERT_GT(core.parse(in), 0);
        ASSERT_TRUE(core.allocate(true));
        core.decodeFrames(in, 1, core.frameCount());
        for (int f = 1; f <= core.frameCount(); ++f) {
            const QByteArray out = core.exportFrameGif(f);
            const FrameInfo &fi = core.frame(f);
            if (fi.hasTransparency) {
                const int at = out.indexOf(QByteArray("\x21\xF9\x04", 3));
                ASSERT_EQ(at, 781);
                EXPECT_EQ(std::uint8_t(out[at + 3]), 1);
                EXPECT_EQ(std::uint8_t(out[at + 6]), fi.transIndex);
            } else {
                EXPECT_EQ(gcePacked(out), -1);
            }
            // giflib reads our stream back to the frame's pixels.
            const gifkit::Reference ref = gifkit::referenceDecode(out);
            ASSERT_EQ(ref.frames.size(), 1u);
            ASSERT_EQ(gifkit::diff(ref.frames[0], core.frameImage(f)), "") << t << " frame " << f;
        }
    }
}

// A design-mode strip holds frame 1 only: a larger frame 2 has no pixels there to read,
// and asking for it gives nothing rather than what lies past the strip.
TEST(AnigifExport, FrameOutsideTheStripGivesNothing) {
    Animation a = simple(2, 4, 2);
    a.screenWidth = 30;
    a.screenHeight = 20;
    a.frames[1].width = 30;
    a.frames[1].height = 20;
    a.frames[1].pixels.assign(30 * 20, 3);
    const QByteArray in = gifkit::encode(a);
    AniGifCore core;
    ASSERT_EQ(core.parse(in), 2);
    ASSERT_TRUE(core.allocate(false));
    core.decodeFrames(in, 1, 2);
    ASSERT_EQ(core.strip().size(), QSize(4, 2));
    EXPECT_FALSE(core.frameImage(1).isNull());
    EXPECT_TRUE(core.exportFrameGif(2).isEmpty());
    EXPECT_TRUE(core.frameImage(2).isNull());

    QImage surface(30, 20, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::white);
    QPainter p(&surface);
    RenderParams rp;
    rp.clientWidth = surface.width();
    rp.clientHeight = surface.height();
    core.renderFrame(2, p, rp);
    p.end();
    QImage white(surface.size(), surface.format());
    white.fill(Qt::white);
    EXPECT_EQ(gifkit::diff(surface, white), "");
}

TEST(AnigifCompare, GiflibAndGifsicleStreamsMatchReference) {
    std::mt19937 rng(2024);
    const QList<QStringList> variants = {
        {}, {"-O3"}, {"--interlace"}, {"--colors", "16"}, {"-O2", "--lossy=40"}, {"--careful", "-O1"}};
    for (int t = 0; t < 18; ++t) {
        const Animation a = gifkit::randomAnimation(rng, 90, 5);
        const QByteArray original = gifkit::encode(a);
        expectSameAsReference(original, "giflib #" + std::to_string(t));
        const QStringList &v = variants[t % variants.size()];
        if (v.isEmpty()) continue;
        const QByteArray g = gifkit::gifsicle(original, v);
        ASSERT_FALSE(g.isEmpty()) << v.join(' ').toStdString();
        expectSameAsReference(g, "gifsicle " + v.join(' ').toStdString() + " #" + std::to_string(t));
    }
}

TEST(AnigifCompare, EveryDisposalLocalTablesAndLargeFrames) {
    Animation a;
    a.screenWidth = 300;
    a.screenHeight = 200;
    a.globalPalette = gifkit::palette(256, 3);
    std::mt19937 rng(9);
    for (int d = 0; d < 8; ++d) {
        Frame f;
        f.width = 300 - 30 * d;
        f.height = 200 - 20 * d;
        f.left = 15 * d;
        f.top = 10 * d;
        f.disposal = d % 4;
        f.transparent = d % 2 ? int(rng() % 4) : -1;
        f.interlaced = d % 3 == 0;
        if (d == 5) f.localPalette = gifkit::palette(4, 77);  // 4-colour local table
        const int colours = d == 5 ? 4 : 256;
        f.pixels.resize(size_t(f.width) * f.height);
        for (size_t i = 0; i < f.pixels.size(); ++i)
            f.pixels[i] = std::uint8_t((i / 7 + (rng() % 3)) % colours);
        a.frames.push_back(f);
    }
    expectSameAsReference(gifkit::encode(a), "disposals");
    expectSameAsReference(gifkit::gifsicle(gifkit::encode(a), {"-O3"}), "disposals -O3");

    // The 4-colour frame's indices 0..3 survive decoding.
    const QByteArray b = gifkit::encode(a);
    AniGifCore core;
    ASSERT_EQ(core.parse(b), 8);
    ASSERT_TRUE(core.allocate(true));
    core.decodeFrames(b, 1, 8);
    const Frame &f6 = a.frames[5];
    for (int y = 0; y < f6.height; y += 13)
        for (int x = 0; x < f6.width; x += 7)
            ASSERT_EQ(core.index(6, x, y), f6.pixels[size_t(y) * f6.width + x]);
}

TEST(AnigifCompare, AllRestoreFramesAreDrawnAlone) {
    Animation a = simple(3, 6, 6);
    for (auto &f : a.frames) f.disposal = 2;
    a.frames[1].width = a.frames[1].height = 3;
    a.frames[1].pixels.assign(9, 1);
    a.frames[1].left = 2;
    const QByteArray b = gifkit::encode(a);
    AniGifCore core;
    ASSERT_EQ(core.parse(b), 3);
    ASSERT_TRUE(core.allocate(true));
    EXPECT_FALSE(core.hasCanvas());
    expectSameAsReference(b, "all disposal 2");
}

TEST(AnigifCompare, CutShortStreamsDecodeWhatIsThere) {
    std::mt19937 rng(77);
    Animation a;
    do a = gifkit::randomAnimation(rng, 80, 4);
    while (a.frames.size() < 3 || a.frames[0].pixels.size() < 1000 || a.frames[1].pixels.size() < 1000);
    for (auto &f : a.frames) f.interlaced = false;
    const QByteArray b = gifkit::encode(a);
    int compared = 0, partial = 0;
    for (qsizetype cut = 14; cut < b.size(); cut += std::max<qsizetype>(1, b.size() / 97)) {
        const QByteArray part = b.left(cut);
        const gifkit::Reference ref = gifkit::referenceDecode(part);
        AniGifCore core;
        const int n = core.parse(part);
        if (n == 0 || !core.allocate(true)) continue;
        core.decodeFrames(part, 1, n);
        const auto ours = gifkit::controlFrames(part);
        // Frames giflib delivered whole look the same.
        for (size_t i = 0; i < ref.frames.size() && i < ours.size(); ++i) {
            const Frame &f = a.frames[i];
            if (ref.completeRows[i] == f.height) {
                ++compared;
                ASSERT_EQ(gifkit::diff(ours[i], ref.frames[i]), "") << cut << " frame " << i + 1;
            } else {
                // The rows giflib got before the cut are ours too.
                partial += ref.completeRows[i] > 1;
                for (int y = 0; y + 1 < ref.completeRows[i]; ++y)
                    for (int x = 0; x < f.width; ++x)
                        ASSERT_EQ(core.index(int(i) + 1, x, y), f.pixels[size_t(y) * f.width + x])
                            << cut << " frame " << i + 1 << " row " << y;
            }
        }
    }
    EXPECT_GT(compared, 20);
    EXPECT_GT(partial, 5);
}

TEST(AnigifCompare, RandomBytesNeverCrashAndCapRefusesHugeStrips) {
    std::mt19937 rng(1);
    const QByteArray good = gifkit::encode(gifkit::randomAnimation(rng, 40, 3));
    for (int t = 0; t < 300; ++t) {
        QByteArray b = good;
        for (int k = 0; k < 1 + t % 8; ++k) b[int(rng() % b.size())] = char(rng());
        if (t % 5 == 0) b = b.left(int(rng() % b.size()));
        gifkit::controlFrames(b);
    }
    // Frames whose strip would need 65535 x 65535 bytes: refused, nothing allocated.
    Animation a = simple(2, 2, 2);
    QByteArray b = gifkit::encode(a);
    GifStream s;
    ASSERT_EQ(parseGif(b, s), 2);
    for (const BlockEntry &e : s.blockTable) {
        b[e.start + 5] = b[e.start + 6] = b[e.start + 7] = b[e.start + 8] = char(0xFF);
    }
    AniGifCore core;
    ASSERT_EQ(core.parse(b), 2);
    EXPECT_FALSE(core.allocate(true));
    EXPECT_TRUE(gifkit::controlFrames(b).empty());
}
