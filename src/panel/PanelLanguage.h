#pragma once

class QWidget;
class SetupPanel;

// Applies a language to the captions and tooltips of the window's controls,
// found by name among its children, then the panel's help texts. The panel
// is left on its Tools tab.
void ApplyLanguage(SetupPanel &panel, QWidget &window, int lingua);
// The help texts and the clear-list caption only; also run each time the panel opens.
void ApplyHelpTexts(SetupPanel &panel, int lingua);
