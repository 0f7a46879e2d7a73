#pragma once

#include <QStringList>

#include "acquisition/PageCapture.h"
#include "acquisition/SpecialSources.h"
#include "platform/Picture.h"

#include <QSize>

#include <cstdint>
#include <functional>

struct AppState;
struct WindowClocks;
class Catalogue;
class DiagnosticsSink;
class LoadingView;

// What the slide-set builder asks of the screen it does not draw itself: the
// slideshow, the bar, the status labels, the setup panel and the home-town
// form. Each is a plain call at the point of the build where it happens; the
// main window sets them all once.
struct SlideSetBuilderHooks {
    // Draws the picture as the current slide; false when it cannot be drawn.
    std::function<bool(const platform::PictureRef &)> showSlide;
    // Closes the browser windows that pages opened.
    std::function<void()> closeBrowserWindows;
    // Moves the animation surface out of sight before a page is captured.
    std::function<void()> parkAnimation;
    // Captures webPageAddress into the page bitmap.
    std::function<PageCaptureOutcome()> captureWebPage;

    // The bar while pictures load: the wait button instead of setup.
    std::function<void()> showWaitButton;
    // The credit line and the setup and wait buttons take clicks again.
    std::function<void()> enableRunButtons;
    // The credit line's caption.
    std::function<void(const QString &)> showCredit;
    // The clean-up button goes.
    std::function<void()> hideCleanupButton;
    // The run indicator turns green: the run control has started.
    std::function<void()> showRunning;

    // The status line: shown in front, its caption, a mark added to it, and
    // in front again.
    std::function<void()> showStatusLine;
    std::function<void(const QString &)> setStatusText;
    std::function<void(const QString &)> appendStatusText;
    std::function<void()> raiseStatusLine;

    // The setup panel comes up on its tools tab, in front.
    std::function<void()> showSetupPanel;
    // The slide, the version label and the server's message leave the screen
    // for the panel.
    std::function<void()> clearScreenForPanel;
    // The set made from the panel's selection is ready: the version label and
    // the panel go.
    std::function<void()> closeSetupPanel;

    // The home-town form's values PARAM(0) .. PARAM(13).
    std::function<acquisition::TownParameters()> townParameters;
};

// Builds the slide set from the selection: decides which addresses make up
// the set, downloads and decodes each into its slot, appends the own picture
// and the slideshow folder's pictures. Also the loading progress and the
// opening of the configuration panel.
class SlideSetBuilder {
public:
    // The loading preview Miniatura, in pixels.
    static constexpr QSize kMiniaturaPixels{346, 260};

    SlideSetBuilder(AppState &state, WindowClocks &clocks, Catalogue &catalogue, DiagnosticsSink &diagnostics);

    // Set once, before anything is built.
    SlideSetBuilderHooks hooks;
    void setLoadingView(LoadingView &view) { m_loading = &view; }

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

private:
    // Pauses `count` times 10 ms with events processed; false when a newer
    // build has started meanwhile or the program is quitting.
    bool pause(int count, std::uint64_t generation);
    void placePicture(int slot, const platform::PictureRef &picture, bool failed);
    void loadLocalPicture(const QString &path, int slot);
    void showThumbnail(const QImage &thumbnail);

    AppState &state;
    WindowClocks &clocks;
    Catalogue &catalogue;
    DiagnosticsSink &diagnostics;
    LoadingView *m_loading = nullptr;
    platform::PictureRef m_notAvailable;
    platform::PictureRef m_loadError;
    platform::PictureRef m_logo;
    std::uint64_t m_generation = 0;
    // The build that has shown the unsupported-extension message.
    std::uint64_t m_extMessageBuild = ~std::uint64_t{0};
    // The download files the build under way wrote; the others go at its end.
    QStringList m_downloadsInUse;
    void removeUnusedDownloads();
};
