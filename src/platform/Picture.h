#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>

#include <memory>

namespace platform {

// A decoded picture and its natural size, as the slideshow draws it. The size
// in HIMETRIC is what layout arithmetic works with; it comes from the pixel
// size at 96 DPI, so normal mode shows pictures pixel for pixel.
struct Picture {
    QImage image;
    QSize pixels;
    double widthHimetric = 0;
    double heightHimetric = 0;
    // A picture may instead be kept compressed: the file's bytes, decoded only
    // when it is about to be shown, so a large slide set stays small in memory.
    QByteArray encoded;
    // Transparent areas are drawn over this colour when it is valid.
    QColor background;

    bool isNull() const { return image.isNull() && encoded.isEmpty(); }
};

using PictureRef = std::shared_ptr<const Picture>;

} // namespace platform
