#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A portable installation in a temporary folder: <root>/App/Cirrolith for the
// program and <root>/Data for its files.
class TempPortable {
public:
    TempPortable()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("App/Cirrolith"));
        QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
    }
    QString root() const { return m_dir.path(); }
    QString appDir() const { return m_dir.path() + QStringLiteral("/App/Cirrolith"); }
    QString workDir() const { return m_dir.path() + QStringLiteral("/Data/Cirrolith_Work"); }
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

private:
    QTemporaryDir m_dir;
};
