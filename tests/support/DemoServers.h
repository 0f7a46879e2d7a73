#pragma once

// The demo catalogue served on this machine: the pictures by one reference
// server, the catalogue (rewritten to point at it) by another, whose log
// records every request. Targets that use it define CIRROLITH_DEMO_CATALOGUE
// and CIRROLITH_DEMO_WEBROOT.
#include "server/ServerProcess.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <string>
#include <vector>

class DemoServers {
public:
    // Extra arguments (faults, a web root) for each server. False when one
    // does not come up; errorText() tells why.
    bool start(const std::vector<std::string> &pictureArgs = {},
               const std::vector<std::string> &catalogueArgs = {})
    {
        std::vector<std::string> args = {"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot",
                                         CIRROLITH_DEMO_WEBROOT};
        args.insert(args.end(), pictureArgs.begin(), pictureArgs.end());
        if (!pictures.start(args))
            return false;
        const QString rewritten = m_dir.filePath(QStringLiteral("catalogue.txt"));
        QFile out(rewritten);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        out.write(read(QStringLiteral(CIRROLITH_DEMO_CATALOGUE))
                      .replace("127.0.0.1:8473", "127.0.0.1:" + QByteArray::number(pictures.port())));
        out.close();
        args = {"--catalogue", rewritten.toStdString(), "--log", logPath().toStdString()};
        args.insert(args.end(), catalogueArgs.begin(), catalogueArgs.end());
        return catalogue.start(args);
    }

    // The catalogue server back on the port it had, after a test stopped it
    // for an outage; its log goes on in the same file.
    bool restartCatalogue(int port)
    {
        return catalogue.start({"--catalogue", cataloguePath().toStdString(),
                                "--log", logPath().toStdString(), "--port", std::to_string(port)});
    }

    QString catalogueAddress() const
    {
        return QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(catalogue.port());
    }
    QString logPath() const { return m_dir.filePath(QStringLiteral("server.log")); }
    // The demo catalogue as served, pointing at the picture server.
    QString cataloguePath() const { return m_dir.filePath(QStringLiteral("catalogue.txt")); }
    QString logText() const { return QString::fromUtf8(read(logPath())); }
    std::string errorText() const { return pictures.stderrText() + catalogue.stderrText(); }

    servertest::ServerProcess pictures;
    servertest::ServerProcess catalogue;

private:
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};
