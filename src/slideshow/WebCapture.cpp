#include "slideshow/WebCapture.h"

#include "core/FormPicture.h"
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
#include "slideshow/WebSurface.h"

#include <QDeadlineTimer>
#include <QBuffer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include <algorithm>

#include <malloc.h>

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

WebCapture::WebCapture(FormPicture &form, LoadingAids &loading) : w(form), m_loading(loading)
{
    w.Timer4000.setHandler([this] { Timer4000_Timer(); });
}

WebCapture::~WebCapture()
{
    // Pages go before their profile.
    releasePage();
}

QString WebCapture::bitmapPath() const { return pageBitmapPath(w.pictureFileStem); }

bool WebCapture::stillWanted(std::uint64_t generation) const
{
    return generation == m_generation && !EventPump::quitRequested() && !w.ExitToProgram;
}

void WebCapture::Timer4000_Timer() { w.Timer4000.setEnabled(false); }

bool WebCapture::waitTimer4000(int ms, std::uint64_t generation)
{
    w.Timer4000.setInterval(ms);
    w.Timer4000.setEnabled(true);
    // The timer ends the wait; the deadline only guards against a timer
    // that cannot tick (held before the window is on screen).
    const QDeadlineTimer guard(2LL * platform::Clock::toReal(ms) + 2000);
    while (w.Timer4000.Enabled() && !guard.hasExpired()) {
        if (!stillWanted(generation)) {
            if (generation == m_generation)
                w.Timer4000.setEnabled(false);
            return false;
        }
        EventPump::Sleep(kWaitStepMs);
    }
    w.Timer4000.setEnabled(false);
    return stillWanted(generation);
}

bool WebCapture::waitForPage(std::uint64_t generation)
{
    const QDeadlineTimer deadline(platform::Clock::toReal(kPageLoadLimitMs));
    while (!w.WebPageToImgEnd) {
        if (!stillWanted(generation) || deadline.hasExpired())
            return false;
        EventPump::Sleep(kWaitStepMs);
    }
    return true;
}

void WebCapture::webvis_PageLoaded(std::uint64_t generation, bool ok)
{
    if (generation != m_generation || !w.Http2BmpRunning)
        return;
    // A page that moves on (a redirect by script) reports again; the last
    // report counts.
    m_lastLoadOk = ok;
    w.WebPageToImgEnd = true;
}

void WebCapture::navigate(std::uint64_t generation)
{
    releasePage();
    if (!m_profile) {
        // A profile of our own, in memory only: nothing of the pages is kept
        // on disk, and every capture fetches the page afresh.
        m_profile = std::make_unique<QWebEngineProfile>();
        m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
        m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        // The page's icon never shows; do not fetch it.
        m_profile->settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    }
    m_page = new slideshow::SilentPage(m_profile.get(), w.browserSilent, w.webvis);
    QObject::connect(m_page, &QWebEnginePage::loadFinished, w.webvis,
                     [this, generation](bool ok) { webvis_PageLoaded(generation, ok); });
    w.webvis->setPage(m_page);
    m_page->load(QUrl(w.webPageAddress, QUrl::TolerantMode));
}

void WebCapture::releasePage()
{
    // The page's renderer process ends with the page, so between captures
    // the engine holds no page at all.
    if (!m_page)
        return;
    delete m_page.data();
    m_page = nullptr;
    m_profile.reset();
    // The engine frees a page's memory in many threads' heaps; give it back
    // to the system instead of keeping it for a page that comes much later.
    malloc_trim(0);
}

WebCapture::Outcome WebCapture::CaptureWebPage()
{
    const std::uint64_t generation = ++m_generation;
    if (EventPump::quitRequested() || w.ExitToProgram)
        return Outcome::GaveUp;
    if (!platform::isWebAddress(w.webPageAddress)) {
        // A page address from the catalogue that is no web address would
        // show the user's own files.
        qCWarning(lcDownload).noquote() << "page address refused, not http or https:"
                                        << w.webPageAddress.left(200);
        return Outcome::PageFailed;
    }

    m_loading.DownloadPreview->hide();                                         // 1
    w.WebPageToImgEnd = false;
    w.Http2BmpRunning = true;
    m_lastLoadOk = true;

    navigate(generation);                                                      // 2
    w.webvis->Move(0, 0, static_cast<float>(platform::Screen::widthTwips()),
                   static_cast<float>(platform::Screen::heightTwips()));

    Outcome outcome = Outcome::Captured;
    const auto run = [&]() -> Outcome {
        if (!waitTimer4000(2000, generation))                                  // 3
            return Outcome::GaveUp;
        w.slideshow->ShowWebSurface();                                         // 4
        w.bar->Nascondi_Barra(w.whoWeAre, w.lCountDown);
        if (!waitForPage(generation)) {                                        // 5
            if (!stillWanted(generation))
                return Outcome::GaveUp;
            // One resource that never finishes keeps the page from reporting
            // completion; what it shows by now is the slide.
            if (!hasDrawn(grabView()))
                return Outcome::TimedOut;
            qCInfo(lcDownload).noquote() << "page not complete within" << kPageLoadLimitMs / 1000
                                         << "s, captured as drawn:" << w.webPageAddress.left(200);
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
    w.Http2BmpRunning = false;                                                 // 8
    StopStayOnTop();
    w.slideshow->ShowPictureSurface();
    w.bar->Esponi_Barra(w.whoWeAre, w.lCountDown);
    m_loading.DownloadPreview->show();
    releasePage();
    return outcome;
}

void WebCapture::SetWindowTopMost(bool on)
{
    // Only the stacking hint changes; position and size stay as they are.
    if (QWindow *window = w.windowHandle())
        window->setFlag(Qt::WindowStaysOnTopHint, on);
    if (on)
        w.raise();
}

void WebCapture::StayOnTop() { SetWindowTopMost(true); }

void WebCapture::StopStayOnTop() { SetWindowTopMost(false); }

bool WebCapture::isTopMost() const
{
    const QWindow *window = w.windowHandle();
    return window && window->flags().testFlag(Qt::WindowStaysOnTopHint);
}

QImage WebCapture::grabView() const
{
    // At the screen's device pixels: a HiDPI screen's page keeps its detail.
    const QSize size = (QSizeF(screenPixels()) * w.webvis->devicePixelRatioF()).toSize();
    if (size.isEmpty())
        return {};
    // The control renders itself: whatever lies over it on the screen is not
    // part of its pixels.
    QImage shot = w.webvis->grab().toImage();
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
