#pragma once

#include "platform/Controls.h"
#include "platform/Picture.h"

#include <QLineEdit>
#include <QSize>

#include <cstdint>

class FormPicture;

// Builds the slide set from the selection: decides which addresses make up
// the set, downloads and decodes each into its slot, appends the own picture
// and the slideshow folder's pictures. Also the loading aids shown meanwhile,
// the loading progress and the opening of the configuration panel.
class SlideSetBuilder {
public:
    // The loading preview Miniatura, in pixels.
    static constexpr QSize kMiniaturaPixels{346, 260};

    explicit SlideSetBuilder(FormPicture &form);

    // Mode 0: from the panel's selection; 1: reload the current set; 2: from
    // the addresses the catalogue server sent. False only when mode 0 finds
    // nothing selected.
    bool BuildSlideSet(int mode);
    void OpenSetupPanel();
    void PrepareWebPage();
    // Counts the builds started; messages told once per build use it.
    std::uint64_t buildNumber() const { return m_generation; }

    // Special sources. A web page ("2", or "3" with the home-town values in
    // its address) is captured into slot k; a numbered series fills slots
    // k, k+1, ... and leaves k on its last slot (on k when it filled none).
    void CaptureWebPageInto(int k, QChar kind);
    void LoadPictureSeries(int &k);

    // Downloads and decodes one picture into slot cnt; a failure leaves a
    // placeholder there.
    void Load_JPG_GIF_PNG_On_Array(const QString &UrlImageToLoad, int cnt);

    // The tick of utilityTmr: start-up logo, start of the run control, and
    // the loading progress while a set loads.
    void utilityTmr_Timer();

    // The pictures the slideshow falls back on.
    const platform::PictureRef &notAvailablePicture() const { return m_notAvailable; }
    const platform::PictureRef &loadErrorPicture() const { return m_loadError; }
    const platform::PictureRef &logoPicture() const { return m_logo; }

    // Loading aids and placeholder holders of the window design.
    platform::Image *Miniatura;
    platform::Vb<QLineEdit> *DownloadPreview;
    platform::Image *PngBuffer;
    platform::Image *ImageNonDisponibile;
    platform::Image *ErrLoadPicture;
    platform::Image *MessaggioAggiornate;

private:
    // Pauses `count` times 10 ms with events processed; false when a newer
    // build has started meanwhile or the program is quitting.
    bool pause(int count, std::uint64_t generation);
    void placePicture(int slot, const platform::PictureRef &picture, bool failed);
    void loadLocalPicture(const QString &path, int slot);
    void showThumbnail(const QImage &thumbnail);

    FormPicture &w;
    platform::PictureRef m_notAvailable;
    platform::PictureRef m_loadError;
    platform::PictureRef m_logo;
    std::uint64_t m_generation = 0;
    // The build that has shown the unsupported-extension message.
    std::uint64_t m_extMessageBuild = ~std::uint64_t{0};
};
