// Naming rules, slide-set planning and picture decoding, without a window.
#include "acquisition/PictureFiles.h"
#include "acquisition/PictureLoader.h"
#include "acquisition/SlideSetPlan.h"
#include "GifWriter.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace acquisition;

TEST(PictureFiles, ExtensionIsFromTheLastDot)
{
    EXPECT_EQ(addressExtension("http://h.example/sat/europe.jpg"), ".jpg");
    EXPECT_EQ(addressExtension("http://h.example/radar.PNG"), ".PNG");
    EXPECT_FALSE(isPngExtension(addressExtension("http://h.example/radar.PNG")));
    EXPECT_TRUE(isPngExtension(addressExtension("http://h.example/radar.png")));
    EXPECT_EQ(addressExtension("http://h.example/map.php?lat=45.5&z=2"), ".5&z=2");
    EXPECT_EQ(addressExtension("localhost/nodot"), "");
}

TEST(PictureFiles, LocalExtensionCannotLeaveTheWorkFolder)
{
    EXPECT_EQ(localExtension(".jpg"), ".jpg");
    // Cache-busting queries share the file of their picture type.
    EXPECT_EQ(localExtension(".jpg?i=0"), ".jpg");
    EXPECT_EQ(localExtension(".jpg?i=11&X=Inj"), ".jpg");
    EXPECT_EQ(localExtension(".PNG"), ".png");
    EXPECT_EQ(localExtension(".gif?t=1"), ".gif");
    EXPECT_EQ(localExtension(".jpeg"), ".jpg");
    EXPECT_EQ(localExtension(".5&z=2"), ".jpg");
    EXPECT_EQ(localExtension(".com/../../etc/passwd"), ".jpg");
    EXPECT_EQ(localExtension(".?&="), ".jpg");
    for (const QString ext : {".a/b", "./..", ".x\\y", ".\0zz"}) {
        const QString local = localExtension(ext);
        EXPECT_FALSE(local.contains('/') || local.contains('\\') || local.contains(QChar(0)))
            << local.toStdString();
        EXPECT_EQ(local.count('.'), 1);
    }
    EXPECT_EQ(aniGifCopyPath("/w/Cirrolith4_Img", "_ANIGIF_", 3), "/w/Cirrolith4_Img_ANIGIF_3.gif");
}

TEST(PictureFiles, FolderTakesNineJpgNamesInListingOrder)
{
    QStringList listing;
    for (int i = 1; i <= 11; ++i)
        listing << QStringLiteral("pic%1.%2").arg(i, 2, 10, QChar('0')).arg(i % 2 ? "jpg" : "JPG");
    listing.insert(2, "holiday.jpeg");
    listing.insert(4, "notes.txt");
    listing.insert(5, "mixed.Jpg");
    const QStringList taken = folderSlideNames(listing);
    ASSERT_EQ(taken.size(), 9);
    EXPECT_EQ(taken.first(), "pic01.jpg");
    EXPECT_EQ(taken.last(), "pic09.jpg");
    EXPECT_FALSE(taken.contains("holiday.jpeg"));
    EXPECT_FALSE(taken.contains("mixed.Jpg"));
}

TEST(PictureFiles, CaptionsAndMessagesByLanguage)
{
    EXPECT_EQ(loadingCaption(1, 3, 12), "Loading Pictures from WEB... 3 of 12");
    EXPECT_EQ(loadingCaption(2, 0, 4), "Caricamento immagini dal WEB... 0 di 4");
    EXPECT_EQ(loadingCaption(3, 1, 2), QString::fromUtf8("Téléchargement des images à partir du web... 1 du 2"));
    EXPECT_EQ(loadingCaption(4, 5, 5), "Carga imagina del WEB... 5 de 5");
    EXPECT_FALSE(loadingCaption(999, 1, 2));
    EXPECT_EQ(nothingSelectedMessage(1), "Error: you have to check at least one Image from list!");
    EXPECT_FALSE(nothingSelectedMessage(999));
    EXPECT_EQ(refreshStamp(QDateTime(QDate(2025, 3, 7), QTime(21, 5, 9))), " - RFRS:03-07-2025 21:05:09");
}

