#include "slideshow/WebCapture.h"

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/Transfer.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "slideshow/ControlBar.h"
#include "slideshow/LoadingAids.h"
#include "slideshow/Slideshow.h"
#include "state/AppState.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <QDeadlineTimer>
#include <QScreen>
#include <QWidget>

using platform::EventPump;

namespace {

// Checked this often while a wait runs; other timers tick in between.
constexpr int kWaitStepMs = 10;

QSize screenPixels()
{
    using platform::Screen;
    return {static_cast<int>(platform::units::roundHalfEven(Screen::widthTwips() / Screen::twipsPerPixelX())),
            static_cast<int>(platform::units::roundHalfEven(Screen::heightTwips() / Screen::twipsPerPixelY()))};
}

} // namespace

WebCapture::WebCapture(QWidget &window, AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
                       Slideshow &show, LoadingAids &loading)
    : m_window(window), state(state), clocks(clocks), labels(labels), bar(bar), m_show(show), m_loading(loading)
{
    clocks.Timer4000.setHandler([this] { Timer4000_Timer(); });
}

WebCapture::~WebCapture() { releasePage(false); }

QString WebCapture::bitmapPath() const { return pageBitmapPath(state.pictureFileStem); }

bool WebCapture::stillWanted(std::uint64_t generation) const
{
    return generation == m_generation && !EventPump::quitRequested() && !state.ExitToProgram;
}

void WebCapture::Timer4000_Timer() { clocks.Timer4000.setEnabled(false); }

bool WebCapture::waitTimer4000(int ms, std::uint64_t generation)
{
    clocks.Timer4000.setInterval(ms);
    clocks.Timer4000.setEnabled(true);
    // The timer ends the wait; the deadline only guards against a timer
    // that cannot tick (held before the window is on screen).
    const QDeadlineTimer guard(2LL * platform::Clock::toReal(ms) + 2000);
    while (clocks.Timer4000.Enabled() && !guard.hasExpired()) {
        if (!stillWanted(generation)) {
            if (generation == m_generation)
                clocks.Timer4000.setEnabled(false);
            return false;
        }
        EventPump::Sleep(kWaitStepMs);
    }
    clocks.Timer4000.setEnabled(false);
    return stillWanted(generation);
}

bool WebCapture::waitForPage(std::uint64_t generation)
{
    const QDeadlineTimer deadline(platform::Clock::toReal(kPageLoadLimitMs));
    while (!state.WebPageToImgEnd) {
        // A helper that has died reports nothing more.
        if (!stillWanted(generation) || deadline.hasExpired() || !m_page.running())
            return false;
        EventPump::Sleep(kWaitStepMs);
    }
    return true;
}

void WebCapture::webvis_PageLoaded(std::uint64_t generation, bool ok)
{
    if (generation != m_generation || !state.Http2BmpRunning)
        return;
    // A page that moves on (a redirect by script) reports again; the last
    // report counts.
    m_lastLoadOk = ok;
    state.WebPageToImgEnd = true;
}

bool WebCapture::navigate(std::uint64_t generation)
{
    releasePage(false);
    const QScreen *screen = m_window.screen();
    const QRect geometry = screen ? screen->geometry() : m_window.geometry();
    // At the screen's device pixels: a HiDPI screen's page keeps its detail.
    const QSize grabSize = (QSizeF(screenPixels()) * m_window.devicePixelRatioF()).toSize();
    return m_page.start(state.webPageAddress, bitmapPath(), geometry, grabSize, state.browserSilent,
                        [this, generation](bool ok) { webvis_PageLoaded(generation, ok); });
}

void WebCapture::releasePage(bool graceful)
{
    // The helper ends with its capture, and the engine with it.
    if (!graceful || !m_page.running()) {
        m_page.kill();
        return;
    }
    m_page.finish();
    const QDeadlineTimer deadline(kHelperEndMs);
    while (m_page.running() && !deadline.hasExpired() && !EventPump::quitRequested())
        EventPump::Sleep(kWaitStepMs);
    m_page.kill();
}

