#include "slideshow/Slideshow.h"

#include "acquisition/PictureFiles.h"
#include "acquisition/SlideSetBuilder.h"
#include "acquisition/SlideTime.h"
#include "catalogue/Catalogue.h"
#include "anigif/ucAniGIF.h"
#include "platform/DialogService.h"
#include "platform/Log.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "settings/ConfigFile.h"
#include "settings/SettingsFiles.h"
#include "slideshow/ClockArithmetic.h"
#include "slideshow/ControlBar.h"
#include "slideshow/LoadingAids.h"
#include "slideshow/PictureBox.h"
#include "slideshow/WebCapture.h"
#include "state/AppState.h"
#include "state/CommandLine.h"
#include "state/DiagnosticsSink.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QWebEngineView>

#include <cmath>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::Screen;
using platform::units::roundHalfEven;

namespace {

// No layout value may leave what a window coordinate can hold.
constexpr double kLayoutLimit = 1 << 24;

bool sane(const slideshow::SlideBox &b)
{
    for (double v : {b.left, b.top, b.width, b.height})
        if (!std::isfinite(v) || std::abs(v) > kLayoutLimit)
            return false;
    return b.width >= 0 && b.height >= 0;
}

int pixels(double twips) { return static_cast<int>(roundHalfEven(twips / Screen::twipsPerPixelX())); }

constexpr int kYellow = platform::vbRGB(255, 255, 0);

} // namespace

Slideshow::Slideshow(QWidget &window, AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar,
                     SlideSetBuilder &slides, Catalogue &catalogue, SettingsFiles &settings,
                     DiagnosticsSink &diagnostics)
    : window(window), state(state), clocks(clocks), labels(labels), bar(bar), slides(slides),
      catalogue(catalogue), settings(settings), diagnostics(diagnostics)
{
    fotoBrowser = new PictureBox(QStringLiteral("fotoBrowser"), &window);
    fotoBrowser->hide();
    fotoBrowser->lower();
    ucAniGIF1 = new ucAniGIF(&window);
    ucAniGIF1->setObjectName(QStringLiteral("ucAniGIF1"));
    ucAniGIF1->hide();
    ucAniGIF1->lower();
    labels.webvis->lower();
    loading = std::make_unique<LoadingAids>(&window);
    webCapture = std::make_unique<WebCapture>(window, state, clocks, labels, bar, *this, *loading);

    clocks.imgClock.setHandler([this] { imgClock_Timer(); });
    QObject::connect(&state.running, &RunningSettings::displayModeChanged, &window,
                     [this] { txtDisplay_Change(); });
}

Slideshow::~Slideshow() = default;

bool Slideshow::fullScreenMode() const
{
    return state.running.displayMode() == QLatin1String(kFullScreen);
}

void Slideshow::showSetupButton() { bar.showSetupButton(); }

// While pictures load: the wait button instead of setup, and the progress
// timer writing its caption.
void Slideshow::showLoadingProgress()
{
    labels.lCountDown->setText(QString());
    labels.lCountDown->show();
    bar.showWaitButton();
    state.webLoading = 1;
    clocks.utilityTmr.setEnabled(true);
}

std::optional<slideshow::SlideBox> Slideshow::layoutFor(const platform::Picture &picture, int kind) const
{
    if (picture.pixels.isEmpty() || !(picture.widthHimetric > 0) || !(picture.heightHimetric > 0))
        return std::nullopt;
    const double SW = Screen::widthTwips();
    const double SH = Screen::heightTwips();
    slideshow::SlideBox box;
    if (kind == 2)
        box = {0, 0, SW, SH};
    else if (fullScreenMode())
        box = slideshow::fullScreenLayout(SW, SH, labels.whoWeAre->Height(), picture.widthHimetric,
                                          picture.heightHimetric);
    else
        box = slideshow::normalLayout(SW, SH, picture.widthHimetric, picture.heightHimetric);
    if (!sane(box))
        return std::nullopt;
    return box;
}

QSize Slideshow::frameSize(const platform::Picture &picture, const slideshow::SlideBox &box, bool stretch)
{
    if (!stretch)
        return picture.pixels;
    return QSize(std::max(1, pixels(box.width)), std::max(1, pixels(box.height)));
}

bool Slideshow::ShowSlide(const platform::PictureRef &picture)
{
    const int p = state.GLOBAL_IMAGE_CURRENT_POINTER;
    const int kind = (p >= 0 && p < kListSize) ? state.listImageProperties[p] : 0;
    const bool full = fullScreenMode();

    // Everything that can fail is done before the screen changes, so a
    // picture that cannot be drawn leaves the previous slide up.
    if (!picture)
        return false;
    const auto box = layoutFor(*picture, kind);
    if (!box)
        return false;
    const QImage frame = frameAt(picture, *box, kind, full);
    if (frame.isNull())
        return false;

    fotoBrowser->hide();                                                     // 1
    state.displayMode = full ? 1 : 0;                                        // 2
    showSetupButton();                                                       // 3
    place(picture, frame, *box, kind, full);                                 // 4, 5
    m_shownKind = kind;
    if (kind != 4) {                                                         // 6
        showSetupButton();
        ShowPictureSurface();
        return true;
    }
    placeAnimation(p);                                                       // 7
    return true;
}