TEST(SlideSetPlan, SameSelectionTwiceIsNoChange)
{
    CatalogueList<QString> urls;
    urls[0] = "http://a/0.jpg";
    urls[1] = "http://a/1.jpg";
    urls[2] = "4ttp://a/2.gif";
    CatalogueList<QString> previous;

    const auto set = setFromSelection(urls, {0, 2});
    EXPECT_EQ(set[0], "http://a/0.jpg");
    EXPECT_EQ(set[1], "4ttp://a/2.gif");
    EXPECT_EQ(set[2], "");
    EXPECT_TRUE(adoptIfChanged(set, previous, 3));
    EXPECT_EQ(previous[1], "4ttp://a/2.gif");
    EXPECT_FALSE(adoptIfChanged(setFromSelection(urls, {0, 2}), previous, 3));
    // A different selection of the same size is a change.
    EXPECT_TRUE(adoptIfChanged(setFromSelection(urls, {1, 2}), previous, 3));
    EXPECT_EQ(leadingEntries(previous), 2);

    const auto fromServer = setFromCatalogue(urls);
    EXPECT_EQ(leadingEntries(fromServer), 3);
}

namespace {

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString writeTemp(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(PictureLoader, DecodesByContentAndKeepsTheFileCompressed)
{
    QTemporaryDir dir;
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    image.setDotsPerMeterX(11811);   // 300 DPI: ignored, pixels count at 96 DPI
    image.setDotsPerMeterY(11811);
    // A PNG under a ".jpg" name: the content decides.
    const QByteArray png = encode(image, "PNG");
    const auto loaded = loadStandardPicture(writeTemp(dir, "x.jpg", png), QSize(100, 100));
    ASSERT_TRUE(loaded);
    const platform::Picture &p = *loaded->picture;
    EXPECT_EQ(p.pixels, QSize(640, 480));
    EXPECT_TRUE(p.image.isNull());
    EXPECT_EQ(p.encoded, png);
    EXPECT_NEAR(p.widthHimetric, 640 * 2540.0 / 96, 1.0);
    EXPECT_LE(loaded->thumbnail.width(), 100);

    const QImage frame = decodeFrame(p, QSize(320, 240));
    ASSERT_EQ(frame.size(), QSize(320, 240));
    EXPECT_EQ(QColor(frame.pixel(100, 100)), QColor(10, 120, 200));

    EXPECT_FALSE(loadStandardPicture(writeTemp(dir, "bad.jpg", "not a picture at all"), QSize(100, 100)));
    EXPECT_FALSE(loadStandardPicture(dir.filePath("missing.jpg"), QSize(100, 100)));
}

TEST(PictureLoader, GdiPlusPathFlattensOntoTheBackgroundAndReportsErrors)
{
    QTemporaryDir dir;
    QImage image(40, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int x = 0; x < 10; ++x)
        image.setPixel(x, 5, qRgba(255, 0, 0, 255));
    const QString path = writeTemp(dir, "t.png", encode(image, "PNG"));

    auto r = modGDIPlusResize::LoadPictureGdiPlus(path, -1, -1, QColor(255, 255, 255), false);
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.picture->pixels, QSize(40, 20));
    const QImage frame = decodeFrame(*r.picture);
    EXPECT_EQ(QColor(frame.pixel(20, 15)), QColor(Qt::white));
    EXPECT_EQ(QColor(frame.pixel(3, 5)), QColor(Qt::red));

    // A wider target with the ratio kept: the image is drawn Height high,
    // anchored top-left, and the rest stays background.
    r = modGDIPlusResize::LoadPictureGdiPlus(path, 100, 20, QColor(0, 0, 255), true);
    ASSERT_FALSE(r.error);
    const QImage kept = decodeFrame(*r.picture);
    EXPECT_EQ(kept.size(), QSize(100, 20));
    EXPECT_EQ(QColor(kept.pixel(60, 10)), QColor(Qt::blue));
    EXPECT_EQ(QColor(kept.pixel(3, 5)), QColor(Qt::red));

    const QString bad = writeTemp(dir, "bad.png", "garbage");
    r = modGDIPlusResize::LoadPictureGdiPlus(bad, -1, -1, QColor(255, 255, 255), false);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->number, 999);
    EXPECT_EQ(r.error->source, "GDI+ Module");
    EXPECT_EQ(r.error->description, "Error loading picture " + bad);
    EXPECT_FALSE(r.picture);
}

