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
#include "state/DiagnosticsSink.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <cmath>

using platform::DialogService;
using platform::MsgButtons;
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

