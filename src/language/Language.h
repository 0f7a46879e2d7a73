#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The four languages of the user interface: captions, tooltips and the help
// texts of the panel. Codes 1 English, 2 Italian, 3 French, 4 Spanish; any
// other code has no table.
namespace language {

// Captions of the panel's four tabs, in tab order.
std::optional<QStringList> tabCaptions(int lingua);

// One caption given to one or more controls.
struct Caption {
    QStringList controls;
    QString text;
};
// Label captions and tooltips, in the order they are applied.
std::vector<Caption> labelCaptions(int lingua);
std::vector<Caption> tooltips(int lingua);

// The caption of the clear-list label: Italian for 2, English otherwise.
QString clearListCaption(int lingua);

// The panel's help texts, lines joined by CR LF.
std::optional<QString> displayTimersHelp(int lingua);
std::optional<QString> runExitHelp(int lingua);
std::optional<QString> toolsTip(int lingua);

} // namespace language