namespace {

// A PNG written by hand, for the bit depths Qt does not write: colour type
// 0 (grey), 2 (RGB) or 3 (palette) at 1, 2, 4, 8 or 16 bits. sample(x, y,
// channel) gives each sample at that depth.
QByteArray handMadePng(int width, int height, int colourType, int depth, const QList<QRgb> &palette,
                       const std::function<int(int, int, int)> &sample)
{
    const auto be32 = [](QByteArray &out, quint32 v) {
        for (int s = 24; s >= 0; s -= 8)
            out.append(char((v >> s) & 0xFF));
    };
    const auto crc = [](const QByteArray &bytes) {
        quint32 c = 0xFFFFFFFFu;
        for (unsigned char b : bytes) {
            c ^= b;
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c ^ 0xFFFFFFFFu;
    };
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    const auto chunk = [&](const char *type, const QByteArray &data) {
        be32(png, quint32(data.size()));
        const QByteArray body = QByteArray(type) + data;
        png += body;
        be32(png, crc(body));
    };
    QByteArray ihdr;
    be32(ihdr, quint32(width));
    be32(ihdr, quint32(height));
    ihdr += char(depth);
    ihdr += char(colourType);
    ihdr += QByteArray(3, '\0');
    chunk("IHDR", ihdr);
    if (colourType == 3) {
        QByteArray plte;
        for (QRgb c : palette)
            plte += char(qRed(c)), plte += char(qGreen(c)), plte += char(qBlue(c));
        chunk("PLTE", plte);
    }
    const int channels = colourType == 2 ? 3 : 1;
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';   // no filter
        quint32 bits = 0;
        int used = 0;
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c) {
                const int v = sample(x, y, c);
                if (depth == 16) {
                    raw += char(v >> 8);
                    raw += char(v & 0xFF);
                    continue;
                }
                bits = (bits << depth) | quint32(v);
                used += depth;
                if (used == 8) {
                    raw += char(bits);
                    bits = 0;
                    used = 0;
                }
            }
        }
        if (used > 0)
            raw += char(bits << (8 - used));
    }
    chunk("IDAT", qCompress(raw).mid(4));   // qCompress puts the length first
    chunk("IEND", {});
    return png;
}

// Colours of the bands' middles, a band being a ninth of the width.
QList<QColor> bandColours(const QImage &frame)
{
    QList<QColor> out;
    for (int band = 0; band < 9; ++band)
        out << QColor(frame.pixel((2 * band + 1) * frame.width() / 18, frame.height() / 2));
    return out;
}

} // namespace

