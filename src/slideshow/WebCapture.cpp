#include "slideshow/WebCapture.h"

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"
#include "platform/Transfer.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "slideshow/ControlBar.h"
#include "slideshow/LoadingAids.h"
#include "slideshow/Slideshow.h"
#include "slideshow/BrowserEngine.h"
#include "state/AppState.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <QDeadlineTimer>
#include <QBuffer>
#include <QWindow>

#include <algorithm>

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

bool WebCapture::hasDrawn(const QImage &shot)
{
    // An engine that has painted nothing leaves the view one flat colour.
    if (shot.isNull())
        return false;
    const QImage rgb = shot.convertToFormat(QImage::Format_RGB32);
    const QRgb first = rgb.pixel(0, 0);
    const int stepX = std::max(1, rgb.width() / 64);
    const int stepY = std::max(1, rgb.height() / 64);
    for (int y = 0; y < rgb.height(); y += stepY) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); x += stepX)
            if (line[x] != first)
                return true;
    }
    return false;
}

WebCapture::WebCapture(QWidget &window, AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
                       Slideshow &show, LoadingAids &loading)
    : m_window(window), state(state), clocks(clocks), labels(labels), bar(bar), m_show(show), m_loading(loading)
{
    clocks.Timer4000.setHandler([this] { Timer4000_Timer(); });
}

WebCapture::~WebCapture()
{
    // Pages go before their profile.
    releasePage();
}

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
        if (!stillWanted(generation) || deadline.hasExpired())
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
    releasePage();
    // The engine's library comes with the first page.
    slideshow::BrowserEngine *engine = slideshow::browserEngine();
    if (!engine)
        return false;
    m_pageOpen = true;
    engine->open(labels.webvis, state.webPageAddress, state.browserSilent,
                 [this, generation](bool ok) { webvis_PageLoaded(generation, ok); });
    return true;
}

void WebCapture::releasePage()
{
    // The page's renderer process ends with the page, so between captures
    // the engine holds no page at all.
    if (!m_pageOpen)
        return;
    m_pageOpen = false;
    if (slideshow::BrowserEngine *engine = slideshow::browserEngine())
        engine->close();
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
        if (!waitForPage(generation)) {                                        // 5
            if (!stillWanted(generation))
                return Outcome::GaveUp;
            // One resource that never finishes keeps the page from reporting
            // completion; what it shows by now is the slide.
            if (!hasDrawn(grabView()))
                return Outcome::TimedOut;
            qCInfo(lcDownload).noquote() << "page not complete within" << kPageLoadLimitMs / 1000
                                         << "s, captured as drawn:" << state.webPageAddress.left(200);
            StayOnTop();
            return SaveScreenBitmap() ? Outcome::Captured : Outcome::NotSaved;
        }
        if (!waitTimer4000(4000, generation))                                  // 6
            return Outcome::GaveUp;
        StayOnTop();
        if (!waitTimer4000(1000, generation))
            return Outcome::GaveUp;
        StayOnTop();
        if (!m_lastLoadOk)
            return Outcome::PageFailed;
        return SaveScreenBitmap() ? Outcome::Captured : Outcome::NotSaved;     // 7
    };
    outcome = run();

    // A newer capture has taken the control over and restores it itself.
    if (generation != m_generation)
        return Outcome::GaveUp;
    state.Http2BmpRunning = false;                                             // 8
    StopStayOnTop();
    m_show.ShowPictureSurface();
    bar.Esponi_Barra(labels.whoWeAre, labels.lCountDown);
    m_loading.DownloadPreview->show();
    releasePage();
    return outcome;
}

void WebCapture::SetWindowTopMost(bool on)
{
    // Only the stacking hint changes; position and size stay as they are.
    if (QWindow *window = m_window.windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, on);
    if (on)
        m_window.raise();
}

void WebCapture::StayOnTop() { SetWindowTopMost(true); }

void WebCapture::StopStayOnTop() { SetWindowTopMost(false); }

bool WebCapture::isTopMost() const
{
    const QWindow *window = m_window.windowHandle();
    return window && window->flags().testFlag(Qt::WindowStaysOnTopHint);
}

QImage WebCapture::grabView() const
{
    // At the screen's device pixels: a HiDPI screen's page keeps its detail.
    const QSize size = (QSizeF(screenPixels()) * labels.webvis->devicePixelRatioF()).toSize();
    if (size.isEmpty())
        return {};
    // The control renders itself: whatever lies over it on the screen is not
    // part of its pixels.
    QImage shot = m_pageOpen ? slideshow::browserEngine()->grab() : QImage();
    if (shot.isNull())
        return {};
    shot = shot.convertToFormat(QImage::Format_RGB32);
    if (shot.size() != size)
        shot = shot.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    shot.setDevicePixelRatio(1);
    return shot;
}

bool WebCapture::SaveScreenBitmap()
{
    const QImage shot = grabView();
    if (shot.isNull())
        return false;
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!shot.save(&buffer, "BMP"))
        return false;
    // The checked writer replaces a link at the bitmap, never its target.
    return platform::textfile::writeAtomic(bitmapPath(), bmp);
}
