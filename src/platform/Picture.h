#pragma once

#include <QImage>
#include <QSize>

#include <memory>

namespace platform {

// A decoded picture and its natural size, as the slideshow draws it. The size
// in HIMETRIC is what layout arithmetic works with; it comes from the pixel
// size at the picture's own resolution (96 DPI when the file names none).
struct Picture {
    QImage image;
    QSize pixels;
    double widthHimetric = 0;
    double heightHimetric = 0;

    bool isNull() const { return image.isNull(); }
};

using PictureRef = std::shared_ptr<const Picture>;

} // namespace platform
