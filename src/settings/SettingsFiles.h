#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

struct AppState;
struct WindowClocks;
class DiagnosticsSink;

// What saving and reading the settings asks of the window above it.
struct SettingsHooks {
    // Shows the credit line, which ends with the time the selection was recorded.
    std::function<void(const QString &text)> showCreditLine;
    // Shows the stored display mode's name in the user's language.
    std::function<void()> showDisplayModeName;
    // Turns the save, run and quit buttons off while the settings are saved.
    std::function<void()> lockSaving;
    // Turns the run and quit buttons back on; the save buttons stay off.
    std::function<void()> unlockRunning;
};

// The configuration and picture-list files as the program uses them: read
// into the running settings, written from them, deleted by a reset.
class SettingsFiles {
public:
    SettingsFiles(AppState &state, WindowClocks &clocks) : s(state), clocks(clocks) {}

    bool ReadConfig();
    // Quitting: a failure is told in a notice that closes by itself within
    // kQuitNoticeMs, so an unattended screen still ends at once.
    enum class OnFailure { Ask, NoticeWhileQuitting };
    static constexpr int kQuitNoticeMs = 800;
    // True when both files were written (or nothing was to be written).
    bool SaveConfig(OnFailure onFailure = OnFailure::Ask);
    void saveAll();
    bool WritePictureList();
    void ReadPictureList();
    void RecordSelection(bool reset, int value = 0);
    void DeleteConfigFiles();

    QString configPath() const;
    QString pictureListPath() const;

    // The files a configuration reset removes, in the order it removes them.
    static const char *const kResetFiles[4];

    SettingsHooks hooks;
    // The status window's list dump follows the recorded selection.
    DiagnosticsSink *diagnostics = nullptr;

private:
    AppState &s;
    WindowClocks &clocks;
    QByteArray m_toldConfig;   // the file whose faults were last told
};
