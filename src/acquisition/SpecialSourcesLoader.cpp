// The slide set builder's special sources: web pages captured into a slot,
// numbered picture series spread over consecutive slots.
#include "acquisition/SlideSetBuilder.h"

#include "acquisition/PictureLoader.h"
#include "acquisition/SpecialSources.h"
#include "core/FormPicture.h"
#include "panel/TownFrame.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "slideshow/Slideshow.h"
#include "slideshow/WebCapture.h"

#include <QBuffer>

#include <algorithm>

using platform::DialogService;
using platform::MsgButtons;

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
        acquisition::TownParameters params;
        for (std::size_t i = 0; i < params.size(); ++i)
            params[i] = w.FormYourTown->PARAM[i]->text();
        w.webPageAddress = acquisition::townPageAddress(w.tmpStrUrl, params);
    } else {
        w.webPageAddress = w.tmpStrUrl;
    }
    w.Http2BmpRunning = false;
    w.WebPageToImgEnd = false;

    WebCapture &capture = *w.slideshow->webCapture;
    const WebCapture::Outcome outcome = capture.CaptureWebPage();
    switch (outcome) {
    case WebCapture::Outcome::Captured:
        if (const auto loaded = acquisition::loadStandardPicture(capture.bitmapPath(), kMiniaturaPixels)) {
            placePicture(k, compacted(loaded->picture), false);
            showThumbnail(loaded->thumbnail);
            w.listImageProperties[k] = 2;
        } else {
            qCWarning(lcDownload, "page %s: its capture cannot be read", qPrintable(w.webPageAddress));
            placePicture(k, m_loadError, true);
        }
        return;
    case WebCapture::Outcome::GaveUp:
        // Quitting, or a newer build took over: this slot is not ours to fill.
        return;
    case WebCapture::Outcome::PageFailed:
    case WebCapture::Outcome::TimedOut:
    case WebCapture::Outcome::NotSaved:
        qCWarning(lcDownload, "page %s not captured: %s", qPrintable(w.webPageAddress),
                  outcome == WebCapture::Outcome::PageFailed ? "the page did not load"
                  : outcome == WebCapture::Outcome::TimedOut ? "it did not complete in time"
                                                             : "the capture was not saved");
        placePicture(k, m_notAvailable, true);
        return;
    }
}

void SlideSetBuilder::LoadPictureSeries(int &k)
{
    if (k < 0 || k >= kListSize)
        return;
    const acquisition::SeriesParse parsed = acquisition::parseSeries(w.tmpStrUrl);
    if (!parsed.entry) {
        qCWarning(lcDownload, "picture series %s cannot be read", qPrintable(w.tmpStrUrl));
        DialogService::current().MsgBox(acquisition::seriesErrorMessage(parsed.charactersRead),
                                        MsgButtons::OK);
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
    w.slideTotal = static_cast<std::int16_t>(std::max<qsizetype>(w.slideTotal, k + addresses.size()));
    const std::uint64_t generation = m_generation;
    for (const QString &address : addresses) {
        w.listImageProperties[k] = 0;
        Load_JPG_GIF_PNG_On_Array(address, k);
        w.lCountDown->setText(w.lCountDown->text() + u'*');
        ++k;
        if (generation != m_generation || platform::EventPump::quitRequested() || w.ExitToProgram)
            break;
    }
    --k;
}
