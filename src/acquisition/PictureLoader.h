#pragma once

#include "platform/Picture.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// Turning picture files into pictures, and pictures into the frames drawn on
// screen. Formats are recognised by content, never by the file's extension.
namespace acquisition {

struct LoadedPicture {
    platform::PictureRef picture;
    QImage thumbnail;   // for the loading preview; at most thumbBox
};

// The standard picture loader: every format Qt reads (JPEG, PNG, GIF's first
// frame, BMP, ...). The picture keeps the file's bytes; it is decoded at full
// size only when drawn. Nothing when the file cannot be decoded.
std::optional<LoadedPicture> loadStandardPicture(const QString &path, QSize thumbBox,
                                                 QString *error = nullptr);

// A picture held decoded; sized at 96 DPI.
platform::PictureRef pictureFromImage(const QImage &image);

// A picture kept as the given file bytes (artwork, placeholders), decoded
// only when drawn; sized at 96 DPI. Null when the bytes are no picture.
platform::PictureRef compressedPicture(QByteArray bytes);

// The picture's frame at the given pixel size (its own size when target is
// empty), decoded and scaled in one pass. Null when it cannot be decoded.
QImage decodeFrame(const platform::Picture &picture, QSize target = QSize());

// In the 32-bit format that paints fastest (with alpha where it has one).
QImage forDisplayImage(QImage image);

// HIMETRIC size of a pixel size at a resolution in dots per metre (0: 96 DPI).
QSizeF himetricSize(QSize pixels, int dotsPerMeterX, int dotsPerMeterY);

} // namespace acquisition

// The resize routines that load PNG pictures onto a solid background.
namespace modGDIPlusResize {

// Nothing needs starting here; the token keeps the callers' bracket visible.
long StartGdiPlus();
void StopGdiPlus(long token);

struct GdiPlusError {
    int number = 999;
    QString source;
    QString description;
};

struct GdiPlusResult {
    platform::PictureRef picture;        // set on success
    std::optional<GdiPlusError> error;   // set on failure
};

// Width/Height -1: the image's own size. RetainRatio keeps the aspect ratio,
// anchored at the top-left corner; otherwise the image is stretched. The
// background fills everything the image does not cover, and shows through its
// transparent areas.
GdiPlusResult LoadPictureGdiPlus(const QString &FileName, int Width, int Height, QColor BackColor,
                                 bool RetainRatio);

} // namespace modGDIPlusResize
