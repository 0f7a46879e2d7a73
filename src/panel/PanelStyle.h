#pragma once

#include <QString>

// The panel's text styles: shared by the code that makes its controls and
// the code that changes them later.
namespace panel_style {

inline const char *const kCaptionStyle =
    "color: #f4f7fc; font-family: 'DejaVu Sans Condensed'; font-size: 11px; font-weight: 600;";
// A caption covered by another one at the same place lets it be read.
inline const char *const kCoveredCaptionStyle = "color: transparent;";
inline const char *const kLinkStyle = "color: #bfe3ff; font-size: 11px; text-decoration: underline;";
inline const char *const kHeadingStyle = "color: #ffffff; font-size: 15px; font-weight: 700;";
inline const char *const kUnitStyle = "color: #d7e2f2; font-size: 11px;";
inline const char *const kHelpStyle =
    "QPlainTextEdit { background: rgba(8, 14, 28, 150); color: #e9f0fa; font-size: 11px;"
    " border: 1px solid rgba(255, 255, 255, 45); border-radius: 6px; padding: 2px; }";
inline const char *const kListStyle =
    "QListWidget { background: #f5f8fc; color: #17233a; font-size: 11px;"
    " border: 1px solid rgba(255, 255, 255, 90); border-radius: 4px; }"
    "QListWidget::item { padding: 1px 2px; }"
    "QListWidget::item:selected { background: #2c6bc0; color: white; }";
// Tab font size and side padding in pixels. The selected tab stands out by
// its colours only, so the strip's width does not depend on the selection.
inline QString tabStyle(int fontPx, int padPx)
{
    return QStringLiteral(
               "QTabBar { font-size: %1px; }"
               "QTabBar::tab { background: #2a3548; color: #c9d4e6; padding: 6px %2px; margin-right: 2px;"
               " border-top-left-radius: 6px; border-top-right-radius: 6px; }"
               "QTabBar::tab:selected { background: #4f7fc4; color: white; }"
               "QTabBar::tab:hover:!selected { background: #38476a; }")
        .arg(fontPx)
        .arg(padPx);
}

} // namespace panel_style
