// The slide-set builder and the slideshow: what they ask of the window, the
// bar and the panel, answered here by forwarding.
#include "core/FormPicture.h"

#include "acquisition/SlideSetBuilder.h"
#include "core/RunControl.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "slideshow/ControlBar.h"
#include "slideshow/LoadingAids.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"
#include "slideshow/WebCapture.h"
#include "slideshow/WebSurface.h"

namespace {
constexpr int kLightBlue = platform::vbRGB(125, 147, 230);
constexpr int kLightYellow = platform::vbRGB(255, 255, 128);
} // namespace

void FormPicture::wireShow()
{
    SlideSetBuilderHooks &h = slides->hooks;
    h.showSlide = [this](const platform::PictureRef &picture) { return slideshow->ShowSlide(picture); };
    h.closeBrowserWindows = [] { slideshow::CloseBrowserWindows(); };
    h.parkAnimation = [this] { slideshow->parkAnimation(); };
    h.captureWebPage = [this] { return slideshow->webCapture->CaptureWebPage(); };

    h.showWaitButton = [this] { bar->showWaitButton(); };
    h.enableRunButtons = [this] {
        whoWeAre->setEnabled(true);
        bar->btSetup->setEnabled(true);
        bar->btWait->setEnabled(true);
    };
    h.showCredit = [this](const QString &text) { whoWeAre->setText(text); };
    h.hideCleanupButton = [this] { bar->BtCleanup->hide(); };
    h.showRunning = [this] { timerflag->setBackColor(platform::kVbGreen); };

    h.showStatusLine = [this] {
        lCountDown->show();
        lCountDown->raise();
    };
    h.setStatusText = [this](const QString &text) { lCountDown->setText(text); };
    h.appendStatusText = [this](const QString &text) { lCountDown->setText(lCountDown->text() + text); };
    h.raiseStatusLine = [this] { lCountDown->raise(); };

    h.showSetupPanel = [this] {
        SSTCfg->LayoutPanelTabs();
        SSTCfg->setCurrentIndex(SetupPanel::TabTools);
        SSTCfg->show();
        SSTCfg->raise();
    };
    h.clearScreenForPanel = [this] {
        lVersion->hide();
        slideshow->fotoBrowser->clearPicture();
        lblMsgUser->hide();
    };
    h.closeSetupPanel = [this] {
        lVersion->hide();
        SSTCfg->hide();
    };

    h.townParameters = [this] {
        acquisition::TownParameters params;
        for (std::size_t i = 0; i < params.size(); ++i)
            params[i] = FormYourTown->PARAM[i]->text();
        return params;
    };
    slides->setLoadingView(*slideshow->loading);

    SlideshowHooks &s = slideshow->hooks;
    s.endProgram = [this] { runControl->EndProgram(); };
    s.showDisplayModeName = [this] { ShowDisplayModeName(); };
    s.markTimingFields = [this] {
        SSTCfg->SSTCfg_timeRefresh->setBackColor(kLightBlue);
        SSTCfg->SSTCfg_timeDwLoad->setBackColor(kLightBlue);
        SSTCfg->txtDisplay->setBackColor(kLightYellow);
        SSTCfg->txtDisplay2->setBackColor(kLightYellow);
    };
}
