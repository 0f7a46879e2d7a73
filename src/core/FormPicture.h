#pragma once

#include "panel/PanelContext.h"
#include "state/AppState.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"
#include "platform/Controls.h"
#include "platform/VbTimer.h"
#include "settings/SettingsFiles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QFrame>
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <array>
#include <memory>

class SetupPanel;
class ControlBar;
class PanelActions;
class Collections;
class SlideSetBuilder;
class Slideshow;
class RunControl;
class Catalogue;
class ProxyFiles;
class LanguageFiles;
class TownFiles;
class ConnectionFrame;
class LanguageFrame;
class TownFrame;
class HelpActions;
class Diagnostics;
class KioskInput;
class RemoteRequests;
namespace remote {
class Remote;
}

// How the process was started.
struct StartOptions {
    QString appDir;        // the program's own folder
    QString commandLine;   // the command-line text, words separated by "-"
};

// The main window. It holds the program's state and the controls of the
// window design, and wires the subsystems together; the work itself is done
// by the subsystems it owns.
class FormPicture : public QWidget, public AppState, public WindowClocks, public MainLabels {
    Q_OBJECT
public:
    explicit FormPicture(StartOptions options, QWidget *parent = nullptr);
    ~FormPicture() override;

    // The window's load handler. False when the program cannot run (its work
    // folders cannot be created); the message has been shown then.
    bool Form_Load();

    // Start-up steps.
    void Splitta10(const QString &text);
    QStringList Splitta5(const QString &toSplit);
    void SetPortablePath();
    bool MakeWorkFolders();
    void LoadStartupConfiguration();
    void LockRunButtons();
    void ShowDisplayModeName();

    // The slide set (see SlideSetBuilder).
    bool BuildSlideSet(int mode);
    void OpenSetupPanel();

    // Wiring of each subsystem group to the window and the panel, once every
    // subsystem exists.
    void wireSettings();

    static QString versionLabel();
    static QString productBanner();

    SettingsFiles settings;
    // What the panel's objects work on.
    PanelContext panelContext;

    // Controls of the main window.
    SetupPanel *SSTCfg;
    TownFrame *FormYourTown;                    // the home-town form
    ConnectionFrame *Frame_Select_Connection;
    LanguageFrame *Frame_Select_Language;
    std::unique_ptr<ControlBar> bar;   // the control bar along the bottom edge
    std::unique_ptr<Slideshow> slideshow;        // drawing slides, the slideshow clock
    std::unique_ptr<SlideSetBuilder> slides;     // building and loading the slide set
    std::unique_ptr<RunControl> runControl;      // run commands, quit, reset
    std::unique_ptr<Catalogue> catalogue;        // catalogue server exchange, connection clock
    std::unique_ptr<ProxyFiles> proxyFiles;      // connection settings
    std::unique_ptr<LanguageFiles> languageFiles;
    std::unique_ptr<TownFiles> townFiles;
    std::unique_ptr<PanelActions> panel;         // what clicks on the panel do
    std::unique_ptr<Collections> collections;    // collection files saved and loaded from the panel
    std::unique_ptr<HelpActions> help;           // help page, remote assistance, About
    std::unique_ptr<Diagnostics> diagnostics;    // the diagnostic windows
    std::unique_ptr<KioskInput> kiosk;           // keys, pointer, screen blanking
    std::unique_ptr<RemoteRequests> remoteRequests;   // what the remote control asks, carried out
    std::unique_ptr<remote::Remote> remote;      // MQTT; none unless CIRROLITH_MQTT names a broker

    bool blackBackground() const { return m_blackBackground; }

    // Covers the primary screen; also where no window manager honours the
    // full-screen request.
    void showCoveringScreen();
    // Lays the window out again for its real size when that is not the
    // size it was laid out for.
    void followWindowSize();

    // The five window timers are held (enabled but not counting) from
    // construction until showCoveringScreen has put the window on screen.
    void releaseTimers();

    // Connects each subsystem to the parts above it, once every part exists.
    void wireCatalogue();

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Each subsystem group's calls upwards, set once every subsystem exists.
    void wireShow();

    void placeForScreen(double screenW, double screenH);
    void placeStatusLabels(double screenW, double screenH);
    void watchWindow();
    void keepFullScreenLater();

    StartOptions m_options;
    bool m_blackBackground = false;
    bool m_wantFullScreen = false;
    bool m_fullScreenAskPending = false;
    bool m_surfaceRecreated = false;
    static constexpr int kFullScreenAsksPerMinute = 6;
    QElapsedTimer m_fullScreenAsks;
    int m_fullScreenAskCount = 0;
    QPointer<QWindow> m_watchedWindow;
};
