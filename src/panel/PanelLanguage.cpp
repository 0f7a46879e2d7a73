#include "panel/PanelLanguage.h"

#include "language/Language.h"
#include "panel/SetupPanel.h"

#include <QLabel>

void ApplyLanguage(SetupPanel &panel, QWidget &window, int lingua)
{
    if (auto tabs = language::tabCaptions(lingua)) {
        for (int tab = 0; tab < tabs->size(); ++tab) {
            panel.setCurrentIndex(tab);
            panel.setTabText(tab, tabs->at(tab));
        }
        for (const language::Caption &c : language::labelCaptions(lingua)) {
            for (const QString &name : c.controls) {
                if (auto *label = window.findChild<QLabel *>(name))
                    label->setText(c.text);
            }
        }
        for (const language::Caption &c : language::tooltips(lingua)) {
            for (const QString &name : c.controls) {
                if (auto *w = window.findChild<QWidget *>(name))
                    w->setToolTip(c.text);
            }
        }
    }
    ApplyHelpTexts(panel, lingua);
}

void ApplyHelpTexts(SetupPanel &panel, int lingua)
{
    panel.Label11->setText(language::clearListCaption(lingua));
    if (auto text = language::displayTimersHelp(lingua))
        panel.Box_Help_Display_Timer->setText(*text);
    if (auto text = language::runExitHelp(lingua))
        panel.Box_Help_Run_Exit->setText(*text);
    if (auto text = language::toolsTip(lingua))
        panel.LeftTipText->setText(*text);
}
