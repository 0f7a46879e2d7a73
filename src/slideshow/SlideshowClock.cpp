#include "slideshow/Slideshow.h"

#include "acquisition/SlideSetBuilder.h"
#include "acquisition/SlideTime.h"
#include "catalogue/Catalogue.h"
#include "platform/DialogService.h"
#include "platform/Log.h"
#include "platform/Screen.h"
#include "settings/ConfigFile.h"
#include "settings/SettingsFiles.h"
#include "slideshow/ClockArithmetic.h"
#include "slideshow/ControlBar.h"
#include "slideshow/LoadingAids.h"
#include "state/AppState.h"
#include "state/CommandLine.h"
#include "state/DiagnosticsSink.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <QFontMetrics>

#include <cmath>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::Screen;
// The slideshow clock: the next slide, its time on screen and its credit
// line, the refresh and reload counts.

namespace {

constexpr int kYellow = platform::vbRGB(255, 255, 0);

} // namespace

void Slideshow::prepareNextSlide()
{
    if (state.slideCount <= 0)
        return;
    int q = state.GLOBAL_IMAGE_CURRENT_POINTER;
    if (q >= state.slideCount || q < 0 || q >= kListSize)
        q = 0;
    const platform::PictureRef picture = state.listIMAGE[q];
    if (!picture)
        return;
    const int kind = state.listImageProperties[q];
    if (const auto box = layoutFor(*picture, kind))
        frames.prepareLater(picture, frameSize(*picture, *box, fullScreenMode() && kind != 2));
}

void Slideshow::fitMessageToText()
{
    // As wide as its text (and no wider than the screen), so the centring
    // below centres the text and not a window-wide label.
    platform::Label &label = *labels.lblMsgUser;
    const QFontMetrics metrics(label.font());
    const int paddingPx = 2 * metrics.averageCharWidth();
    const double textPx = metrics.horizontalAdvance(label.text()) + paddingPx;
    const double twips = std::min(textPx * Screen::twipsPerPixelX(), Screen::widthTwips());
    label.setWidth(static_cast<float>(std::round(twips)));
}

void Slideshow::stopSequence()
{
    qCWarning(lcShow, "the catalogue did not synchronise: configuration erased, quitting");
    settings.DeleteConfigFiles();
    state.flagCmdButton = CmdSaveAndClose;
    state.clockStatus = 0;
}

namespace {

std::optional<QString> creditLineMessage(int lingua)
{
    switch (lingua) {
    case LinguaEnglish: return QStringLiteral("Error: a picture's credit line has too many fields");
    case LinguaItalian: return QStringLiteral("Errore: la riga dei crediti di un'immagine ha troppi campi");
    case LinguaFrench:
        return QString::fromUtf8("Erreur : la ligne de cr\xC3\xA9" "dit d'une image a trop de champs");
    case LinguaSpanish:
        return QString::fromUtf8("Error: la l\xC3\xAD" "nea de cr\xC3\xA9" "ditos de una imagen tiene demasiados campos");
    default: return std::nullopt;
    }
}

} // namespace

QStringList Slideshow::creditWords(int p, bool report)
{
    const int id = (p >= 0 && p < kListSize) ? state.listIdCopyright[p] : 0;
    // A credit number outside the list reads as an empty credit line.
    const QString line = (id >= 1 && id <= kListSize) ? state.listCopyright[id - 1] : QString();
    const SplitWords split = splitDashWords(line, 6, 4);
    if (split.tooManyDashes && report) {
        // The show goes on with words 1 and 2; whoever looks after the
        // screen reads it once, and on the error stream.
        const std::uint64_t build = slides.buildNumber();
        if (build != m_creditMessageBuild) {
            m_creditMessageBuild = build;
            m_creditLinesLogged.clear();
            if (auto text = creditLineMessage(state.Lingua))
                DialogService::current().Notice(*text, MsgIcon::Exclamation, QString(),
                                                clocks.imgClock.Interval());
        }
        if (!m_creditLinesLogged.contains(line)) {
            m_creditLinesLogged << line;
            qCWarning(lcShow) << "credit line with more than four \"-\":" << line;
        }
    }
    return split.words;
}

