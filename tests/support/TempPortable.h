#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A portable installation in a temporary folder: <root>/App/Cirrolith for the
// program and <root>/Data for its files.
class TempPortable {
public:
    // below: a folder inside the temporary one to be the root (an installed
    // program's "/cirrolith" in a data home), made only when asked for.
    explicit TempPortable(const QString &below = QString()) : m_root(m_dir.path() + below)
    {
        if (!below.isEmpty())
            return;
        QDir(m_dir.path()).mkpath(QStringLiteral("App/Cirrolith"));
        QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    }
    QString base() const { return m_dir.path(); }
    QString root() const { return m_root; }
    QString appDir() const { return m_root + QStringLiteral("/App/Cirrolith"); }
    QString workDir() const { return m_root + QStringLiteral("/Data/Cirrolith_Work"); }
    QString work(const QString &name) const { return workDir() + u'/' + name; }

    QByteArray read(const QString &name) const
    {
        QFile f(work(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(workDir());
        QFile f(work(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    bool exists(const QString &name) const { return QFile::exists(work(name)); }

    // The settings of a second start (English, a direct connection, a home
    // town, a 2 s slide timer, the default selection): no first-run question
    // stands in the way.
    void writeSecondStart() const
    {
        write(QStringLiteral("Cirrolith4_Language.dat"), " 1");
        write(QStringLiteral("Cirrolith4_Proxy.dat"), "\r\n\r\n\r\n\r\n0\r\n");
        write(QStringLiteral("Cirrolith4_MyTown.dat"),
              "Courmayeur\r\nNew+York\r\nny\r\nus\r\nNaples\r\nItaly\r\nOPTION1\r\nOPTION2\r\n"
              "OPTION3\r\nOPTION4\r\nOPTION5\r\nOPTION6\r\nOPTION7\r\nOPTION8\r\nF\r\n \r\n \r\n \r\n");
        write(QStringLiteral("Cirrolith4_Config.dat"), "15\r\n2\r\nFull_Screen\r\n\r\n\r\n");
        write(QStringLiteral("Cirrolith4_Picture_List.dat"),
              "0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n");
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

// Copies a folder tree, e.g. the built portable installation into a
// TempPortable, so a test runs the real program from a folder of its own.
inline void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

// Copies the built program (CIRROLITH_BUILD_DIR/portable/App) into the
// portable folder and returns the program's path there; empty when the build
// folder is unknown.
inline QString installBuiltProgram(const TempPortable &portable)
{
    const QString build = qEnvironmentVariable("CIRROLITH_BUILD_DIR");
    if (build.isEmpty())
        return QString();
    copyTree(build + QStringLiteral("/portable/App"), portable.root() + QStringLiteral("/App"));
    return portable.appDir() + QStringLiteral("/cirrolith");
}
