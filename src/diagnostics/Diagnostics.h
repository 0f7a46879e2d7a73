#pragma once

#include "state/DiagnosticsSink.h"

#include <QObject>
#include <QPointer>

#include <functional>

struct AppState;
struct WindowClocks;
struct MainLabels;
class ControlBar;
class QWidget;
class DisplayDebug;
class DisplayDebug2;

// What the diagnostic windows ask of the window above them.
struct DiagnosticsHooks {
    // Opens the help page (the bar's help button outside debug mode).
    std::function<void()> openOnlineHelp;
    // Puts the captions and help texts of the current language back.
    std::function<void()> applyLanguage;
};

// The two diagnostic windows and their handlers. The status window exists in
// every run (several parts of the program write into it), shown only in
// debug mode; the list viewer comes up from the bar's help button in debug
// mode. Both are created on first access, hidden.
class Diagnostics : public DiagnosticsSink {
public:
    // The windows are made children of window; the bar's help button opens
    // the list viewer.
    Diagnostics(AppState &state, WindowClocks &clocks, MainLabels &labels, ControlBar &bar, QWidget &window);
    ~Diagnostics() override;

    // What the other subsystems write into the windows.
    void refreshDump() override { RefreshDebugDump(); }
    void replyArrived() override { ShowReplyArrived(); }
    void showProxy(const QString &host, const QString &port, const QString &user,
                   const QString &password) override;
    void slideListCleared() override;
    void slideListLine(const QString &line) override;
    void slideListDone(int slideIntervalMs) override;
    void showSlideAddress(const QString &address) override;

    DisplayDebug &debugWindow();
    bool debugWindowExists() const { return !m_debug.isNull(); }
    // The run control's tick count, written while the window is on screen:
    // a hidden box would lay its text out twice a second for nobody.
    void showPanTick();
    DisplayDebug2 &listViewer();
    bool listViewerExists() const { return !m_viewer.isNull(); }

    // Start-up in debug mode: the status window shown and in front.
    void LoadAndShow();
    // Destroys the status window (stop and quit in debug mode).
    void Unload();
    // Its timer is held, like the main window's, until the main window is on
    // screen.
    void releaseTimers();

    // Writes the list dump when the window's Aggiorna box is ticked.
    void RefreshDebugDump();
    // After a catalogue reply in debug mode: the note box repainted and the
    // window in front (a hidden window stays hidden).
    void ShowReplyArrived();

    void btHelp_Click();

    void dbDisplay_Timer();
    void dbSetDwload_Click();
    void FlagflagCmdButton_Click();
    void ViewClockStatus_Click();
    void RunCalcolaSchermo_Click();
    void Delete_Help_box_Click();
    void Text1_DblClick();
    void Command_Nascondi_Click();
    void ListData_txt_Click(int index);

    DiagnosticsHooks hooks;

private:
    void wire(DisplayDebug &d);

    AppState &s;
    WindowClocks &clocks;
    MainLabels &labels;
    QWidget &window;
    QPointer<DisplayDebug> m_debug;
    QPointer<DisplayDebug2> m_viewer;
    bool m_timersReleased = false;
    QObject m_connections;
};
