#include "slideshow/LoadingAids.h"

#include "platform/ImageFormats.h"
#include "platform/Screen.h"

#include <QImage>
#include <QPixmap>

namespace {

constexpr float kMiniaturaWidth = 5190, kMiniaturaHeight = 3900;

platform::Image *holder(const QString &name, QWidget *parent, const char *resource)
{
    auto *w = new platform::Image(name, parent);
    if (resource)
        w->setPixmap(platform::artworkPixmap(QString::fromLatin1(resource)));
    w->setScaledContents(true);
    w->hide();
    return w;
}

} // namespace

LoadingAids::LoadingAids(QWidget *window)
{
    Miniatura = holder(QStringLiteral("Miniatura"), window, ":/art/download.png");
    Miniatura->Move(0, 0, kMiniaturaWidth, kMiniaturaHeight);
    DownloadPreview = new platform::Vb<QLineEdit>(QStringLiteral("DownloadPreview"), window);
    DownloadPreview->setText(QStringLiteral("Download In Progress:  Preview"));
    DownloadPreview->setReadOnly(true);
    DownloadPreview->Move(0, 3900, kMiniaturaWidth, 315);
    DownloadPreview->hide();
    PngBuffer = holder(QStringLiteral("PngBuffer"), window, ":/art/download.png");
    // The placeholders are drawn by the slide set builder from their file
    // bytes; these two controls never show, so they hold no decoded copy.
    ImageNonDisponibile = holder(QStringLiteral("ImageNonDisponibile"), window, nullptr);
    ErrLoadPicture = holder(QStringLiteral("ErrLoadPicture"), window, nullptr);
    MessaggioAggiornate = holder(QStringLiteral("MessaggioAggiornate"), window, ":/art/update.png");
}

void LoadingAids::showPreview()
{
    Miniatura->Move(0, 0);
    Miniatura->show();
    Miniatura->raise();
    DownloadPreview->Move(0, 3900);
    DownloadPreview->show();
    DownloadPreview->raise();
    PngBuffer->Move(0, 5000);
    PngBuffer->hide();
}

void LoadingAids::showThumbnail(const QImage &thumbnail) { Miniatura->setPixmap(QPixmap::fromImage(thumbnail)); }

void LoadingAids::clearBuffer() { PngBuffer->clear(); }

void LoadingAids::hidePreview()
{
    Miniatura->hide();
    DownloadPreview->hide();
}

void LoadingAids::showUpdateNotice()
{
    // Auto-size: the notice takes its picture's size.
    const QSize notice = MessaggioAggiornate->pixmap().size();
    const double tpp = platform::Screen::twipsPerPixelX();
    MessaggioAggiornate->Move(3000, 2000, static_cast<float>(notice.width() * tpp),
                              static_cast<float>(notice.height() * tpp));
    MessaggioAggiornate->show();
    MessaggioAggiornate->raise();
}

void LoadingAids::hideUpdateNotice() { MessaggioAggiornate->hide(); }
