#pragma once

#include "acquisition/LoadingView.h"
#include "platform/Controls.h"

#include <QLineEdit>

class QWidget;

// The loading aids of the window design: the preview Miniatura with its
// caption, the PNG buffer, the updated notice and the hidden holders of the
// placeholder pictures. All start hidden.
class LoadingAids : public LoadingView {
public:
    explicit LoadingAids(QWidget *window);

    void showPreview() override;
    void showThumbnail(const QImage &thumbnail) override;
    void clearBuffer() override;
    void hidePreview() override;
    void showUpdateNotice() override;
    void hideUpdateNotice() override;

    platform::Image *Miniatura;
    platform::Vb<QLineEdit> *DownloadPreview;
    platform::Image *PngBuffer;
    platform::Image *ImageNonDisponibile;
    platform::Image *ErrLoadPicture;
    platform::Image *MessaggioAggiornate;
};
