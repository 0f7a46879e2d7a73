#pragma once

#include <QObject>
#include <QString>

struct PanelContext;

// What the clicks on the configuration panel do to the program: the setup
// request, every click on the panel, the timer fields' typing, saving, the
// confirmation that restarts the slideshow, and the picture selection with
// the own picture.
class PanelActions {
public:
    explicit PanelActions(PanelContext &context);

    void btSetup_Click();
    void SSTCfg_Click();

    void SSTCfg_timeDwLoad_KeyPress(int key);
    void SSTCfg_timeRefresh_KeyPress(int key);
    void SSTCfg_salvaConfig_Click();
    // Saves, closes the panel and starts the slideshow again with the new
    // selection; on a refused server message the program stops.
    void SSTCfg_cmdConferma_Click();

    void Tabella_Mappe_Selezionate_MouseDown();
    void Image1_Click();
    void SSTCfg_FileUser_Click();
    void SSTCfg_resetUserImg_Click();
    void ShowOwnPictureHint(const QString &folder);

private:
    PanelContext &w;
    QObject m_connections;   // ends the handlers' connections with this object
};
