#include "panel/SettingsMirror.h"
#include "panel/SetupPanel.h"
#include "state/RunningSettings.h"

#include <QKeyEvent>
#include <QCoreApplication>

#include <gtest/gtest.h>

// The running settings and the panel's controls agree after every write, on
// either side, and a write reports one change, not an echo of it.
TEST(SettingsMirror, ValuesAndControlsFollowEachOther)
{
    QWidget window;
    SetupPanel panel(&window);
    RunningSettings values;
    values.setSlideSeconds(QStringLiteral("4"));
    mirrorRunningSettings(panel, values);
    EXPECT_EQ(panel.SSTCfg_timeRefresh->text(), "4") << "a value set before the mirror is shown";

    int modeChanges = 0;
    QObject::connect(&values, &RunningSettings::displayModeChanged, [&modeChanges] { ++modeChanges; });
    values.setDisplayMode(QStringLiteral("Normal"));
    EXPECT_EQ(panel.txtDisplay->text(), "Normal");
    panel.txtDisplay->setText(QStringLiteral("Full"));
    EXPECT_EQ(values.displayMode(), "Full");
    EXPECT_EQ(modeChanges, 2);

    panel.SSTCfg_timeDwLoad->setFocus();
    panel.SSTCfg_timeDwLoad->clear();
    for (const char *key : {"2", "5"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromLatin1(key));
        QCoreApplication::sendEvent(panel.SSTCfg_timeDwLoad, &press);
    }
    EXPECT_EQ(values.reloadMinutes(), "25") << "typing reaches the value";

    values.setOwnPicture(QStringLiteral("/home/me/<b>Mont Blanc</b>.jpg"));
    EXPECT_EQ(panel.SSTCfg_LblinserisciImg->text(), values.ownPicture());

    // The list: rows and selection written as values appear in the widget...
    QListWidget *list = panel.Tabella_Mappe_Selezionate;
    values.setRows({QStringLiteral(" - a"), QStringLiteral(" - b"), QStringLiteral(" - c")});
    values.setSelected(2, true);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), " - b");
    EXPECT_TRUE(list->item(2)->isSelected());
    EXPECT_FALSE(list->item(0)->isSelected());

    // ... and the user's clicks and any change of the widget's rows come back.
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(false);
    EXPECT_EQ(values.selectedRows(), std::vector<int>{0});
    list->addItem(QStringLiteral(" - d"));
    EXPECT_EQ(values.rowCount(), 4);
    EXPECT_EQ(values.rows().last(), " - d");
    EXPECT_TRUE(values.isSelected(0)) << "adding a row keeps the selection";
    values.clearSelection();
    EXPECT_TRUE(list->selectedItems().isEmpty());
    list->clear();
    EXPECT_EQ(values.rowCount(), 0);
}
