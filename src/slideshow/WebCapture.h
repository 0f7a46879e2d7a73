#pragma once

#include "acquisition/PageCapture.h"

#include <QImage>
#include <QString>

#include <cstdint>

struct AppState;
struct MainLabels;
struct WindowClocks;
class ControlBar;
class LoadingAids;
class QWidget;
class Slideshow;

// Turns a web page into a picture: shows webPageAddress full screen in the
// browser control webvis with the bar hidden, waits for the page and a few
// seconds more, and writes what the control has drawn to the page bitmap.
class WebCapture {
public:
    // The longest wait for a page to report completion (nominal ms). A page
    // that takes longer is captured as it stands when it has drawn anything
    // (one picture that never finishes), else its slide gets the
    // not-available picture; either way the build goes on. A minute covers slow hosts without stalling a
    // whole slide set on one dead page.
    static constexpr int kPageLoadLimitMs = 60000;

    // TimedOut: no completion and nothing drawn within kPageLoadLimitMs.
    using Outcome = PageCaptureOutcome;

    // Captures in the window's browser control webvis, on the slideshow's web
    // surface; the bar and the loading preview's caption stay out of the page.
    WebCapture(QWidget &window, AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
               Slideshow &show, LoadingAids &loading);
    ~WebCapture();

    Outcome CaptureWebPage();

    // The browser control's page-completion notification for the capture
    // `generation`; a late one of an abandoned page changes nothing.
    void webvis_PageLoaded(std::uint64_t generation, bool ok);
    void Timer4000_Timer();

    void StayOnTop();
    void StopStayOnTop();
    bool isTopMost() const;

    // Writes the browser control's own pixels, at screen size, to the page
    // bitmap, replacing it in one step. Windows of other programs over the
    // screen never get into it. False when nothing could be written.
    bool SaveScreenBitmap();
    QString bitmapPath() const;
    // The browser control's pixels at screen size (null when it has none).
    QImage grabView() const;
    // False for a grab of one flat colour: the page has drawn nothing yet.
    static bool hasDrawn(const QImage &shot);

    std::uint64_t generation() const { return m_generation; }

private:
    bool stillWanted(std::uint64_t generation) const;
    bool waitTimer4000(int ms, std::uint64_t generation);
    bool waitForPage(std::uint64_t generation);
    bool navigate(std::uint64_t generation);
    void releasePage();
    void SetWindowTopMost(bool on);

    QWidget &m_window;
    AppState &state;
    WindowClocks &clocks;
    MainLabels &labels;
    ControlBar &bar;
    Slideshow &m_show;
    LoadingAids &m_loading;
    bool m_pageOpen = false;
    std::uint64_t m_generation = 0;
    bool m_lastLoadOk = true;
};
