#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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

// An installed program (<prefix>/bin/cirrolith with its files in
// <prefix>/share/cirrolith) cannot write beside itself: it keeps the portable
// layout in a root of each user's own, <data home>/cirrolith, whose
// App/Cirrolith links to the installed files.
struct InstalledLayout {
    QString shareDir;   // <prefix>/share/cirrolith
};

// The installed layout the program in exeDir belongs to; none for a portable
// folder (or a build tree).
std::optional<InstalledLayout> installedLayoutFor(const QString &exeDir);

// Creates (or brings up to date) <dataHome>/cirrolith with App/Cirrolith and
// Data, and returns its App/Cirrolith; empty, with the reason in *error,
// when it cannot be made. Links that had to be pointed anew (left dangling by
// a removed package, or by a program since moved) are added to *mended.
QString preparePerUserRoot(const InstalledLayout &layout, const QString &executable, const QString &dataHome,
                           QString *error, QStringList *mended = nullptr);

// The hidden partial files AtomicFile leaves beside a target when the power
// goes mid-write: ".<name>.XXXXXX". Only the program's own (Cirrolith*) ones.
bool isLeftoverPartialFile(const QString &fileName);
// Removes them from folder; the number removed.
int removeLeftoverPartialFiles(const QString &folder);