WebCapture::Outcome WebCapture::CaptureWebPage()
{
    const std::uint64_t generation = ++m_generation;
    if (EventPump::quitRequested() || state.ExitToProgram)
        return Outcome::GaveUp;
    if (!platform::isWebAddress(state.webPageAddress)) {
        // A page address from the catalogue that is no web address would
        // show the user's own files.
        qCWarning(lcDownload).noquote() << "page address refused, not http or https:"
                                        << state.webPageAddress.left(200);
        return Outcome::PageFailed;
    }

    m_loading.DownloadPreview->hide();                                         // 1
    state.WebPageToImgEnd = false;
    state.Http2BmpRunning = true;
    m_lastLoadOk = true;

    if (!navigate(generation)) {                                               // 2
        state.Http2BmpRunning = false;
        m_loading.DownloadPreview->show();
        return Outcome::PageFailed;
    }
    labels.webvis->Move(0, 0, static_cast<float>(platform::Screen::widthTwips()),
                   static_cast<float>(platform::Screen::heightTwips()));

    Outcome outcome = Outcome::Captured;
    const auto run = [&]() -> Outcome {
        if (!waitTimer4000(2000, generation))                                  // 3
            return Outcome::GaveUp;
        m_show.ShowWebSurface();                                               // 4
        bar.Nascondi_Barra(labels.whoWeAre, labels.lCountDown);
        m_page.show();
        if (!waitForPage(generation)) {                                        // 5
            if (!stillWanted(generation))
                return Outcome::GaveUp;
            if (!m_page.running()) {
                qCWarning(lcDownload).noquote() << "the page helper ended before the page did:"
                                                << state.webPageAddress.left(200);
                return Outcome::PageFailed;
            }
            // One resource that never finishes keeps the page from reporting
            // completion; what it shows by now is the slide.
            StayOnTop();
            if (!SaveScreenBitmap(true))
                return stillWanted(generation) ? Outcome::TimedOut : Outcome::GaveUp;
            qCInfo(lcDownload).noquote() << "page not complete within" << kPageLoadLimitMs / 1000
                                         << "s, captured as drawn:" << state.webPageAddress.left(200);
            return Outcome::Captured;
        }
        if (!waitTimer4000(4000, generation))                                  // 6
            return Outcome::GaveUp;
        StayOnTop();
        if (!waitTimer4000(1000, generation))
            return Outcome::GaveUp;
        StayOnTop();
        if (!m_lastLoadOk)
            return Outcome::PageFailed;
        if (!SaveScreenBitmap())                                               // 7
            return stillWanted(generation) ? Outcome::NotSaved : Outcome::GaveUp;
        return Outcome::Captured;
    };
    outcome = run();

    // A newer capture has taken the page over and restores the window itself.
    if (generation != m_generation)
        return Outcome::GaveUp;
    state.Http2BmpRunning = false;                                             // 8
    m_show.ShowPictureSurface();
    bar.Esponi_Barra(labels.whoWeAre, labels.lCountDown);
    m_loading.DownloadPreview->show();
    // Quitting ends the helper at once; else it ends its engine itself.
    releasePage(outcome != Outcome::GaveUp);
    return outcome;
}

void WebCapture::StayOnTop() { m_page.raise(); }

bool WebCapture::SaveScreenBitmap(bool onlyIfDrawn)
{
    // The helper grabs what its view renders, not the screen, and writes
    // the bitmap itself.
    m_page.requestGrab(onlyIfDrawn);
    const QDeadlineTimer deadline(kHelperAnswerMs);
    while (m_page.grab() == PageProcess::Grab::Pending) {
        if (!stillWanted(m_generation))
            return false;
        if (!m_page.running() || deadline.hasExpired()) {
            qCWarning(lcDownload).noquote() << "the page helper did not answer, ended:"
                                            << state.webPageAddress.left(200);
            m_page.kill();
            return false;
        }
        EventPump::Sleep(kWaitStepMs);
    }
    return m_page.grab() == PageProcess::Grab::Saved;
}
