#pragma once

#include <vector>

// Where every control of the configuration panel sits, in twips relative to
// the panel's top-left corner. Pure data: the panel applies it, tests read it.
namespace panel_layout {

constexpr float kPanelWidth = 7095;
constexpr float kPanelHeight = 5055;
constexpr float kTabStrip = 500;   // the tab captions; the pages' pictures start below

// Big icons stand in two columns and three rows; a caption sits under each.
constexpr float kColumnA = 3721, kColumnB = 5021;
constexpr float kRow1 = 845, kRow2 = 2345, kRow3 = 3845;
constexpr float kIconSize = 660;
constexpr float kCaptionWidth = 1200, kCaptionHeight = 420;
constexpr float kCaptionLeft = -270, kCaptionBelow = 700;

struct Placement {
    const char *name;
    float left, top, width, height;
};

// The controls of one tab (0 Display Timers, 1 Pictures Selection, 2 Run -
// Exit, 3 Tools), in the order they are placed.
std::vector<Placement> tabPlacements(int tab);

// The save-progress bars: placed once, on top of every tab.
Placement saveBarPlacement();
constexpr float kSaveBarWidth = 2000;
constexpr float kSaveBarStep = 25;

// The foreground widths the save-progress animation goes through.
std::vector<int> saveProgressWidths(float backgroundWidth);

} // namespace panel_layout
