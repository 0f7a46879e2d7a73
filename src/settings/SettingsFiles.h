#pragma once

#include <QString>

class FormPicture;

// The configuration and picture-list files as the main window uses them: read
// into the panel's controls, written from them, deleted by a reset.
class SettingsFiles {
public:
    explicit SettingsFiles(FormPicture &form) : w(form) {}

    bool ReadConfig();
    void SaveConfig();
    void saveAll();
    bool WritePictureList();
    void ReadPictureList();
    void RecordSelection(bool reset, int value = 0);
    void DeleteConfigFiles();

    QString configPath() const;
    QString pictureListPath() const;

    // The files a configuration reset removes, in the order it removes them.
    static const char *const kResetFiles[4];

private:
    FormPicture &w;
};
