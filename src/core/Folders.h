#pragma once

#include <QString>

// Where the portable installation keeps everything. The program lives in
// <root>/App/Cirrolith; its files live below <root>/Data.
inline constexpr const char *kAppSubfolder = "/App/Cirrolith";

struct PortableRoot {
    QString path;
    bool conforming = true;   // false: the program is not in .../App/Cirrolith
};

PortableRoot portableRootFor(const QString &appDir);

inline const char *kBadAppFolderMessage =
    "ERRORE, LA DIR DELL'EXE PORTABLE DEVE CHIAMARSI \\App\\Cirrolith anche nell'ambiente di sviluppo";

struct WorkFolders {
    QString work;          // settings files and downloaded pictures
    QString slideShow;     // the user's own slideshow pictures
    QString collections;   // collection files
    QString workPrefix;    // work folder and a separator
    QString pictureStem;   // stem of the downloaded picture files

    static WorkFolders under(const QString &portableRoot);
};
