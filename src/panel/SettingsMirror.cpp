#include "panel/SettingsMirror.h"

#include "panel/SetupPanel.h"
#include "state/RunningSettings.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListWidget>

#include <memory>

namespace {

void mirrorText(QLineEdit *control, RunningSettings &values,
                void (RunningSettings::*changed)(const QString &),
                void (RunningSettings::*set)(const QString &), const QString &(RunningSettings::*get)() const)
{
    control->setText((values.*get)());
    QObject::connect(&values, changed, control, [control](const QString &text) {
        if (control->text() != text)
            control->setText(text);
    });
    QObject::connect(control, &QLineEdit::textChanged, &values,
                     [&values, set](const QString &text) { (values.*set)(text); });
}

// The list's rows and selection flags as the widget holds them.
void pullList(QListWidget *list, RunningSettings &values)
{
    QStringList rows;
    std::vector<bool> selected;
    for (int i = 0; i < list->count(); ++i) {
        rows << list->item(i)->text();
        selected.push_back(list->item(i)->isSelected());
    }
    values.setList(rows, selected);
}

void pushRows(QListWidget *list, const RunningSettings &values)
{
    list->clear();
    list->addItems(values.rows());
    for (int row : values.selectedRows())
        list->item(row)->setSelected(true);
}

void pushSelection(QListWidget *list, const RunningSettings &values)
{
    for (int i = 0; i < list->count() && i < values.rowCount(); ++i) {
        QListWidgetItem *item = list->item(i);
        if (item->isSelected() != values.isSelected(i))
            item->setSelected(values.isSelected(i));
    }
}

} // namespace

void mirrorRunningSettings(SetupPanel &panel, RunningSettings &values)
{
    mirrorText(panel.SSTCfg_timeDwLoad, values, &RunningSettings::reloadMinutesChanged,
               &RunningSettings::setReloadMinutes, &RunningSettings::reloadMinutes);
    mirrorText(panel.SSTCfg_timeRefresh, values, &RunningSettings::slideSecondsChanged,
               &RunningSettings::setSlideSeconds, &RunningSettings::slideSeconds);
    mirrorText(panel.txtDisplay, values, &RunningSettings::displayModeChanged,
               &RunningSettings::setDisplayMode, &RunningSettings::displayMode);

    platform::Label *own = panel.SSTCfg_LblinserisciImg;
    own->setText(values.ownPicture());
    QObject::connect(&values, &RunningSettings::ownPictureChanged, own, [own](const QString &path) {
        if (own->text() != path)
            own->setText(path);
    });

    // One direction at a time: while the widget is being filled from the
    // values, its own change signals must not copy a half-filled list back.
    QListWidget *list = panel.Tabella_Mappe_Selezionate;
    auto busy = std::make_shared<bool>(false);
    auto fromWidget = [list, &values, busy] {
        if (*busy)
            return;
        *busy = true;
        pullList(list, values);
        *busy = false;
    };
    auto toWidget = [list, &values, busy](bool rowsToo) {
        if (*busy)
            return;
        *busy = true;
        if (rowsToo)
            pushRows(list, values);
        else
            pushSelection(list, values);
        *busy = false;
    };
    pushRows(list, values);
    QObject::connect(&values, &RunningSettings::rowsChanged, list, [toWidget] { toWidget(true); });
    QObject::connect(&values, &RunningSettings::selectionChanged, list, [toWidget] { toWidget(false); });
    QObject::connect(list, &QListWidget::itemSelectionChanged, &values, fromWidget);
    QAbstractItemModel *model = list->model();
    QObject::connect(model, &QAbstractItemModel::rowsInserted, &values, fromWidget);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, &values, fromWidget);
    QObject::connect(model, &QAbstractItemModel::modelReset, &values, fromWidget);
    QObject::connect(model, &QAbstractItemModel::dataChanged, &values, fromWidget);
}
