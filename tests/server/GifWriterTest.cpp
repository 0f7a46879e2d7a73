// Our GIF writer against Qt's independent GIF reader.

#include "GifWriter.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using cirrolith::demo::encodeGif;
using cirrolith::demo::GifOptions;

namespace {

QList<QImage> decode(const QByteArray &gif, QList<int> *delays = nullptr, int *loops = nullptr)
{
    QBuffer buf;
    buf.setData(gif);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf, "gif");
    QList<QImage> frames;
    for (;;) {
        QImage img = reader.read();
        if (img.isNull())
            break;
        frames.append(img.convertToFormat(QImage::Format_RGB32));
        if (delays)
            delays->append(reader.nextImageDelay());
    }
    if (loops)
        *loops = reader.loopCount();
    return frames;
}

QImage paletteNoise(QSize size, int colours, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            int c = static_cast<int>(rng.bounded(colours));
            img.setPixel(x, y, qRgb(c, 255 - c, (c * 7) & 0xff));
        }
    return img;
}

void expectSame(const QImage &a, const QImage &b, const char *what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.pixel(x, y) | 0xff000000u, b.pixel(x, y) | 0xff000000u) << what << " at " << x << "," << y;
}

} // namespace

TEST(ServerDemoGif, StillPicturesDecodeExactly)
{
    // Sizes and colour counts that reach every code width, the full
    // dictionary and its reset, and the smallest palettes.
    const struct { QSize size; int colours; } cases[] = {
        {{1, 1}, 1}, {{3, 5}, 2}, {{17, 9}, 3}, {{64, 64}, 4}, {{100, 37}, 16},
        {{200, 150}, 256}, {{512, 300}, 256}, {{300, 300}, 2}, {{257, 3}, 129},
    };
    for (const auto &c : cases) {
        QImage img = paletteNoise(c.size, c.colours, static_cast<quint32>(c.size.width() * 31 + c.colours));
        QList<QImage> frames = decode(encodeGif({img}));
        ASSERT_EQ(frames.size(), 1) << c.size.width() << "x" << c.size.height() << " colours " << c.colours;
        expectSame(frames[0], img, "still");
    }
    // Long runs of one colour grow the longest dictionary strings.
    QImage flat(640, 480, QImage::Format_RGB32);
    flat.fill(qRgb(10, 20, 30));
    expectSame(decode(encodeGif({flat}))[0], flat, "flat");
}

TEST(ServerDemoGif, AnimationsKeepFramesTimingAndLoop)
{
    QList<QImage> frames;
    QImage base = paletteNoise({120, 80}, 40, 7);
    for (int i = 0; i < 5; ++i) {
        QImage f = base.copy();
        // Each frame changes a small moving block; frame 3 changes nothing.
        if (i != 3)
            for (int y = 10; y < 30; ++y)
                for (int x = 10 + i * 15; x < 25 + i * 15; ++x)
                    f.setPixel(x, y, qRgb(255, 0, i * 40));
        frames.append(f);
    }
    frames[3] = frames[2];
    QList<int> delays;
    int loops = -2;
    QList<QImage> out = decode(encodeGif(frames, GifOptions{25, 0}), &delays, &loops);
    ASSERT_EQ(out.size(), frames.size());
    for (int i = 0; i < frames.size(); ++i)
        expectSame(out[i], frames[i], "frame");
    EXPECT_EQ(delays.first(), 250);
    EXPECT_EQ(loops, -1);   // Qt's word for "forever"
}

TEST(ServerDemoGif, ManyColoursFallBackToANearbyPalette)
{
    QImage img(256, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            img.setPixel(x, y, qRgb(x, y * 4, 255 - x));
    QImage out = decode(encodeGif({img})).value(0);
    ASSERT_EQ(out.size(), img.size());
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) {
            QRgb a = img.pixel(x, y), b = out.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 26);   // half a step of the coarsest axis
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
