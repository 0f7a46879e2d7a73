#pragma once

#include <QDateTime>

#include <functional>
#include <optional>

#include <QStringList>

struct AppState;
class SettingsFiles;

// What saving and loading a collection asks of the panel above it.
struct CollectionsHooks {
    // Shows that the settings are being saved.
    std::function<void()> showSaveProgress;
    // Shows and hides the sign that a collection file is being read.
    std::function<void()> showWaitIcon;
    std::function<void()> hideWaitIcon;
    // Brings the run and exit page of the panel to the front.
    std::function<void()> showRunExitPage;
};

// Saving the picture selection as a collection file and loading one back.
class Collections {
public:
    Collections(AppState &state, SettingsFiles &settings) : s(state), settings(settings) {}

    void SSTCfg_BackUpcnf_Click();
    void SSTCfg_Loadcnf_Click();
    void LoadCollection();

    // The codes of a collection file; nothing when it cannot be read.
    static std::optional<QStringList> readCodes(const QString &path);
    // The selection becomes exactly the rows those codes name, as clearing
    // the list and loading the file do. False, with the selection left as it
    // was, when no row matches.
    bool selectOnly(const QStringList &codes);

    // The time a save is stamped with.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    CollectionsHooks hooks;

private:
    void selectCodes(const QStringList &codes);
    void saveAndReload();

    AppState &s;
    SettingsFiles &settings;
};
