#include "core/RunControl.h"

#include "acquisition/SlideSetBuilder.h"
#include "catalogue/Catalogue.h"
#include "core/FormPicture.h"
#include "core/RemoteRequests.h"
#include "diagnostics/DebugWindows.h"
#include "diagnostics/Diagnostics.h"
#include "panel/SetupPanel.h"
#include "settings/TownFiles.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/ProcessEnd.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <utility>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

struct DoneMessage {
    const char *text;
    const char *title;
};

std::optional<DoneMessage> cleanupDone(int lingua)
{
    switch (lingua) {
    case LinguaEnglish: return DoneMessage{"Configuration cleaned, Click to restart", "Warning!"};
    case LinguaItalian:
        return DoneMessage{"La configurazione \xC3\xA8 stata azzerata. Click per riavviare", "Attenzione!"};
    case LinguaFrench: return DoneMessage{"Configuration cleaned, Click to restart", "Attention !"};
    case LinguaSpanish:
        return DoneMessage{"La impostaci\xC3\xB3n borrarse. Click to Reencaminar ", "Atenci\xC3\xB3n!"};
    default: return std::nullopt;
    }
}

} // namespace

RunControl::RunControl(FormPicture &form) : w(form)
{
    w.panControl.setHandler([this] { panControl_Timer(); });

    SetupPanel &panel = *w.SSTCfg;
    QObject::connect(w.bar->btTermina, &platform::ClickLabel::clicked, &w, [this] {
        qCInfo(lcRun, "quitting: the bar's quit button, nothing saved");
        btTermina_Click();
    });
    QObject::connect(w.bar->BtCleanup, &platform::ClickLabel::clicked, &w, [this] { BtCleanup_Click(); });
    for (platform::Image *exit : {panel.SSTCfg_ExitProgram, panel.SSTCfg_ExitProgram2})
        QObject::connect(exit, &platform::ClickLabel::clicked, &w, [this] { SSTCfg_ExitProgram_Click(); });
    for (platform::Image *cleanup : {panel.Cleanup, panel.Cleanup2})
        QObject::connect(cleanup, &platform::ClickLabel::clicked, &w, [this] { Cleanup_Click(); });
}

void RunControl::panControl_Timer()
{
    ++w.panTickCount;                                                          // 1
    w.diagnostics->showPanTick();
    // A line edit lays its text out again on every set, even the same text.
    if (const QString flag = QString::number(w.flagCmdButton); w.timerflag->text() != flag)
        w.timerflag->setText(flag);
    if (w.clockStatus != 0)                                                    // 2
        return;

    SetupPanel &panel = *w.SSTCfg;
    m_inTick = true;
    switch (w.flagCmdButton) {                                                 // 3
    case CmdRun:
        if (!carryOutKeys() && !retryServer() && !w.imgClock.Enabled() && !w.slideshowPaused && !w.screenOff)
            w.imgClock.setEnabled(true);
        break;
    case CmdOpenPanel:
        setPaused(false);
        w.LockRunButtons();
        panel.SSTCfg_ExitProgram2->show();
        w.cntCounterDwLoadImage = 0;
        w.cntCounterRefresh = 0;
        w.panControl.setEnabled(false);
        w.townFiles->ReadMyTown();
        w.timerflag->setBackColor(platform::kVbRed);
        w.slides->OpenSetupPanel();
        w.panControl.setEnabled(true);
        w.timerflag->setBackColor(platform::kVbGreen);
        w.flagCmdButton = CmdPanelOpen;
        break;
    case CmdPanelOpen:
        UnlockRunButtons();
        retryPanelCatalogue();
        break;
    case CmdSaveAndClose:
        saveAndClose();
        break;
    default:
        break;
    }
    m_inTick = false;
}

void RunControl::carryOutKeysSoon()
{
    // Queued, so the key's own event has been handled first; a tick under
    // way (of the slideshow clock or of this control) leaves the keys for
    // the next one.
    QTimer::singleShot(0, &w, [this] {
        if (!m_inTick && w.clockStatus == 0 && w.flagCmdButton == CmdRun && !w.ExitToProgram &&
            w.panControl.Enabled())
            carryOutKeys();
    });
}

