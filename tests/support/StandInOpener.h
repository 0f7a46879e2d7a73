#pragma once

// A stand-in for the desktop's opener: a small xdg-open script in a temporary
// folder put first on PATH. Each run appends its arguments, one per line and
// then a line "--", to a log, and exits with the status the test set.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

class StandInOpener {
public:
    explicit StandInOpener(bool install = true) : m_oldPath(qgetenv("PATH"))
    {
        QFile script(m_dir.filePath(QStringLiteral("xdg-open")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n"
                     "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + log().toUtf8() + "'; done\n"
                     "printf -- '--\\n' >> '" + log().toUtf8() + "'\n"
                     "[ -f '" + m_dir.filePath("hold").toUtf8() + "' ] && exec sleep 8 < /dev/null > /dev/null 2>&1\n"
                     "exit $(cat '" + m_dir.filePath("status").toUtf8() + "')\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setStatus(0);
        QDir().mkpath(m_dir.filePath(QStringLiteral("empty")));
        if (install)
            qputenv("PATH", m_dir.path().toUtf8() + ':' + m_oldPath);
    }
    ~StandInOpener() { qputenv("PATH", m_oldPath); }

    void setStatus(int status)
    {
        QFile f(m_dir.filePath(QStringLiteral("status")));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray::number(status));
    }
    // The opener keeps running, as a browser started in the foreground would.
    void hold()
    {
        QFile f(m_dir.filePath(QStringLiteral("hold")));
        f.open(QIODevice::WriteOnly);
    }
    // PATH without any opener at all.
    void removeFromPath() { qputenv("PATH", m_dir.filePath(QStringLiteral("empty")).toUtf8()); }

    QString log() const { return m_dir.filePath(QStringLiteral("calls.log")); }
    // The arguments of each run, in order.
    QList<QStringList> calls() const
    {
        QFile f(log());
        QList<QStringList> out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        QStringList current;
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line == "--") {
                out << current;
                current.clear();
            } else if (!line.isEmpty()) {
                current << QString::fromUtf8(line);
            }
        }
        return out;
    }
    void clear() { QFile::remove(log()); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};
