#include "panel/PanelLayout.h"

namespace panel_layout {

namespace {

constexpr float kFieldLeft = 4700, kFieldWidth = 1150, kFieldHeight = 315;
constexpr float kUnitHeight = 255;
constexpr float kHeadingLeft = 3480, kHeadingTop = 530, kHeadingWidth = 3400, kHeadingHeight = 330;
constexpr float kToolsLinkLeft = 300, kToolsLinkTop = 650, kToolsLinkWidth = 1300,
                kToolsLinkHeight = 255;
constexpr float kHelpLeft = 234, kHelpTop = 3285, kHelpWidth = 3100, kHelpHeight = 1600;
constexpr float kLittleLeft = 117, kLittleSize = 375, kLittleLabelLeft = 740, kLittleLabelWidth = 2600;

void icon(std::vector<Placement> &out, const char *iconName, const char *captionName, float left,
          float top)
{
    out.push_back({iconName, left, top, kIconSize, kIconSize});
    if (captionName)
        out.push_back({captionName, left + kCaptionLeft, top + kCaptionBelow, kCaptionWidth,
                       kCaptionHeight});
}

void furniture(std::vector<Placement> &out, const char *background, const char *toolsLink,
               const char *heading)
{
    out.push_back({background, 0, kTabStrip, kPanelWidth, kPanelHeight - kTabStrip});
    out.push_back({toolsLink, kToolsLinkLeft, kToolsLinkTop, kToolsLinkWidth, kToolsLinkHeight});
    out.push_back({heading, kHeadingLeft, kHeadingTop, kHeadingWidth, kHeadingHeight});
}

// The column of small links to the other tabs.
void linkColumn(std::vector<Placement> &out, const char *const icons[3], const char *const labels[3])
{
    const float iconTops[3] = {910, 1820, 2223};
    const float labelTops[3] = {1000, 1880, 2320};
    for (int i = 0; i < 3; ++i) {
        out.push_back({icons[i], kLittleLeft, iconTops[i], kLittleSize, kLittleSize});
        out.push_back({labels[i], kLittleLabelLeft, labelTops[i], kLittleLabelWidth, kUnitHeight});
    }
}

} // namespace

std::vector<Placement> tabPlacements(int tab)
{
    std::vector<Placement> out;
    switch (tab) {
    case 0: {
        furniture(out, "SfondoDisplayTimer", "TextTool1", "TextDisplayTimers");
        icon(out, "SSTCfg_Download", "SSTCfg_Download2", kColumnA, kRow1);
        out.push_back({"SSTCfg_timeDwLoad", kFieldLeft, 960, kFieldWidth, kFieldHeight});
        out.push_back({"TextMinuts", kFieldLeft, 1285, kFieldWidth, kUnitHeight});
        icon(out, "SSTCfg_Aggiorna", "SSTCfg_Aggiorna2", kColumnA, kRow2);
        out.push_back({"SSTCfg_timeRefresh", kFieldLeft, 2460, kFieldWidth, kFieldHeight});
        out.push_back({"textSeconds", kFieldLeft, 2785, kFieldWidth, kUnitHeight});
        icon(out, "dyMode", "dyMode2", kColumnA, kRow3);
        out.push_back({"txtDisplay", kFieldLeft, kRow3, 2200, kFieldHeight});
        out.push_back({"txtDisplay2", kFieldLeft, kRow3, 2200, kFieldHeight});
        out.push_back({"helpTime", 6084, 845, kIconSize, kIconSize});
        out.push_back({"helpTime2", 5814, 1545, kCaptionWidth, kCaptionHeight});
        out.push_back({"Box_Help_Display_Timer", kHelpLeft, kHelpTop, kHelpWidth, kHelpHeight});
        static const char *const icons[3] = {"LittleTool00", "LittleTool02", "LittleTool03"};
        static const char *const labels[3] = {"TextDisplayTimers0", "TextPictureSelection0",
                                              "TextRunExit0"};
        linkColumn(out, icons, labels);
        break;
    }
    case 1: {
        furniture(out, "SfondoPicturSel", "TextTool3", "TextPictureSelection");
        out.push_back({"Image3", 140, 690, 150, 195});
        out.push_back({"Image1", kHeadingLeft, 855, 270, 270});
        out.push_back({"Label11", kHeadingLeft + 330, 870, 3200, kUnitHeight});
        out.push_back({"Tabella_Mappe_Selezionate", 117, 1170, 6860, 1992});
        out.push_back({"SSTCfg_LblinserisciImg", 117, 3250, 6860, kUnitHeight});
        const float rowTop = 3845;
        icon(out, "SSTCfg_FileUser", "SSTCfg_FileUser2", 338, rowTop);
        icon(out, "SSTCfg_resetUserImg", "SSTCfg_resetUserImg2", 1638, rowTop);
        icon(out, "helpImg", "helpImg2", 2938, rowTop);
        icon(out, "SSTCfg_BackUpcnf", "SSTCfg_Backupconf", 4238, rowTop);
        icon(out, "SSTCfg_Loadcnf", "SSTCfg_Loadconf", 5538, rowTop);
        // The waiting picture, shown over the list while a collection loads.
        out.push_back({"Wait_Ico", (kPanelWidth - kIconSize) / 2, 1836, kIconSize, kIconSize});
        break;
    }
    case 2: {
        furniture(out, "SfondoRunExit", "TextTool4", "TextRunExit");
        icon(out, "SSTCfg_cmdConferma", nullptr, kColumnA, kRow1);
        icon(out, "SSTCfg_cmdConferma_BW", "SSTCfg_cmdConferma2", kColumnA, kRow1);
        icon(out, "SSTCfg_ExitProgram", nullptr, kColumnA, kRow2);
        icon(out, "SSTCfg_ExitProgram_BW", "SSTCfg_ExitProgram2", kColumnA, kRow2);
        icon(out, "SSTCfg_salvaConfig", "SSTCfg_salvaConfig2", kColumnB, kRow1);
        icon(out, "nwxStatusBar", "nwxStatusBar2", kColumnB, kRow2);
        icon(out, "Cleanup", "Cleanup2", kColumnB, kRow2);
        icon(out, "helpEsegui", "helpEsegui2", kColumnA, kRow3);
        icon(out, "YourTownIco", "YourTownLbl", kColumnB, kRow3);
        out.push_back({"Box_Help_Run_Exit", kHelpLeft, kHelpTop, kHelpWidth, kHelpHeight});
        static const char *const icons[3] = {"LittleTool30", "LittleTool32", "LittleTool33"};
        static const char *const labels[3] = {"TextDisplayTimers3", "TextPictureSelection3",
                                              "TextRunExit3"};
        linkColumn(out, icons, labels);
        break;
    }
    case 3:
        furniture(out, "SfondoTools", "TextTool5", "TextTools");
        icon(out, "IcoSwapSST0", "IcoSwapSST02", kColumnA, kRow1);
        icon(out, "IcoSwapSST2", "IcoSwapSST22", kColumnA, kRow2);
        icon(out, "IcoSwapSST3", "IcoSwapSST32", kColumnB, kRow2);
        icon(out, "RunTeamViewer", "IcoHelpTools2", kColumnA, kRow3);
        icon(out, "IcoSwapSST6", "LabelLanguage", kColumnB, kRow3);
        out.push_back({"LeftTipText", kHelpLeft, 1521, kHelpWidth, 3300});
        break;
    default:
        break;
    }
    return out;
}

Placement saveBarPlacement()
{
    return {"BarSaveAllBG", (kPanelWidth - kSaveBarWidth) / 2, 4975, kSaveBarWidth, 60};
}

std::vector<int> saveProgressWidths(float backgroundWidth)
{
    std::vector<int> widths;
    const int limit = static_cast<int>(backgroundWidth);
    for (int w = 1; w <= limit; w += static_cast<int>(kSaveBarStep))
        widths.push_back(w);
    return widths;
}

} // namespace panel_layout
