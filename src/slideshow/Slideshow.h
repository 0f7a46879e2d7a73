#pragma once

#include "platform/Picture.h"
#include "slideshow/FrameCache.h"
#include "slideshow/SlideLayout.h"

#include <QSize>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

struct AppState;
struct MainLabels;
struct WindowClocks;
class Catalogue;
class ControlBar;
class DiagnosticsSink;
class LoadingAids;
class PictureBox;
class QWidget;
class SettingsFiles;
class SlideSetBuilder;
class ucAniGIF;
class WebCapture;

// What the slideshow asks of the run control and the panel; the main window
// sets them once. Each is a plain call where the slideshow makes it.
struct SlideshowHooks {
    // Ends the program after a fatal condition: nothing more ticks.
    std::function<void()> endProgram;
    // The panel names the display mode now set.
    std::function<void()> showDisplayModeName;
    // The panel marks its slide-time, reload and display-mode fields: the
    // display mode has changed.
    std::function<void()> markTimingFields;
};

// The slideshow: the clock's tick, drawing one slide on one of the three
// surfaces, the display-mode switch and the animated slides.
class Slideshow {
public:
    // Draws on `window`, under the status labels; reloads through the
    // builder and synchronises the catalogue itself.
    Slideshow(QWidget &window, AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
              SlideSetBuilder &slides, Catalogue &catalogue, SettingsFiles &settings, DiagnosticsSink &diagnostics);
    ~Slideshow();

    // Set once, before the first tick.
    SlideshowHooks hooks;

    // Draws the picture as the slide at GLOBAL_IMAGE_CURRENT_POINTER. False,
    // with the previous slide left up, when the picture cannot be drawn.
    bool ShowSlide(const platform::PictureRef &picture);
    // Places the slide on screen again after the window's size changed.
    void followWindowSize();
    void ShowPictureSurface();
    void ShowWebSurface();
    void ShowAnimationSurface();
    // Moves the animation surface out of sight (before a page capture).
    void parkAnimation();

    // The tick of imgClock. A step by key does not count towards the
    // refresh and reload periods; the reload key reloads now.
    // Retry: the run control asks a server that was unavailable again as
    // soon as the schedule allows, without waiting for the slide's time.
    enum class TickBy { Clock, StepKey, ReloadKey, Retry };
    void imgClock_Timer(TickBy by = TickBy::Clock);
    void ClearImageProperties();
    static std::int16_t RandomRefreshMinute();
    // Overwrites the numbered animated-GIF files with the placeholder. False
    // (after the message) when that fails.
    bool ResetAniGifFiles();

    void dyMode_Click();
    void txtDisplay_Change();

    // Where a picture goes in the current display mode, and the pixel size of
    // the frame drawn there; nothing when it cannot be laid out.
    std::optional<slideshow::SlideBox> layoutFor(const platform::Picture &picture, int kind) const;
    static QSize frameSize(const platform::Picture &picture, const slideshow::SlideBox &box, bool stretch);

    // Has the slide the next tick will show decoded while the window is idle,
    // when it was slow to decode before.
    void prepareNextSlide();

    PictureBox *fotoBrowser;
    ucAniGIF *ucAniGIF1;
    std::unique_ptr<LoadingAids> loading;     // what the slide-set builder shows while it loads
    std::unique_ptr<WebCapture> webCapture;   // web pages turned into slides
    FrameCache frames;

private:
    int m_shownKind = 0;
    bool m_logoUp = false;   // the start-up picture stands while no set exists yet
    QImage frameAt(const platform::PictureRef &picture, const slideshow::SlideBox &box, int kind, bool full);
    void place(const platform::PictureRef &picture, const QImage &frame, const slideshow::SlideBox &box,
               int kind, bool full);
    bool fullScreenMode() const;
    void showSetupButton();
    void showLoadingProgress();
    void stopSequence();
    void fitMessageToText();
    void runTimingAndCredit(int p);
    void placeAnimation(int p);
    // The words of slot p's credit line (Splitta5's rule). A line with too
    // many "-" is told once per slide-set build, and on stderr.
    QStringList creditWords(int p, bool report);
    QString creditCaption(int p);

    QWidget &window;
    AppState &state;
    WindowClocks &clocks;
    MainLabels &labels;
    ControlBar &bar;
    SlideSetBuilder &slides;
    Catalogue &catalogue;
    SettingsFiles &settings;
    DiagnosticsSink &diagnostics;
    std::uint64_t m_creditMessageBuild = ~std::uint64_t{0};
    QStringList m_creditLinesLogged;
};