QString Slideshow::creditCaption(int p)
{
    const int id = (p >= 0 && p < kListSize) ? state.listIdCopyright[p] : 0;
    if (id == 0)
        return state.weAre;
    return creditWords(p, false).value(1) + state.Aggiornare + state.LastUpdate;
}

void Slideshow::runTimingAndCredit(int p)
{
    const int id = state.listIdCopyright[p];
    if (id == 0) {
        labels.whoWeAre->setText(state.weAre);
        clocks.imgClock.setInterval(state.imgClockInterval);
        bar.BtAnimation->hide();
        return;
    }
    const QStringList words = creditWords(p, true);
    const QString extra = state.Aggiornare + state.LastUpdate;
    labels.whoWeAre->setText(words.value(1) + extra);

    const QString code = words.value(2);
    if (code == QLatin1String("99") && state.fastFrameCount < std::numeric_limits<std::int16_t>::max())
        ++state.fastFrameCount;
    const slideshow::SlideTiming t = slideshow::timingFor(code, state.imgClockInterval, state.fastFrameCount);
    if (t.interval)
        clocks.imgClock.setInterval(*t.interval);
    bar.BtAnimation->setVisible(t.showAnimationButton);
    if (t.raiseAnimationButton)
        bar.BtAnimation->raise();
    if (t.bannerOnYellow) {
        labels.whoWeAre->setText(state.weAre + state.Aggiornare);
        labels.whoWeAre->setBackColor(kYellow);
    }
}

