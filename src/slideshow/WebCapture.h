#pragma once

#include "acquisition/PageCapture.h"
#include "slideshow/PageProcess.h"

#include <QString>

#include <cstdint>

struct AppState;
struct MainLabels;
struct WindowClocks;
class ControlBar;
class LoadingAids;
class QWidget;
class Slideshow;

// Turns a web page into a picture: shows webPageAddress full screen with the
// bar hidden, waits for the page and a few seconds more, and writes what the
// page has drawn to the page bitmap. The page is shown and drawn by the page
// helper, a process of its own whose window lies over the slideshow while
// webvis stands in for it in the window.
class WebCapture {
public:
    // The longest wait for a page to report completion (nominal ms). A page
    // that takes longer is captured as it stands when it has drawn anything
    // (one picture that never finishes), else its slide gets the
    // not-available picture; either way the build goes on. A minute covers slow hosts without stalling a
    // whole slide set on one dead page.
    static constexpr int kPageLoadLimitMs = 60000;
    // The longest wait for the helper's answer to a grab, and for it to end
    // when asked (real ms). A helper that takes longer is killed.
    static constexpr int kHelperAnswerMs = 10000;
    static constexpr int kHelperEndMs = 3000;

    // TimedOut: no completion and nothing drawn within kPageLoadLimitMs.
    using Outcome = PageCaptureOutcome;

    // Captures in the window's browser control webvis, on the slideshow's web
    // surface; the bar and the loading preview's caption stay out of the page.
    WebCapture(QWidget &window, AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
               Slideshow &show, LoadingAids &loading);
    ~WebCapture();

    Outcome CaptureWebPage();

    // The page's completion notification for the capture `generation`; a
    // late one of an abandoned page changes nothing.
    void webvis_PageLoaded(std::uint64_t generation, bool ok);
    void Timer4000_Timer();

    // The page window back on top of every other window.
    void StayOnTop();

    // Has the page's own pixels, at screen size, written to the page bitmap,
    // replacing it in one step. Windows of other programs over the screen
    // never get into it. False when nothing could be written; with
    // onlyIfDrawn also when the page has drawn nothing yet.
    bool SaveScreenBitmap(bool onlyIfDrawn = false);
    QString bitmapPath() const;

    std::uint64_t generation() const { return m_generation; }
    // The helper of the capture under way (0 when none runs).
    qint64 helperProcessId() const { return m_page.processId(); }

private:
    bool stillWanted(std::uint64_t generation) const;
    bool waitTimer4000(int ms, std::uint64_t generation);
    bool waitForPage(std::uint64_t generation);
    bool navigate(std::uint64_t generation);
    void releasePage(bool graceful);

    QWidget &m_window;
    AppState &state;
    WindowClocks &clocks;
    MainLabels &labels;
    ControlBar &bar;
    Slideshow &m_show;
    LoadingAids &m_loading;
    PageProcess m_page;
    std::uint64_t m_generation = 0;
    bool m_lastLoadOk = true;
};
