// The slide set builder's special sources: web pages captured into a slot,
// numbered picture series spread over consecutive slots.
#include "acquisition/SlideSetBuilder.h"

#include "acquisition/PictureLoader.h"
#include "acquisition/SpecialSources.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "state/AppState.h"

#include <QBuffer>

#include <algorithm>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

// A page bitmap is six megabytes at full HD; the slide keeps it as PNG, a
// small fraction of that for a page, without losing a pixel.
platform::PictureRef compacted(const platform::PictureRef &bitmap)
{
    const QImage image = acquisition::decodeFrame(*bitmap);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return bitmap;
    auto picture = std::make_shared<platform::Picture>(*bitmap);
    picture->encoded = png;
    return picture;
}

} // namespace

void SlideSetBuilder::CaptureWebPageInto(int k, QChar kind)
{
    if (k < 0 || k >= kListSize)
        return;
    if (kind == u'3') {
        state.webPageAddress = acquisition::townPageAddress(state.tmpStrUrl, hooks.townParameters());
    } else {
        state.webPageAddress = state.tmpStrUrl;
    }
    state.Http2BmpRunning = false;
    state.WebPageToImgEnd = false;

    const PageCaptureOutcome outcome = hooks.captureWebPage();
    switch (outcome) {
    case PageCaptureOutcome::Captured:
        if (const auto loaded = acquisition::loadStandardPicture(pageBitmapPath(state.pictureFileStem),
                                                                 kMiniaturaPixels)) {
            placePicture(k, compacted(loaded->picture), false);
            showThumbnail(loaded->thumbnail);
            state.listImageProperties[k] = 2;
        } else {
            qCWarning(lcDownload, "page %s: its capture cannot be read", qPrintable(state.webPageAddress));
            placePicture(k, m_loadError, true);
        }
        return;
    case PageCaptureOutcome::GaveUp:
        // Quitting, or a newer build took over: this slot is not ours to fill.
        return;
    case PageCaptureOutcome::PageFailed:
    case PageCaptureOutcome::TimedOut:
    case PageCaptureOutcome::NotSaved:
        qCWarning(lcDownload, "page %s not captured: %s", qPrintable(state.webPageAddress),
                  outcome == PageCaptureOutcome::PageFailed ? "the page did not load"
                  : outcome == PageCaptureOutcome::TimedOut ? "it did not complete in time"
                                                             : "the capture was not saved");
        placePicture(k, m_notAvailable, true);
        return;
    }
}

void SlideSetBuilder::LoadPictureSeries(int &k)
{
    if (k < 0 || k >= kListSize)
        return;
    const acquisition::SeriesParse parsed = acquisition::parseSeries(state.tmpStrUrl);
    if (!parsed.entry) {
        qCWarning(lcDownload, "picture series %s cannot be read", qPrintable(state.tmpStrUrl));
        // On the unattended path: the notice closes by itself within a
        // slide's time instead of holding the start-up until someone clicks.
        DialogService::current().Notice(acquisition::seriesErrorMessage(parsed.charactersRead),
                                        MsgIcon::None, QString(), state.imgClockInterval);
        // The entry is still a slide of the set: it must not show whatever
        // an earlier set left in its slot.
        placePicture(k, m_notAvailable, true);
        return;
    }
    // No slot past the end of the lists.
    const QStringList addresses = acquisition::seriesAddresses(*parsed.entry, kListSize - k);
    if (addresses.isEmpty()) {
        placePicture(k, m_notAvailable, true);
        return;
    }
    // The progress line counts the series' slots, which take the place of
    // the entries after it.
    state.slideTotal = static_cast<std::int16_t>(std::max<qsizetype>(state.slideTotal, k + addresses.size()));
    const std::uint64_t generation = m_generation;
    for (const QString &address : addresses) {
        state.listImageProperties[k] = 0;
        Load_JPG_GIF_PNG_On_Array(address, k);
        hooks.appendStatusText(QStringLiteral("*"));
        ++k;
        if (generation != m_generation || platform::EventPump::quitRequested() || state.ExitToProgram)
            break;
    }
    --k;
}
