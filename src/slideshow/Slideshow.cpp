#include "slideshow/Slideshow.h"

#include "acquisition/PictureFiles.h"
#include "acquisition/SlideSetBuilder.h"
#include "acquisition/SlideTime.h"
#include "catalogue/Catalogue.h"
#include "anigif/ucAniGIF.h"
#include "state/CommandLine.h"
#include "core/FormPicture.h"
#include "core/RunControl.h"
#include "diagnostics/DebugWindows.h"
#include "diagnostics/Diagnostics.h"
#include "panel/SetupPanel.h"
#include "platform/DialogService.h"
#include "platform/Log.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "settings/ConfigFile.h"
#include "slideshow/ClockArithmetic.h"
#include "slideshow/ControlBar.h"
#include "slideshow/LoadingAids.h"
#include "slideshow/PictureBox.h"
#include "slideshow/WebCapture.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

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

constexpr int kLightBlue = platform::vbRGB(125, 147, 230);
constexpr int kLightYellow = platform::vbRGB(255, 255, 128);
constexpr int kYellow = platform::vbRGB(255, 255, 0);

} // namespace

Slideshow::Slideshow(FormPicture &form) : w(form)
{
    fotoBrowser = new PictureBox(QStringLiteral("fotoBrowser"), &w);
    fotoBrowser->hide();
    fotoBrowser->lower();
    ucAniGIF1 = new ucAniGIF(&w);
    ucAniGIF1->setObjectName(QStringLiteral("ucAniGIF1"));
    ucAniGIF1->hide();
    ucAniGIF1->lower();
    w.webvis->lower();
    loading = std::make_unique<LoadingAids>(&w);
    webCapture = std::make_unique<WebCapture>(w, *loading);

    w.imgClock.setHandler([this] { imgClock_Timer(); });
    QObject::connect(w.SSTCfg->txtDisplay, &QLineEdit::textChanged, &w, [this] { txtDisplay_Change(); });
}

Slideshow::~Slideshow() = default;

bool Slideshow::fullScreenMode() const
{
    return w.SSTCfg->txtDisplay->text() == QLatin1String(kFullScreen);
}

void Slideshow::showSetupButton()
{
    w.bar->btSetup->show();
    w.bar->btWait->hide();
    w.bar->btHelp->setVisible(!w.bar->btSetup->isHidden());
}

// While pictures load: the wait button instead of setup, and the progress
// timer writing its caption.
void Slideshow::showLoadingProgress()
{
    w.lCountDown->setText(QString());
    w.lCountDown->show();
    w.bar->btSetup->hide();
    w.bar->btWait->show();
    w.bar->btHelp->setVisible(!w.bar->btSetup->isHidden());
    w.webLoading = 1;
    w.utilityTmr.setEnabled(true);
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
        box = slideshow::fullScreenLayout(SW, SH, w.whoWeAre->Height(), picture.widthHimetric,
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
    const int p = w.GLOBAL_IMAGE_CURRENT_POINTER;
    const int kind = (p >= 0 && p < kListSize) ? w.listImageProperties[p] : 0;
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
    w.displayMode = full ? 1 : 0;                                            // 2
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
    const qreal dpr = w.devicePixelRatioF();
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
        w.whoWeAre->show();
        w.whoWeAre->raise();
    }
}

