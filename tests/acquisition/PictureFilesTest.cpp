// Naming rules, slide-set planning and picture decoding, without a window.
#include "acquisition/PictureFiles.h"
#include "acquisition/PictureLoader.h"
#include "acquisition/SlideSetPlan.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    EXPECT_EQ(localExtension(".5&z=2"), ".5z2");
    EXPECT_EQ(localExtension(".com/../../etc/passwd"), ".cometcpass");
    EXPECT_EQ(localExtension(".?&="), ".img");
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
