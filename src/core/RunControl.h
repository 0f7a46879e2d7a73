#pragma once

#include <QString>

class FormPicture;

// Carries out the run command at each tick of panControl while the slideshow
// clock is idle, and handles quitting, the configuration reset and the
// restart that follows it.
class RunControl {
public:
    explicit RunControl(FormPicture &form);

    void panControl_Timer();
    void UnlockRunButtons();

    // The slideshow keys waiting in the state: carried out at once when
    // nothing ticks, else at the run control's next tick.
    void carryOutKeysSoon();

    void btTermina_Click();            // quit from the bar, nothing saved
    void SSTCfg_ExitProgram_Click();   // save and close at the next tick, or now
    // A quit key: save and close as soon as the key's event is handled, when
    // the slideshow clock is idle; else the run control's next tick does it.
    void saveAndCloseSoon();
    // True when the next panControl tick carries out the run command: the
    // timer runs and the slideshow clock is idle. While a build, a download
    // or a page capture holds the clock, a quit must not wait for it.
    bool canActAtNextTick() const;
    void Cleanup_Click();              // configuration reset
    void BtCleanup_Click();            // reset from the bar: no restart

    // Ends the program after a fatal condition: nothing more ticks.
    void EndProgram();

    // Starts the program's own executable again. False when it cannot start.
    bool restartProgram();
    QString executablePath() const;

    // True from the start of the save-and-close sequence: one quit, one save.
    bool closing() const { return m_closing; }

private:
    void saveAndClose();
    void closeWindow();
    // True when a key was carried out (the slide tick ran or the pause changed).
    bool carryOutKeys();
    // True when the slide tick ran to ask an unavailable server again.
    bool retryServer();
    void retryPanelCatalogue();
    void setPaused(bool paused);
    void showPausedSign();
    bool m_inTick = false;

    FormPicture &w;
    bool m_closing = false;
};
