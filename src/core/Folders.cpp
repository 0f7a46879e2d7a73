#include "core/Folders.h"

PortableRoot portableRootFor(const QString &appDir)
{
    const QString suffix = QString::fromLatin1(kAppSubfolder);
    // The suffix is compared by its last 14 characters, whatever the case of
    // the rest of the path.
    if (appDir.size() >= suffix.size() && appDir.right(suffix.size()) == suffix)
        return {appDir.left(appDir.size() - suffix.size()), true};
    return {appDir, false};
}

WorkFolders WorkFolders::under(const QString &portableRoot)
{
    WorkFolders f;
    f.work = portableRoot + QStringLiteral("/Data/Cirrolith_Work");
    f.slideShow = portableRoot + QStringLiteral("/Data/Cirrolith_SlideShow");
    f.collections = portableRoot + QStringLiteral("/Data/Cirrolith_Collections");
    f.workPrefix = f.work + u'/';
    f.pictureStem = f.work + QStringLiteral("/Cirrolith4_Img");
    return f;
}
