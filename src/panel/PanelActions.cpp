#include "panel/PanelActions.h"

#include "acquisition/SlideSetBuilder.h"
#include "anigif/ucAniGIF.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueProtocol.h"
#include "panel/PanelContext.h"
#include "diagnostics/Diagnostics.h"
#include "panel/PanelLanguage.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "settings/LanguageFiles.h"
#include "settings/SettingsFiles.h"
#include "settings/TownFiles.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"

#include <QDir>

using platform::ClickLabel;
using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;

PanelActions::PanelActions(PanelContext &context) : w(context)
{
    SetupPanel &p = *w.SSTCfg;
    auto on = [this](auto *sender, auto signal, auto handler) {
        QObject::connect(sender, signal, &m_connections, handler);
    };
    on(w.bar->btSetup, &ClickLabel::clicked, [this] { btSetup_Click(); });
    on(&p, &SetupPanel::panelClicked, [this] { SSTCfg_Click(); });
    on(p.SSTCfg_timeDwLoad, &PanelField::keyTyped, [this](int key) { SSTCfg_timeDwLoad_KeyPress(key); });
    on(p.SSTCfg_timeRefresh, &PanelField::keyTyped, [this](int key) { SSTCfg_timeRefresh_KeyPress(key); });
    for (ClickLabel *save : {p.SSTCfg_salvaConfig, p.SSTCfg_salvaConfig2})
        on(save, &ClickLabel::clicked, [this] { SSTCfg_salvaConfig_Click(); });
    on(p.Tabella_Mappe_Selezionate, &SelectionList::mouseDown,
       [this] { Tabella_Mappe_Selezionate_MouseDown(); });
    on(p.Image1, &ClickLabel::clicked, [this] { Image1_Click(); });
    on(p.SSTCfg_FileUser, &ClickLabel::clicked, [this] { SSTCfg_FileUser_Click(); });
    on(p.SSTCfg_resetUserImg, &ClickLabel::clicked, [this] { SSTCfg_resetUserImg_Click(); });
    for (ClickLabel *confirm : {p.SSTCfg_cmdConferma, p.SSTCfg_cmdConferma2})
        on(confirm, &ClickLabel::clicked, [this] { SSTCfg_cmdConferma_Click(); });

    // Pages whose work belongs to other subsystems.
    on(p.dyMode, &ClickLabel::clicked, [this] { w.slideshow->dyMode_Click(); });
    on(p.IcoSwapSST6, &ClickLabel::clicked, [this] { w.languageFiles->ChangeLanguage(); });
    on(p.YourTownIco, &ClickLabel::clicked, [this] { w.FormYourTown->ShowMyTownForm(); });
}

void PanelActions::btSetup_Click()
{
    w.slideshow->ucAniGIF1->setDelayAnimation(2);                             // 1
    w.slideshow->ucAniGIF1->hide();
    // The show stops before anything below may ask the user (the town form,
    // the collections message): no slide or animation goes on behind them,
    // and the panel opens over a cleared screen.
    const bool idle = w.state.clockStatus == 0;
    if (idle) {                                                                // 5
        w.labels.whoWeAre->setEnabled(false);
        w.bar->btSetup->setEnabled(false);
        w.state.flagCmdButton = CmdOpenPanel;
        w.clocks.imgClock.setEnabled(false);
        w.slideshow->ucAniGIF1->setAction(ucAniGIF::Stop);
        w.slideshow->fotoBrowser->clearPicture();
        w.labels.lblMsgUser->hide();
    }
    w.townFiles->LoadMyTown();                                                 // 2
    w.SSTCfg->ShowCollectionControls();                                        // 3
    // Neither waits on the server: the version file is taken when it comes,
    // and the collections are fetched only while the server answers.
    w.catalogue->CheckVersionInBackground();
    if (!w.state.serverUnavailable)
        w.catalogue->DownloadCollections();
    ApplyHelpTexts(*w.SSTCfg, w.state.Lingua);                                                         // 4
}

void PanelActions::SSTCfg_Click()
{
    SetupPanel &p = *w.SSTCfg;
    p.ShowCollectionControls();
    p.SSTCfg_timeDwLoad_LostFocus();
    p.SSTCfg_timeRefresh_LostFocus();
    // The slides' kinds are left alone: they describe what is loaded, and a
    // confirmation of the same selection loads nothing again (an animation
    // cleared here would be shown as a still). A build that loads a slot
    // sets its kind afresh.
    const bool changed = w.state.settingsChanged == 1;
    p.SSTCfg_salvaConfig->setEnabled(changed);
    p.SSTCfg_salvaConfig2->setEnabled(changed);
}

void PanelActions::SSTCfg_timeDwLoad_KeyPress(int)
{
    w.state.settingsChanged = 1;
    w.SSTCfg->SSTCfg_timeDwLoad->setFocus();
}

