#pragma once

#include "state/AppState.h"
#include "state/MainLabels.h"
#include "state/WindowClocks.h"

#include <memory>

class Catalogue;
class Collections;
class ConnectionFrame;
class ControlBar;
class Diagnostics;
class HelpActions;
class LanguageFiles;
class LanguageFrame;
class ProxyFiles;
class SettingsFiles;
class SetupPanel;
class SlideSetBuilder;
class Slideshow;
class TownFiles;
class TownFrame;
class QWidget;

// What the panel's handlers work on: the program's state and the subsystems
// below the panel. It refers to the main window's own members, so a
// subsystem made after a panel object is still reached through it; no
// handler runs before the window is constructed.
struct PanelContext {
    QWidget &window;
    AppState &state;
    WindowClocks &clocks;
    MainLabels &labels;
    SetupPanel *&SSTCfg;
    TownFrame *&FormYourTown;
    ConnectionFrame *&Frame_Select_Connection;
    LanguageFrame *&Frame_Select_Language;
    std::unique_ptr<ControlBar> &bar;
    SettingsFiles &settings;
    std::unique_ptr<ProxyFiles> &proxyFiles;
    std::unique_ptr<LanguageFiles> &languageFiles;
    std::unique_ptr<TownFiles> &townFiles;
    std::unique_ptr<Catalogue> &catalogue;
    std::unique_ptr<SlideSetBuilder> &slides;
    std::unique_ptr<Slideshow> &slideshow;
    std::unique_ptr<Diagnostics> &diagnostics;
    std::unique_ptr<Collections> &collections;
    std::unique_ptr<HelpActions> &help;
};