void Slideshow::followWindowSize()
{
    const platform::PictureRef picture = fotoBrowser->picture();
    if (!picture)
        return;
    const bool full = w.displayMode == 1;
    std::optional<slideshow::SlideBox> box;
    if (m_shownKind == 2)
        box = slideshow::SlideBox{0, 0, Screen::widthTwips(), Screen::heightTwips()};
    else if (full)
        box = slideshow::fullScreenLayout(Screen::widthTwips(), Screen::heightTwips(), w.whoWeAre->Height(),
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
    ucAniGIF1->LoadAnimatedGIF_File(acquisition::aniGifCopyPath(w.pictureFileStem, w.aniGifTag, w.cntAniGif));
    ShowAnimationSurface();
    ++w.cntAniGif;
}

void Slideshow::parkAnimation()
{
    const int out = platform::units::twipsToPixels(100, Screen::dpi());
    ucAniGIF1->setGeometry(out, out, 0, 0);
}

void Slideshow::ShowPictureSurface()
{
    fotoBrowser->show();
    w.webvis->hide();
    ucAniGIF1->hide();
}

void Slideshow::ShowWebSurface()
{
    fotoBrowser->hide();
    w.webvis->show();
    ucAniGIF1->hide();
}

void Slideshow::ShowAnimationSurface()
{
    fotoBrowser->hide();
    w.webvis->hide();
    ucAniGIF1->show();
}

void Slideshow::ClearImageProperties()
{
    for (int i = 0; i < kListLoopEnd; ++i) {
        w.listImageProperties[i] = 0;
        w.listImageTime[i] = 100;
    }
}

std::int16_t Slideshow::RandomRefreshMinute()
{
    QRandomGenerator generator(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    return slideshow::refreshMinuteFrom(generator.generateDouble());
}

bool Slideshow::ResetAniGifFiles()
{
    const QString placeholder = w.appPath + QStringLiteral("/pic_not_available.gif");
    for (int n = 1; n <= 99; ++n) {
        const QString path =
            acquisition::aniGifCopyPath(w.pictureFileStem, w.aniGifTag, n);
        if (!QFile::exists(path))
            break;
        if (!QFile::remove(path) || !QFile::copy(placeholder, path)) {
            DialogService::current().MsgBox(QStringLiteral("ERROR! \nFile ") + w.appPath +
                                                QStringLiteral("/pic_not_available.gif MISSING \nProgram Quit"),
                                            MsgButtons::OK);
            return false;
        }
    }
    return true;
}

void Slideshow::dyMode_Click()
{
    auto *mode = w.SSTCfg->txtDisplay;
    mode->setText(mode->text() != QLatin1String(kNormal) ? QString::fromLatin1(kNormal)
                                                         : QString::fromLatin1(kFullScreen));
    w.ShowDisplayModeName();
    w.settingsChanged = 1;
}

void Slideshow::txtDisplay_Change()
{
    SetupPanel &panel = *w.SSTCfg;
    panel.SSTCfg_timeRefresh->setBackColor(kLightBlue);
    panel.SSTCfg_timeDwLoad->setBackColor(kLightBlue);
    panel.txtDisplay->setBackColor(kLightYellow);
    panel.txtDisplay2->setBackColor(kLightYellow);
}

void Slideshow::prepareNextSlide()
{
    if (w.slideCount <= 0)
        return;
    int q = w.GLOBAL_IMAGE_CURRENT_POINTER;
    if (q >= w.slideCount || q < 0 || q >= kListSize)
        q = 0;
    const platform::PictureRef picture = w.listIMAGE[q];
    if (!picture)
        return;
    const int kind = w.listImageProperties[q];
    if (const auto box = layoutFor(*picture, kind))
        frames.prepareLater(picture, frameSize(*picture, *box, fullScreenMode() && kind != 2));
}

void Slideshow::stopSequence()
{
    qCWarning(lcShow, "the catalogue did not synchronise: configuration erased, quitting");
    w.settings.DeleteConfigFiles();
    w.flagCmdButton = CmdSaveAndClose;
    w.clockStatus = 0;
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
    const int id = (p >= 0 && p < kListSize) ? w.listIdCopyright[p] : 0;
    // A credit number outside the list reads as an empty credit line.
    const QString line = (id >= 1 && id <= kListSize) ? w.listCopyright[id - 1] : QString();
    const SplitWords split = splitDashWords(line, 6, 4);
    if (split.tooManyDashes && report) {
        // The show goes on with words 1 and 2; whoever looks after the
        // screen reads it once, and on the error stream.
        const std::uint64_t build = w.slides->buildNumber();
        if (build != m_creditMessageBuild) {
            m_creditMessageBuild = build;
            m_creditLinesLogged.clear();
            if (auto text = creditLineMessage(w.Lingua))
                DialogService::current().Notice(*text, MsgIcon::Exclamation, QString(),
                                                w.imgClock.Interval());
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
    const int id = (p >= 0 && p < kListSize) ? w.listIdCopyright[p] : 0;
    if (id == 0)
        return w.weAre;
    return creditWords(p, false).value(1) + w.Aggiornare + w.LastUpdate;
}

void Slideshow::runTimingAndCredit(int p)
{
    const int id = w.listIdCopyright[p];
    if (id == 0) {
        w.whoWeAre->setText(w.weAre);
        w.imgClock.setInterval(w.imgClockInterval);
        w.bar->BtAnimation->hide();
        return;
    }
    const QStringList words = creditWords(p, true);
    const QString extra = w.Aggiornare + w.LastUpdate;
    w.whoWeAre->setText(words.value(1) + extra);

    const QString code = words.value(2);
    if (code == QLatin1String("99") && w.fastFrameCount < std::numeric_limits<std::int16_t>::max())
        ++w.fastFrameCount;
    const slideshow::SlideTiming t = slideshow::timingFor(code, w.imgClockInterval, w.fastFrameCount);
    if (t.interval)
        w.imgClock.setInterval(*t.interval);
    w.bar->BtAnimation->setVisible(t.showAnimationButton);
    if (t.raiseAnimationButton)
        w.bar->BtAnimation->raise();
    if (t.bannerOnYellow) {
        w.whoWeAre->setText(w.weAre + w.Aggiornare);
        w.whoWeAre->setBackColor(kYellow);
    }
}

void Slideshow::imgClock_Timer(TickBy by)
{
    // A page capture owns the screen until it has restored the bar.
    if (w.flagCmdButton != CmdRun || w.Http2BmpRunning)                      // 1
        return;
    w.imgClock.setEnabled(false);                                            // 2
    w.clockStatus = 1;
    if (w.clockFromDebugSet == 1)
        w.imgClock.setInterval(w.timerClockSave);
    w.clockFromDebugSet = 0;

    int p = w.GLOBAL_IMAGE_CURRENT_POINTER;                                  // 3
    {
        // While a refresh or reload waits, the label goes on naming the slide
        // on screen (the one before the pointer), never another slide's raw
        // credit line.
        const int onScreen = p > 0 ? p - 1 : w.slideCount - 1;
        w.whoWeAre->setText(onScreen >= 0 ? creditCaption(onScreen) : w.weAre);
    }
    w.bar->BtAnimation->hide();

    const double S = acquisition::leadingNumber(w.SSTCfg->SSTCfg_timeRefresh->text());
    if (by == TickBy::Clock)
        w.cntCounterRefresh = slideshow::advanceCounter(w.cntCounterRefresh, S);  // 4
    if (slideshow::refreshDue(w.cntCounterRefresh, w.ranVal, w.catalogueLoaded)) {
        w.ranVal = RandomRefreshMinute();
        w.cntCounterRefresh = 0;
        if (w.catalogueLoaded == 0)
            showLoadingProgress();
        w.catalogue->SyncCatalogue(0);
        w.webLoading = 0;
        if (w.catalogueStatus != QLatin1String("1")) {
            DialogService::current().MsgBox(QStringLiteral("1 F"), MsgButtons::OK, MsgIcon::Information,
                                            QStringLiteral("?"));
            stopSequence();
            return;
        }
    }

    // A reload period that is not a number (a damaged configuration) skips
    // the reload instead of stopping the show.
    const QString reloadText = w.SSTCfg->SSTCfg_timeDwLoad->text();
    if (by == TickBy::Clock)
        w.cntCounterDwLoadImage = slideshow::advanceCounter(w.cntCounterDwLoadImage, S);  // 5
    if (by == TickBy::ReloadKey ||
        (isNumeric(reloadText) && slideshow::reloadDue(w.cntCounterDwLoadImage, numericValue(reloadText)))) {
        ClearImageProperties();
        if (!ResetAniGifFiles()) {
            w.clockStatus = 0;
            w.runControl->EndProgram();
            return;
        }
        w.cntAniGif = 1;
        w.cntCounterDwLoadImage = 0;
        w.bar->btSetup->setEnabled(false);
        showLoadingProgress();
        w.clockReload = 1;
        qCInfo(lcShow, by == TickBy::ReloadKey ? "reloading every picture (R key)"
                                               : "reloading every picture (reload period)");
        w.slides->BuildSlideSet(1);
        w.clockReload = 0;
        w.webLoading = 0;
    }

    if (w.slideCount == 0) {                                                 // 6
        w.flagCmdButton = CmdOpenPanel;
        w.whoWeAre->setEnabled(false);
        w.bar->btSetup->setEnabled(false);
        w.displayMode = 1;
        w.SSTCfg->txtDisplay->setText(QString::fromLatin1(kFullScreen));
        w.ShowDisplayModeName();
        w.clockStatus = 0;
        return;
    }

    if (w.GLOBAL_IMAGE_CURRENT_POINTER >= w.slideCount || w.GLOBAL_IMAGE_CURRENT_POINTER < 0)  // 7
        w.GLOBAL_IMAGE_CURRENT_POINTER = 0;
    p = std::min<int>(w.GLOBAL_IMAGE_CURRENT_POINTER, kListSize - 1);
    w.GLOBAL_IMAGE_CURRENT_POINTER = static_cast<std::int16_t>(p);

    w.lblMsgUser->hide();                                                    // 8
    // Each pass plays the animated-GIF files from number 1; reset before the
    // first slide is drawn so an animated first slide plays file 1 too.
    if (p == 0)                                                              // 10
        w.cntAniGif = 1;
    ShowSlide(w.listIMAGE[p]);                                               // 9
    qCDebug(lcShow, "slide %d of %d", p + 1, int(w.slideCount));
    w.diagnostics->debugWindow().url_attuale->setCaption(w.listURL[p]);

    runTimingAndCredit(p);                                                   // 11

    if (p == w.slideCount - 1) {                                             // 12
        if (!w.serverMessage.isEmpty()) {
            w.lblMsgUser->setText(w.serverMessage);
            w.lblMsgUser->show();
            const double W = Screen::widthTwips();
            const double H = Screen::heightTwips();
            w.lblMsgUser->setLeft(static_cast<float>(std::trunc(W / 2 - w.lblMsgUser->Width() / 2)));
            w.lblMsgUser->setTop(static_cast<float>(std::trunc(H / 2 - w.lblMsgUser->Height() / 2)));
        } else {
            w.lblMsgUser->hide();
        }
    }

    if (w.listIMAGEnotLoaded[p]) {                                           // 13
        w.lCountDown->setText(QStringLiteral("IMAGE MISSING - PLEASE OPEN A TICKET ON OUR WEBSITE"));
        w.lCountDown->show();
    } else {
        w.lCountDown->hide();
    }

    w.GLOBAL_IMAGE_CURRENT_POINTER = static_cast<std::int16_t>(p + 1);       // 14
    if (w.catalogueStatus == QLatin1String("1")) {                           // 15
        w.clockStatus = 0;
        prepareNextSlide();
        return;
    }
    DialogService::current().MsgBox(QStringLiteral("2 T"), MsgButtons::OK, MsgIcon::Information,   // 16
                                    QStringLiteral("?"));
    stopSequence();                                                          // 17
}