void PanelActions::SSTCfg_timeRefresh_KeyPress(int) { w.state.settingsChanged = 1; }

void PanelActions::SSTCfg_salvaConfig_Click()
{
    w.settings.saveAll();
    w.SSTCfg->ShowSaveProgress();
}

void PanelActions::SSTCfg_cmdConferma_Click()
{
    SetupPanel &p = *w.SSTCfg;
    ControlBar &bar = *w.bar;
    w.catalogue->CheckVersionInBackground();                                   // 1
    p.SSTCfg_ExitProgram->setEnabled(false);                                   // 2
    p.SSTCfg_ExitProgram_BW->show();
    p.SSTCfg_ExitProgram_BW->setEnabled(true);
    p.hide();                                                                  // 3
    w.labels.lVersion->hide();
    platform::EventPump::Sleep(200);
    w.settings.saveAll();                                                      // 4
    w.state.webLoading = 1;                                                          // 5
    w.clocks.utilityTmr.setEnabled(true);
    w.labels.lCountDown->setText(QString());                                          // 6
    w.labels.lCountDown->show();
    w.labels.lCountDown->raise();
    bar.btSetup->hide();
    bar.btWait->show();
    bar.btHelp->setVisible(bar.btSetup->Visible());
    w.state.ranVal = Slideshow::RandomRefreshMinute();                               // 7

    const bool answered = w.catalogue->RequestCatalogue(                       // 8
        w.state.catalogueAddress + catalogue::serverMessageQuery(catalogue::ClientValues::of(w.state)),
        catalogue::KindServerMessage);
    if (!answered && (platform::EventPump::quitRequested() || w.state.ExitToProgram)) {
        // The program is closing: the missing reply is no refusal, and the
        // settings just saved stay.
        return;
    }
    const bool noAnswer = !answered && w.catalogue->lastRequestUnanswered();
    if (!answered && !noAnswer) {                                              // 9
        // Only a reply that refuses this client resets the configuration.
        w.settings.DeleteConfigFiles();
        DialogService::current().MsgBox(QStringLiteral("U ERR"), MsgButtons::OK, MsgIcon::Critical,
                                        QStringLiteral("Error!"));
        w.state.flagCmdButton = CmdSaveAndClose;
    } else if (noAnswer || w.state.running.rowCount() == 0) {
        // The server is unavailable, or no catalogue reached the panel: the
        // selection just saved is synchronised in the background when the
        // server answers; the set there was goes on meanwhile. Nobody waits.
        w.state.webLoading = 0;
        w.state.catalogueLoaded = 0;
        w.state.fullCatalogueWanted = 0;
        bar.showSetupButton();
        w.labels.lCountDown->hide();
        w.catalogue->showUnavailable();
        w.state.flagCmdButton = CmdRun;
    } else if (w.slides->BuildSlideSet(0)) {                                           // 10
        w.state.webLoading = 0;
        w.state.flagCmdButton = CmdRun;
    } else {
        w.labels.lCountDown->hide();
        bar.btWait->hide();
        bar.btSetup->show();
        bar.btHelp->setVisible(bar.btSetup->Visible());
        w.state.webLoading = 0;
    }
    w.diagnostics->RefreshDebugDump();                                         // 11
}

void PanelActions::Tabella_Mappe_Selezionate_MouseDown() { w.state.settingsChanged = 1; }

void PanelActions::Image1_Click()
{
    w.state.running.clearSelection();
    const QString text =
        w.state.Lingua == LinguaItalian
            ? QStringLiteral("Lista cancellata - prego selezionare minimo 2 immagini o caricare una collection")
            : QStringLiteral("List cleaned - please select min. 2 pictures or load collection");
    DialogService::current().MsgBox(text, MsgButtons::OK);
}

void PanelActions::ShowOwnPictureHint(const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    const QString text =
        w.state.Lingua == LinguaItalian
            ? QStringLiteral("Puoi aggiungere fino a 9 altre immagini personali .jpg\r\nCopiale nella cartella ") + shown
            : QStringLiteral("You can add up 9 .jpg own pictures.\r\nPut files in folder ") + shown;
    DialogService::current().MsgBox(text, MsgButtons::OK);
}

void PanelActions::SSTCfg_FileUser_Click()
{
    ShowOwnPictureHint(w.state.Cirrolith_Slide_Dir);
    platform::OpenFileRequest request;
    request.folder = QDir::currentPath();
    const QString chosen = DialogService::current().ShowOpenFile(request);
    // A cancelled dialog keeps the picture chosen before: what is shown, saved
    // and used stays the same.
    if (chosen.isEmpty())
        return;
    w.state.ownPictureFile = chosen;
    w.state.running.setOwnPicture(chosen);
    w.state.settingsChanged = 1;
}

void PanelActions::SSTCfg_resetUserImg_Click()
{
    w.state.settingsChanged = 1;
    w.state.running.setOwnPicture(QString());
    w.state.ownPictureFile.clear();
}
