#include "platform/ImageFormats.h"

#include <QImage>
#include <QImageReader>

namespace platform {

QByteArray imageFormatOf(const QByteArray &head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1A\n"))
        return "png";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith("BM"))
        return "bmp";
    return {};
}

void pinImageFormat(QImageReader &reader, const QByteArray &bytes)
{
    const QByteArray format = imageFormatOf(bytes);
    if (format.isEmpty())
        return;
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
}

QPixmap artworkPixmap(const QString &resource)
{
    QImageReader reader(resource, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace platform
