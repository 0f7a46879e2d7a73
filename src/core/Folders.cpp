#include "core/Folders.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

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

namespace {

// The files the program expects beside itself, in the installed share folder.
const char *const kInstalledFiles[] = {"pic_not_available.gif", "Cirrolith.html"};

// Points link at target, replacing whatever link or file was there. A link
// that led elsewhere (a removed package, a program moved to another prefix)
// is named in *mended.
bool linkTo(const QString &target, const QString &link, QStringList *mended)
{
    const QFileInfo info(link);
    if (info.isSymLink() && info.symLinkTarget() == target)
        return true;
    const bool wasThere = info.exists() || info.isSymLink();
    if (wasThere)
        QFile::remove(link);
    if (!QFile::link(target, link))
        return false;
    if (wasThere && mended)
        *mended << QStringLiteral("%1 (was %2)").arg(link, info.isSymLink() ? info.symLinkTarget() : QStringLiteral("a file"));
    return true;
}

} // namespace

std::optional<InstalledLayout> installedLayoutFor(const QString &exeDir)
{
    const QDir bin(exeDir);
    if (bin.dirName() != QLatin1String("bin"))
        return std::nullopt;
    const QString share = QDir::cleanPath(exeDir + QStringLiteral("/../share/cirrolith"));
    if (!QFileInfo::exists(share + QStringLiteral("/pic_not_available.gif")))
        return std::nullopt;
    return InstalledLayout{share};
}

QString preparePerUserRoot(const InstalledLayout &layout, const QString &executable, const QString &dataHome,
                           QString *error, QStringList *mended)
{
    const QString root = dataHome + QStringLiteral("/cirrolith");
    const QString app = root + QLatin1String(kAppSubfolder);
    if (!QDir().mkpath(app) || !QDir().mkpath(root + QStringLiteral("/Data"))) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(app);
        return QString();
    }
    // Links, so an upgrade of the package reaches every user's root.
    if (!linkTo(executable, app + QStringLiteral("/cirrolith"), mended)) {
        if (error)
            *error = QStringLiteral("cannot link %1/cirrolith").arg(app);
        return QString();
    }
    for (const char *name : kInstalledFiles) {
        const QString file = QString::fromLatin1(name);
        if (!linkTo(layout.shareDir + u'/' + file, app + u'/' + file, mended)) {
            if (error)
                *error = QStringLiteral("cannot link %1/%2").arg(app, file);
            return QString();
        }
    }
    return app;
}

bool isLeftoverPartialFile(const QString &fileName)
{
    // Settings and pictures are Cirrolith*, collections *.xml.
    static const QRegularExpression partial(QStringLiteral("^\\.(Cirrolith.*|.+\\.xml)\\.[A-Za-z0-9]{6}$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return partial.match(fileName).hasMatch();
}

int removeLeftoverPartialFiles(const QString &folder)
{
    int removed = 0;
    const QDir dir(folder);
    for (const QFileInfo &f : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!f.isSymLink() && isLeftoverPartialFile(f.fileName()) && QFile::remove(f.filePath()))
            ++removed;
    }
    if (removed > 0)
        qCInfo(lcRun, "removed %d partial file(s) left by an interrupted write in %s", removed, qPrintable(folder));
    return removed;
}