// Palette pictures of every depth (two-colour warning maps come 1-bit from
// optimisers), grey and 16-bit ones, PNG and GIF: scaled up or down, as
// full screen and the thumbnails do, each keeps its own colours.
TEST(PictureLoader, EveryPictureKeepsItsColoursWhenScaled)
{
    QTemporaryDir dir;
    const QList<QRgb> colours = {qRgb(220, 20, 30), qRgb(20, 40, 200), qRgb(250, 230, 10), qRgb(0, 160, 60),
                                 qRgb(120, 0, 140), qRgb(255, 255, 255), qRgb(10, 10, 10), qRgb(0, 200, 220),
                                 qRgb(240, 120, 0)};
    constexpr int kW = 540, kH = 360;   // nine bands of 60 pixels
    const auto bandOf = [](int x) { return x * 9 / kW; };

    struct Case {
        QString name;
        QByteArray bytes;
    };
    QList<Case> cases;
    for (int depth : {1, 2, 4, 8}) {
        const int n = std::min(1 << depth, 9);
        QList<QRgb> palette = colours.mid(0, n);
        // The first colour alone: one red picture, as in the warning maps.
        cases.push_back({QStringLiteral("one-colour %1-bit palette PNG").arg(depth),
                         handMadePng(kW, kH, 3, depth, palette, [](int, int, int) { return 0; })});
        cases.push_back({QStringLiteral("%1-bit palette PNG").arg(depth),
                         handMadePng(kW, kH, 3, depth, palette,
                                     [&](int x, int, int) { return bandOf(x) % n; })});
        QImage gif(kW, kH, QImage::Format_Indexed8);
        gif.setColorTable(palette.toVector());
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                gif.setPixel(x, y, uint(bandOf(x) % n));
        cases.push_back({QStringLiteral("%1-colour GIF").arg(n), cirrolith::demo::encodeGif({gif})});
    }
    cases.push_back({QStringLiteral("8-bit grey PNG"),
                     handMadePng(kW, kH, 0, 8, {}, [&](int x, int, int) { return 20 + 25 * bandOf(x); })});
    cases.push_back({QStringLiteral("1-bit grey PNG"),
                     handMadePng(kW, kH, 0, 1, {}, [&](int x, int, int) { return bandOf(x) % 2; })});
    cases.push_back({QStringLiteral("16-bit RGB PNG"),
                     handMadePng(kW, kH, 2, 16, {}, [&](int x, int, int c) {
                         const QRgb rgb = colours[bandOf(x)];
                         return (c == 0 ? qRed(rgb) : c == 1 ? qGreen(rgb) : qBlue(rgb)) * 257;
                     })});
    cases.push_back({QStringLiteral("16-bit grey PNG"),
                     handMadePng(kW, kH, 0, 16, {}, [&](int x, int, int) { return (20 + 25 * bandOf(x)) * 257; })});

    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QString path = writeTemp(dir, QStringLiteral("p.png"), c.bytes);
        const auto loaded = loadStandardPicture(path, QSize(90, 60));
        ASSERT_TRUE(loaded);
        const platform::Picture &p = *loaded->picture;
        ASSERT_EQ(p.pixels, QSize(kW, kH));
        const QList<QColor> natural = bandColours(decodeFrame(p, p.pixels));
        for (const QSize &size : {QSize(1920, 1280), QSize(135, 90), QSize(kW + 1, kH - 1)}) {
            const QImage frame = decodeFrame(p, size);
            ASSERT_EQ(frame.size(), size);
            EXPECT_TRUE(frame.format() == QImage::Format_RGB32 ||
                        frame.format() == QImage::Format_ARGB32_Premultiplied)
                << frame.format();
            const QList<QColor> scaled = bandColours(frame);
            for (int band = 0; band < 9; ++band) {
                const QColor a = natural[band], b = scaled[band];
                EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                              std::abs(a.blue() - b.blue()),
                          6)
                    << "band " << band << " at " << size.width() << "x" << size.height() << ": "
                    << a.name().toStdString() << " drawn as " << b.name().toStdString();
            }
        }
        // The thumbnail of the selection too.
        const QList<QColor> thumb = bandColours(loaded->thumbnail);
        for (int band = 0; band < 9; ++band)
            EXPECT_LE(std::abs(natural[band].red() - thumb[band].red()) +
                          std::abs(natural[band].green() - thumb[band].green()) +
                          std::abs(natural[band].blue() - thumb[band].blue()),
                      6)
                << "thumbnail band " << band;
    }
}