void Slideshow::imgClock_Timer(TickBy by)
{
    // A page capture owns the screen until it has restored the bar.
    if (state.flagCmdButton != CmdRun || state.Http2BmpRunning)              // 1
        return;
    clocks.imgClock.setEnabled(false);                                       // 2
    state.clockStatus = 1;
    if (state.clockFromDebugSet == 1)
        clocks.imgClock.setInterval(state.timerClockSave);
    state.clockFromDebugSet = 0;

    int p = state.GLOBAL_IMAGE_CURRENT_POINTER;                              // 3
    {
        // While a refresh or reload waits, the label goes on naming the slide
        // on screen (the one before the pointer), never another slide's raw
        // credit line.
        const int onScreen = p > 0 ? p - 1 : state.slideCount - 1;
        labels.whoWeAre->setText(onScreen >= 0 ? creditCaption(onScreen) : state.weAre);
    }
    bar.BtAnimation->hide();

    const double S = acquisition::leadingNumber(state.running.slideSeconds());
    if (by == TickBy::Clock)
        state.cntCounterRefresh = slideshow::advanceCounter(state.cntCounterRefresh, S); // 4
    if (slideshow::refreshDue(state.cntCounterRefresh, state.ranVal, state.catalogueLoaded)) {
        state.ranVal = RandomRefreshMinute();
        state.cntCounterRefresh = 0;
        // While the server is unavailable the refresh is tried only on the
        // schedule; a try that is not due costs nothing and shows nothing.
        const bool attempt = state.catalogueLoaded == 0 && catalogue.retryDue();
        if (attempt)
            showLoadingProgress();
        catalogue.SyncCatalogue(0);
        state.webLoading = 0;
        if (state.catalogueLoaded == 0 && state.serverUnavailable) {
            // The set on screen goes on, with Setup at hand.
            showSetupButton();
            catalogue.showUnavailable();
            if (by == TickBy::Retry && state.slideCount > 0) {
                // The slide on screen keeps its time; the clock is armed again.
                state.clockStatus = 0;
                return;
            }
        }
        if (state.catalogueStatus != QLatin1String("1")) {
            DialogService::current().MsgBox(QStringLiteral("1 F"), MsgButtons::OK, MsgIcon::Information,
                                            QStringLiteral("?"));
            stopSequence();
            return;
        }
    }

    // A reload period that is not a number (a damaged configuration) skips
    // the reload instead of stopping the show.
    const QString reloadText = state.running.reloadMinutes();
    if (by == TickBy::Clock)
        state.cntCounterDwLoadImage = slideshow::advanceCounter(state.cntCounterDwLoadImage, S); // 5
    if (by == TickBy::ReloadKey ||
        (isNumeric(reloadText) && slideshow::reloadDue(state.cntCounterDwLoadImage, numericValue(reloadText)))) {
        ClearImageProperties();
        if (!ResetAniGifFiles()) {
            state.clockStatus = 0;
            hooks.endProgram();
            return;
        }
        state.cntAniGif = 1;
        state.cntCounterDwLoadImage = 0;
        bar.btSetup->setEnabled(false);
        showLoadingProgress();
        state.clockReload = 1;
        qCInfo(lcShow, by == TickBy::ReloadKey ? "reloading every picture (R key)"
                                               : "reloading every picture (reload period)");
        slides.BuildSlideSet(1);
        state.clockReload = 0;
        state.webLoading = 0;
    }

    if (state.slideCount == 0 && state.catalogueLoaded == 0 && state.serverUnavailable) {
        // Nothing to show yet because the server is away: the start-up
        // picture and the status line, never the panel by itself.
        if (!m_logoUp)
            m_logoUp = ShowSlide(slides.logoPicture());
        // No build has enabled the bar yet: Setup must work meanwhile.
        showSetupButton();
        bar.btSetup->setEnabled(true);
        labels.whoWeAre->setEnabled(true);
        catalogue.showUnavailable();
        state.clockStatus = 0;
        return;
    }
    if (state.slideCount == 0) {                                             // 6
        state.flagCmdButton = CmdOpenPanel;
        labels.whoWeAre->setEnabled(false);
        bar.btSetup->setEnabled(false);
        state.displayMode = 1;
        state.running.setDisplayMode(QString::fromLatin1(kFullScreen));
        hooks.showDisplayModeName();
        state.clockStatus = 0;
        return;
    }

    if (state.GLOBAL_IMAGE_CURRENT_POINTER >= state.slideCount || state.GLOBAL_IMAGE_CURRENT_POINTER < 0) // 7
        state.GLOBAL_IMAGE_CURRENT_POINTER = 0;
    p = std::min<int>(state.GLOBAL_IMAGE_CURRENT_POINTER, kListSize - 1);
    state.GLOBAL_IMAGE_CURRENT_POINTER = static_cast<std::int16_t>(p);

    labels.lblMsgUser->hide();                                               // 8
    // Each pass plays the animated-GIF files from number 1; reset before the
    // first slide is drawn so an animated first slide plays file 1 too.
    if (p == 0)                                                              // 10
        state.cntAniGif = 1;
    ShowSlide(state.listIMAGE[p]);                                           // 9
    m_logoUp = false;
    qCDebug(lcShow, "slide %d of %d", p + 1, int(state.slideCount));
    diagnostics.showSlideAddress(state.listURL[p]);

    runTimingAndCredit(p);                                                   // 11

    if (p == state.slideCount - 1) {                                         // 12
        if (!state.serverMessage.isEmpty()) {
            labels.lblMsgUser->setText(state.serverMessage);
            fitMessageToText();
            labels.lblMsgUser->show();
            const double W = Screen::widthTwips();
            const double H = Screen::heightTwips();
            labels.lblMsgUser->setLeft(static_cast<float>(std::trunc(W / 2 - labels.lblMsgUser->Width() / 2)));
            labels.lblMsgUser->setTop(static_cast<float>(std::trunc(H / 2 - labels.lblMsgUser->Height() / 2)));
        } else {
            labels.lblMsgUser->hide();
        }
    }

    if (state.listIMAGEnotLoaded[p]) {                                       // 13
        labels.lCountDown->setText(QStringLiteral("IMAGE MISSING - PLEASE OPEN A TICKET ON OUR WEBSITE"));
        labels.lCountDown->show();
    } else if (state.serverUnavailable) {
        catalogue.showUnavailable();
    } else {
        labels.lCountDown->hide();
    }

    state.GLOBAL_IMAGE_CURRENT_POINTER = static_cast<std::int16_t>(p + 1);   // 14
    if (state.catalogueStatus == QLatin1String("1")) {                       // 15
        state.clockStatus = 0;
        prepareNextSlide();
        return;
    }
    DialogService::current().MsgBox(QStringLiteral("2 T"), MsgButtons::OK, MsgIcon::Information,   // 16
                                    QStringLiteral("?"));
    stopSequence();                                                          // 17
}
