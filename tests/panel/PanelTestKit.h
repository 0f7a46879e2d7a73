#pragma once

#include "core/Folders.h"
#include "core/FormPicture.h"
#include "panel/SetupPanel.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/Screen.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A started main window in a temporary portable folder, its timers stopped so
// that only the handlers a test calls run. Dialogs are scripted.
class PanelForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::Screen::override(28800, 16200, 96);
        platform::Clock::setSpeed(500);
        QDir(root.path()).mkpath(QStringLiteral("App/Cirrolith"));
        QDir(root.path()).mkpath(QStringLiteral("Data"));
        form = std::make_unique<FormPicture>(
            StartOptions{root.path() + QStringLiteral("/App/Cirrolith"), QString()});
        // The start-up steps the panel relies on: folders and configuration,
        // without the connection clock and the server.
        form->appPath = root.path() + QStringLiteral("/App/Cirrolith");
        form->SetPortablePath();
        ASSERT_TRUE(form->MakeWorkFolders());
        const WorkFolders folders = WorkFolders::under(form->PortablesPath);
        form->workDirPrefix = folders.workPrefix;
        form->pictureFileStem = folders.pictureStem;
        form->LoadStartupConfiguration();
        form->SSTCfg->LayoutPanelTabs();
        form->settingsChanged = 0;
        dialogs.clear();
    }

    void TearDown() override
    {
        form.reset();
        platform::Screen::clearOverride();
        platform::Clock::setSpeed(1);
    }

    // A catalogue of the given descriptions, shown in the selection list.
    void fillCatalogue(const QStringList &descriptions)
    {
        for (int i = 0; i < descriptions.size(); ++i) {
            form->listURL[i] = QStringLiteral("1ttp://127.0.0.1/pic%1.jpg").arg(i);
            form->listURLcomment[i] = descriptions[i];
            form->listIdUrl[i] = static_cast<std::int16_t>(100 + i);
        }
        form->settings.WritePictureList();
        QFile::remove(form->settings.pictureListPath());
        form->settings.ReadPictureList();
    }

    QList<int> selectedRows() const
    {
        QList<int> rows;
        QListWidget *list = panel().Tabella_Mappe_Selezionate;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                rows << i;
        return rows;
    }

    void select(std::initializer_list<int> rows)
    {
        for (int r : rows)
            panel().Tabella_Mappe_Selezionate->item(r)->setSelected(true);
    }

    SetupPanel &panel() const { return *form->SSTCfg; }
    QString work(const QString &name) const { return form->workDirPrefix + name; }

    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir root;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    std::unique_ptr<FormPicture> form;
};

// Twips geometry of any control of the panel.
struct Twips {
    float left, top, width, height;
};

inline Twips twipsOf(QWidget *w)
{
    using platform::Vb;
    if (auto *c = qobject_cast<platform::ClickLabel *>(w)) {
        auto *v = static_cast<platform::Image *>(c);
        return {v->Left(), v->Top(), v->Width(), v->Height()};
    }
    if (auto *c = qobject_cast<QLabel *>(w)) {
        auto *v = static_cast<platform::Label *>(c);
        return {v->Left(), v->Top(), v->Width(), v->Height()};
    }
    if (auto *c = qobject_cast<PanelField *>(w)) {
        auto *v = static_cast<Vb<PanelField> *>(c);
        return {v->Left(), v->Top(), v->Width(), v->Height()};
    }
    if (auto *c = qobject_cast<SelectionList *>(w)) {
        auto *v = static_cast<Vb<SelectionList> *>(c);
        return {v->Left(), v->Top(), v->Width(), v->Height()};
    }
    if (auto *c = qobject_cast<HelpBox *>(w)) {
        auto *v = static_cast<Vb<HelpBox> *>(c);
        return {v->Left(), v->Top(), v->Width(), v->Height()};
    }
    return {-1, -1, -1, -1};
}