bool RunControl::carryOutKeys()
{
    // The remote control's own requests (the screen, a collection, the slide
    // time) come first; while the screen is off nothing steps.
    const bool remoteDone = w.remoteRequests->carryOut();
    const int steps = std::exchange(w.keySteps, std::int16_t(0));
    const bool reload = std::exchange(w.keyReload, false);
    const bool toggle = std::exchange(w.keyPauseToggle, false);
    if (toggle)
        setPaused(!w.slideshowPaused);
    if (!reload && (steps == 0 || w.slideCount <= 0))
        return toggle || remoteDone;

    // The slide tick draws the slide at the pointer and moves it on by one:
    // the pointer is one past the slide on screen.
    const int n = w.slideCount;
    if (steps != 0 && n > 0) {
        const int shown = w.GLOBAL_IMAGE_CURRENT_POINTER - 1;
        const int target = (((shown + steps) % n) + n) % n;
        w.GLOBAL_IMAGE_CURRENT_POINTER = static_cast<std::int16_t>(target);
        // The n-th animation of a pass plays the n-th animated-GIF file.
        std::int16_t animation = 1;
        for (int k = 0; k < target && k < kListSize; ++k)
            if (w.listImageProperties[k] == 4)
                ++animation;
        w.cntAniGif = animation;
        qCInfo(lcShow, "key: slide %d of %d", target + 1, n);
    }
    if (reload)
        qCInfo(lcShow, "key: reload now");
    w.imgClock.setEnabled(false);
    w.slideshow->imgClock_Timer(reload ? Slideshow::TickBy::ReloadKey : Slideshow::TickBy::StepKey);
    if (w.slideshowPaused)
        showPausedSign();
    return true;
}

bool RunControl::retryServer()
{
    // The server was unavailable and its wait is over: asked now, not at
    // the end of a slide that may last minutes.
    if (w.catalogueLoaded != 0 || !w.serverUnavailable || w.slideshowPaused || w.screenOff ||
        !w.catalogue->retryDue())
        return false;
    w.imgClock.setEnabled(false);
    w.slideshow->imgClock_Timer(Slideshow::TickBy::Retry);
    return true;
}

void RunControl::retryPanelCatalogue()
{
    // The panel opened without any catalogue to list: it is asked again on
    // the schedule, and the list fills when it comes. A list the user may
    // be working on is never replaced.
    if (w.fullCatalogueWanted != 1 || w.catalogueLoaded != 0 || w.running.rowCount() != 0 ||
        !w.serverUnavailable || !w.catalogue->retryDue() || w.replyReady == 0)
        return;
    w.panControl.setEnabled(false);
    w.catalogue->SyncCatalogue(1);
    w.panControl.setEnabled(true);
}

void RunControl::setPaused(bool paused)
{
    if (paused == w.slideshowPaused)
        return;
    w.slideshowPaused = paused;
    qCInfo(lcShow, paused ? "paused" : "going on");
    if (paused) {
        w.imgClock.setEnabled(false);
        showPausedSign();
    } else {
        w.lCountDown->hide();
    }
}

void RunControl::showPausedSign()
{
    w.lCountDown->setText(QStringLiteral("      II  PAUSED - Space goes on"));
    w.lCountDown->show();
}

void RunControl::saveAndClose()
{
    if (w.ExitToProgram || m_closing)
        return;
    m_closing = true;
    SetupPanel &panel = *w.SSTCfg;
    w.slideshow->fotoBrowser->clearPicture();
    panel.hide();
    w.panControl.setEnabled(false);
    w.timerflag->setBackColor(platform::kVbRed);
    w.lVersion->hide();
    panel.SSTCfg_cmdConferma->setEnabled(false);
    panel.SSTCfg_ExitProgram->setEnabled(false);
    panel.SSTCfg_ExitProgram_BW->show();
    panel.SSTCfg_ExitProgram_BW->setEnabled(true);
    if (w.restartPending) {
        qCInfo(lcRun, "quitting to start again after the configuration reset");
    } else {
        // The save tells its own outcome; whatever the disk does, a failure
        // notice closes by itself and the quit goes on.
        qCInfo(lcRun, "quitting: saving the settings");
        w.settings.SaveConfig(SettingsFiles::OnFailure::NoticeWhileQuitting);
    }
    w.ExitToProgram = true;
    if (w.debugMode == 1)
        w.diagnostics->Unload();
    closeWindow();
    if (w.restartPending)
        restartProgram();
}

