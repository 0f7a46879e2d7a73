#include "acquisition/PictureLoader.h"

#include "platform/ImageFormats.h"
#include "platform/TextFile.h"
#include "platform/Units.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

namespace acquisition {

namespace {

constexpr double kDefaultDpi = 96.0;
constexpr double kInchesPerMetre = 39.37007874015748;

std::optional<QByteArray> readFile(const QString &path, QString *error)
{
    // Regular files only: the own picture or a folder slide that is a FIFO
    // must not block the window.
    return platform::textfile::readAll(path, error);
}

void prepareReader(QImageReader &reader, const QByteArray &bytes)
{
    reader.setAutoTransform(false);
    platform::pinImageFormat(reader, bytes);
}

QImage flatten(QImage image, const QColor &background)
{
    if (!background.isValid() || !image.hasAlphaChannel())
        return image;
    QImage out(image.size(), QImage::Format_RGB32);
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    out.fill(background);
    QPainter p(&out);
    p.drawImage(0, 0, image);
    return out;
}

// Formats that paint fastest on the screen.
QImage forDisplay(QImage image)
{
    if (image.isNull())
        return image;
    const QImage::Format f = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                     : QImage::Format_RGB32;
    return image.format() == f ? image : image.convertToFormat(f);
}

// Scaling keeps the format it is given, and Qt keeps 1-bit images 1-bit
// (losing their palette to a grey dither) and palette images indexed: every
// picture is turned into 32 bits before it is scaled.
QImage scaledIn32Bits(QImage image, QSize target)
{
    if (image.isNull() || image.size() == target)
        return image;
    return forDisplay(std::move(image)).scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The reader scales while it decodes (a JPEG at an eighth of the work) only
// where its output is 32-bit colour already.
bool readerScalesTrueColour(const QImageReader &reader)
{
    switch (reader.imageFormat()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return true;
    default:
        return false;
    }
}

} // namespace

QImage forDisplayImage(QImage image) { return forDisplay(std::move(image)); }

QSizeF himetricSize(QSize pixels, int dotsPerMeterX, int dotsPerMeterY)
{
    const double dpiX = dotsPerMeterX > 0 ? dotsPerMeterX / kInchesPerMetre : kDefaultDpi;
    const double dpiY = dotsPerMeterY > 0 ? dotsPerMeterY / kInchesPerMetre : kDefaultDpi;
    return {platform::units::pixelsToHimetric(pixels.width(), dpiX),
            platform::units::pixelsToHimetric(pixels.height(), dpiY)};
}

std::optional<LoadedPicture> loadStandardPicture(const QString &path, QSize thumbBox, QString *error)
{
    auto bytes = readFile(path, error);
    if (!bytes)
        return std::nullopt;

    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    prepareReader(reader, *bytes);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty()) {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    }
    // Decoding the thumbnail checks that the data decodes, at a fraction of
    // the cost of a full-size decode; the full frame is made when shown.
    const QSize thumbSize = size.scaled(thumbBox, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const bool readerScales = readerScalesTrueColour(reader);
    if (readerScales)
        reader.setScaledSize(thumbSize);
    QImage thumb = reader.read();
    if (thumb.isNull()) {
        if (error)
            *error = reader.errorString();
        return std::nullopt;
    }
    if (!readerScales)
        thumb = scaledIn32Bits(std::move(thumb), thumbSize);

    auto picture = std::make_shared<platform::Picture>();
    picture->pixels = size;
    // Measured at 96 DPI whatever resolution the file names, as the screen
    // shows pixels 1:1 in normal mode.
    const QSizeF him = himetricSize(size, 0, 0);
    picture->widthHimetric = him.width();
    picture->heightHimetric = him.height();
    picture->encoded = std::move(*bytes);
    return LoadedPicture{std::move(picture), std::move(thumb)};
}

platform::PictureRef compressedPicture(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    prepareReader(reader, bytes);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() || size.isEmpty())
        return nullptr;
    buffer.close();
    auto picture = std::make_shared<platform::Picture>();
    picture->pixels = size;
    const QSizeF him = himetricSize(size, 0, 0);
    picture->widthHimetric = him.width();
    picture->heightHimetric = him.height();
    picture->encoded = std::move(bytes);
    return picture;
}

platform::PictureRef pictureFromImage(const QImage &image)
{
    auto picture = std::make_shared<platform::Picture>();
    picture->image = forDisplay(image);
    picture->pixels = image.size();
    const QSizeF him = himetricSize(image.size(), 0, 0);
    picture->widthHimetric = him.width();
    picture->heightHimetric = him.height();
    return picture;
}

QImage decodeFrame(const platform::Picture &picture, QSize target)
{
    if (target.isEmpty())
        target = picture.pixels;
    if (target.isEmpty())
        return QImage();

    if (picture.encoded.isEmpty()) {
        if (picture.image.isNull())
            return QImage();
        if (picture.image.size() == target)
            return picture.image;
        return forDisplay(scaledIn32Bits(picture.image, target));
    }

    QByteArray bytes = picture.encoded;   // shared, not copied
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    prepareReader(reader, bytes);
    if (target != picture.pixels && readerScalesTrueColour(reader))
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    return forDisplay(scaledIn32Bits(flatten(std::move(image), picture.background), target));
}

} // namespace acquisition

namespace modGDIPlusResize {

long StartGdiPlus() { return 1; }

void StopGdiPlus(long) {}

GdiPlusResult LoadPictureGdiPlus(const QString &FileName, int Width, int Height, QColor BackColor,
                                 bool RetainRatio)
{
    GdiPlusResult result;
    const auto fail = [&] {
        result.error = GdiPlusError{999, QStringLiteral("GDI+ Module"),
                                    QStringLiteral("Error loading picture ") + FileName};
        return result;
    };

    auto read = platform::textfile::readAll(FileName);   // regular files only
    if (!read)
        return fail();
    QByteArray bytes = std::move(*read);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    acquisition::prepareReader(reader, bytes);
    // Drawn scaled onto the background below: in 32 bits, as every picture.
    const QImage image = acquisition::forDisplayImage(reader.read());
    if (image.isNull())
        return fail();

    if (Width == -1 || Height == -1) {
        Width = image.width();
        Height = image.height();
    }

    auto picture = std::make_shared<platform::Picture>();
    picture->pixels = QSize(Width, Height);
    const QSizeF him = acquisition::himetricSize(picture->pixels, 0, 0);
    picture->widthHimetric = him.width();
    picture->heightHimetric = him.height();

    if (QSize(Width, Height) == image.size()) {
        // Copied at its own size onto the background either way: keep the
        // file compressed and flatten it when it is drawn.
        picture->encoded = std::move(bytes);
        picture->background = BackColor;
        result.picture = std::move(picture);
        return result;
    }

    QImage canvas(qMax(1, Width), qMax(1, Height), QImage::Format_RGB32);
    canvas.fill(BackColor);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QRectF target(0, 0, Width, Height);
    if (RetainRatio && image.height() > 0 && Height > 0) {
        const double aspect = static_cast<double>(image.width()) / image.height();
        if (static_cast<double>(Width) / Height >= aspect)
            target.setWidth(Height * aspect);
        else
            target.setHeight(Width / aspect);
    }
    p.drawImage(target, image);
    p.end();
    picture->image = canvas;
    result.picture = std::move(picture);
    return result;
}

} // namespace modGDIPlusResize
