#pragma once

#include "platform/Controls.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

// The configuration panel: a tab control shown over the slideshow. Its
// controls carry the running settings (timers, display mode, own picture,
// selection), so they exist for the whole run, shown or not.
class SetupPanel : public platform::Vb<QTabWidget> {
    Q_OBJECT
public:
    enum Tab { TabDisplayTimers = 0, TabPictureSelection = 1, TabRunExit = 2, TabTools = 3 };

    static constexpr float kWidth = 7095;
    static constexpr float kHeight = 5055;

    explicit SetupPanel(QWidget *parent);

    QWidget *pageDisplayTimers;
    QWidget *pagePictureSelection;
    QWidget *pageRunExit;
    QWidget *pageTools;

    // Display Timers
    platform::Vb<QLineEdit> *SSTCfg_timeDwLoad;
    platform::Vb<QLineEdit> *SSTCfg_timeRefresh;
    platform::Vb<QLineEdit> *txtDisplay;    // hidden: the stored mode
    platform::Vb<QLineEdit> *txtDisplay2;   // the mode's name in the user's language

    // Pictures Selection
    platform::Vb<QListWidget> *Tabella_Mappe_Selezionate;
    platform::Label *SSTCfg_LblinserisciImg;

    // Run - Exit
    platform::Image *SSTCfg_cmdConferma;
    platform::Image *SSTCfg_cmdConferma_BW;
    platform::Label *SSTCfg_cmdConferma2;
    platform::Image *SSTCfg_ExitProgram;
    platform::Image *SSTCfg_ExitProgram_BW;
    platform::Image *SSTCfg_ExitProgram2;
    platform::Image *SSTCfg_salvaConfig;
    platform::Image *SSTCfg_salvaConfig2;
    platform::Image *Cleanup;
    platform::Image *Cleanup2;
};