void RunControl::UnlockRunButtons()
{
    SetupPanel &p = *w.SSTCfg;
    p.SSTCfg_ExitProgram->show();
    p.SSTCfg_ExitProgram->setEnabled(true);
    p.Cleanup->show();
    p.Cleanup2->show();
    p.Cleanup2->setEnabled(true);
    p.Cleanup->setEnabled(true);
    p.Cleanup2->setText(QStringLiteral("Cleanup Configur."));
    p.SSTCfg_ExitProgram_BW->hide();
    p.SSTCfg_ExitProgram_BW->setEnabled(false);
    p.SSTCfg_ExitProgram2->setText(QStringLiteral("Exit Progr."));
    p.SSTCfg_cmdConferma->show();
    p.SSTCfg_cmdConferma->setEnabled(true);
    p.SSTCfg_cmdConferma_BW->hide();
    p.SSTCfg_cmdConferma_BW->setEnabled(false);
}

void RunControl::btTermina_Click()
{
    w.ExitToProgram = true;
    w.generalClock.setEnabled(false);
    if (w.debugMode == 1)
        w.diagnostics->Unload();
    closeWindow();
}

bool RunControl::canActAtNextTick() const
{
    return w.panControl.Enabled() && !w.panControl.held() && w.clockStatus == 0;
}

void RunControl::SSTCfg_ExitProgram_Click()
{
    w.flagCmdButton = CmdSaveAndClose;
    // Nothing may hold a quit: with the run control waiting for a download
    // or a page, the quit is carried out here.
    if (!canActAtNextTick())
        saveAndClose();
}

void RunControl::saveAndCloseSoon()
{
    // Waiting up to a second for the tick would eat into the quit's bound.
    QTimer::singleShot(0, &w, [this] {
        if (w.flagCmdButton == CmdSaveAndClose && !m_inTick && canActAtNextTick())
            saveAndClose();
    });
}

void RunControl::Cleanup_Click()
{
    // The connection clock waits while the reset asks: its question would
    // open inside these message boxes and write the proxy file again after
    // the reset removed it.
    const bool clockHeld = w.generalClock.held();
    w.generalClock.setHeld(true);
    const MsgResult answer = DialogService::current().MsgBox(
        QStringLiteral("ALL CONFIGURATIONS WILL BE DELETED AND APP. RESTARTED,\r\nARE YOU SURE ?"),
        MsgButtons::OKCancel, MsgIcon::None, QStringLiteral("Test message"));
    if (answer != MsgResult::OK) {
        DialogService::current().MsgBox(QStringLiteral("CLEANUP ABORTED"), MsgButtons::OK);
        w.generalClock.setHeld(clockHeld);
        return;
    }
    w.restartPending = true;   // from here on nothing saves settings again
    w.generalClock.setEnabled(false);
    w.settings.DeleteConfigFiles();
    if (const auto done = cleanupDone(w.Lingua))
        DialogService::current().MsgBox(QString::fromUtf8(done->text), MsgButtons::OK,
                                        MsgIcon::Information, QString::fromUtf8(done->title));
    // A question that was open below the reset wrote its answer meanwhile.
    w.settings.DeleteConfigFiles();
    w.flagCmdButton = CmdSaveAndClose;
}

void RunControl::BtCleanup_Click()
{
    Cleanup_Click();
    if (w.restartPending)
        btTermina_Click();
}

void RunControl::EndProgram()
{
    qCWarning(lcRun, "quitting: the program cannot go on");
    w.ExitToProgram = true;
    closeWindow();
}

void RunControl::closeWindow()
{
    // Nothing may tick into a closed window.
    for (platform::VbTimer *t : w.timers())
        t->setEnabled(false);
    w.close();
    // Ends the process within a moment, whatever wait is under way below us.
    platform::ProcessEnd::request(0);
}

QString RunControl::executablePath() const { return w.appPath + QStringLiteral("/cirrolith"); }

bool RunControl::restartProgram()
{
    // With the same words (LOCALHOST, DEBUG_CODE, ...) as this start.
    const bool started =
        QProcess::startDetached(executablePath(), QCoreApplication::arguments().mid(1), w.PortablesPath);
    if (started)
        qCInfo(lcRun, "started again after the configuration reset");
    else
        qCWarning(lcRun, "cannot start %s again after the configuration reset", qPrintable(executablePath()));
    return started;
}