QImage Slideshow::frameAt(const platform::PictureRef &picture, const slideshow::SlideBox &box, int kind,
                          bool full)
{
    const bool stretch = full && kind != 2;
    // A stretched frame is made at the screen's device pixels, so a HiDPI
    // screen gets it sharp; a captured page was taken at them.
    const qreal dpr = window.devicePixelRatioF();
    QSize size = frameSize(*picture, box, stretch);
    if (stretch && dpr > 1)
        size = (QSizeF(size) * dpr).toSize();
    QImage frame = frames.frameFor(picture, size);
    if (!frame.isNull() && dpr > 1 && (stretch || (kind == 2 && frame.size() == (QSizeF(Screen::pixels()) * dpr).toSize())))
        frame.setDevicePixelRatio(dpr);
    return frame;
}

void Slideshow::place(const platform::PictureRef &picture, const QImage &frame, const slideshow::SlideBox &box,
                      int kind, bool full)
{
    fotoBrowser->setStretch(full);
    if (full) {
        fotoBrowser->Move(static_cast<float>(box.left), static_cast<float>(box.top),
                          static_cast<float>(box.width), static_cast<float>(box.height));
        fotoBrowser->setPicture(picture, frame);
    } else {
        fotoBrowser->setPicture(picture, frame);
        fotoBrowser->Move(static_cast<float>(box.left), static_cast<float>(box.top));
    }
    if (kind == 2) {
        fotoBrowser->setStretch(false);
        fotoBrowser->Move(0, 0, static_cast<float>(Screen::widthTwips()),
                          static_cast<float>(Screen::heightTwips()));
        labels.whoWeAre->show();
        labels.whoWeAre->raise();
    }
}

void Slideshow::followWindowSize()
{
    const platform::PictureRef picture = fotoBrowser->picture();
    if (!picture)
        return;
    const bool full = state.displayMode == 1;
    std::optional<slideshow::SlideBox> box;
    if (m_shownKind == 2)
        box = slideshow::SlideBox{0, 0, Screen::widthTwips(), Screen::heightTwips()};
    else if (full)
        box = slideshow::fullScreenLayout(Screen::widthTwips(), Screen::heightTwips(), labels.whoWeAre->Height(),
                                          picture->widthHimetric, picture->heightHimetric);
    else
        box = slideshow::normalLayout(Screen::widthTwips(), Screen::heightTwips(), picture->widthHimetric,
                                      picture->heightHimetric);
    if (!sane(*box))
        return;
    const QImage frame = frameAt(picture, *box, m_shownKind, full);
    if (frame.isNull())
        return;
    place(picture, frame, *box, m_shownKind, full);
    if (m_shownKind == 4)
        ucAniGIF1->setGeometry(fotoBrowser->geometry());
}

void Slideshow::placeAnimation(int)
{
    ucAniGIF1->setDelayAnimation(1);
    ucAniGIF1->setGeometry(fotoBrowser->geometry());
    ucAniGIF1->LoadAnimatedGIF_File(
        acquisition::aniGifCopyPath(state.pictureFileStem, state.aniGifTag, state.cntAniGif));
    ShowAnimationSurface();
    ++state.cntAniGif;
}

void Slideshow::parkAnimation()
{
    const int out = platform::units::twipsToPixels(100, Screen::dpi());
    ucAniGIF1->setGeometry(out, out, 0, 0);
}

void Slideshow::ShowPictureSurface()
{
    fotoBrowser->show();
    labels.webvis->hide();
    ucAniGIF1->hide();
}

void Slideshow::ShowWebSurface()
{
    fotoBrowser->hide();
    labels.webvis->show();
    ucAniGIF1->hide();
}

void Slideshow::ShowAnimationSurface()
{
    fotoBrowser->hide();
    labels.webvis->hide();
    ucAniGIF1->show();
}

void Slideshow::ClearImageProperties()
{
    for (int i = 0; i < kListLoopEnd; ++i) {
        state.listImageProperties[i] = 0;
        state.listImageTime[i] = 100;
    }
}

std::int16_t Slideshow::RandomRefreshMinute()
{
    QRandomGenerator generator(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    return slideshow::refreshMinuteFrom(generator.generateDouble());
}

bool Slideshow::ResetAniGifFiles()
{
    const QString placeholder = state.appPath + QStringLiteral("/pic_not_available.gif");
    for (int n = 1; n <= 99; ++n) {
        const QString path =
            acquisition::aniGifCopyPath(state.pictureFileStem, state.aniGifTag, n);
        if (!QFile::exists(path))
            break;
        if (!QFile::remove(path) || !QFile::copy(placeholder, path)) {
            DialogService::current().MsgBox(QStringLiteral("ERROR! \nFile ") + state.appPath +
                                                QStringLiteral("/pic_not_available.gif MISSING \nProgram Quit"),
                                            MsgButtons::OK);
            return false;
        }
    }
    return true;
}

void Slideshow::dyMode_Click()
{
    RunningSettings &values = state.running;
    values.setDisplayMode(values.displayMode() != QLatin1String(kNormal) ? QString::fromLatin1(kNormal)
                                                                         : QString::fromLatin1(kFullScreen));
    hooks.showDisplayModeName();
    state.settingsChanged = 1;
}

void Slideshow::txtDisplay_Change() { hooks.markTimingFields(); }

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
        if (state.catalogueLoaded == 0)
            showLoadingProgress();
        catalogue.SyncCatalogue(0);
        state.webLoading = 0;
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
    qCDebug(lcShow, "slide %d of %d", p + 1, int(state.slideCount));
    diagnostics.showSlideAddress(state.listURL[p]);

    runTimingAndCredit(p);                                                   // 11

    if (p == state.slideCount - 1) {                                         // 12
        if (!state.serverMessage.isEmpty()) {
            labels.lblMsgUser->setText(state.serverMessage);
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
