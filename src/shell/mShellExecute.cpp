#include "shell/mShellExecute.h"

#include "platform/EventPump.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace shell {

namespace {

LastError g_lastError;

// A web address or a file: URL, as opposed to a path on this machine. One
// letter before the colon would be a drive, not a scheme.
bool isAddress(const QString &file)
{
    const QUrl url(file);
    return url.isValid() && url.scheme().size() > 1;
}

std::int32_t runOpener(const QString &target)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return resultOfOpener(OpenerEnd::Missing);

    auto *process = new QProcess;
    process->setProgram(opener);
    process->setArguments({target});
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();

    // The opener usually hands over and exits at once; some browsers keep it
    // until they close, so the window waits only so long for the verdict.
    QElapsedTimer waited;
    waited.start();
    while (process->state() != QProcess::NotRunning && waited.elapsed() < kOpenerWaitMs &&
           !platform::EventPump::quitRequested())
        platform::EventPump::Sleep(20);

    if (process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return resultOfOpener(OpenerEnd::StillRunning);
    }
    std::int32_t result;
    if (process->error() == QProcess::FailedToStart)
        result = resultOfOpener(OpenerEnd::Missing);
    else if (process->exitStatus() == QProcess::CrashExit)
        result = resultOfOpener(OpenerEnd::Crashed);
    else
        result = resultOfOpener(OpenerEnd::Exited, process->exitCode());
    process->deleteLater();
    return result;
}

} // namespace

bool accepted(std::int32_t shellResult) { return shellResult > 32 || shellResult < 0; }

Failure failureFor(std::int32_t r)
{
    const std::int32_t base = kErrorBase + r;
    switch (r) {
    case 0:
    case 8: return {7, QStringLiteral("Out of memory")};
    case 2: return {53, QStringLiteral("File not found")};
    case 3: return {76, QStringLiteral("Path not found")};
    case 5: return {75, QStringLiteral("Path/file access error")};
    case 11: return {base, QStringLiteral("The executable file is invalid or corrupt")};
    case 26: return {75, QStringLiteral("A sharing violation occurred.")};
    case 27: return {base, QStringLiteral("This file type does not have a valid file association.")};
    case 28:
        return {286, QStringLiteral("The file could not be opened due to time out.  Please try again in a moment.")};
    case 29:
        return {285, QStringLiteral("The file could not be opened because the DDE transaction failed.  "
                                    "Please try again in a moment.")};
    case 30:
        return {285, QStringLiteral("The file could not be opened because the target application is busy.  "
                                    "Please try again in a moment.")};
    case 31: return {base, QStringLiteral("No application is associated with this file type.")};
    case 32: return {48, QStringLiteral("The specified dynamic-link library was not found.")};
    default:
        return {base, QStringLiteral("An error occurred occurred whilst trying to open or print the selected file.")};
    }
}

Call planCall(const QString &file, std::int32_t windowStyle, const QString &parameters,
              const QString &folder, const QString &operation)
{
    if (file.toUpper().contains(QLatin1String(".EXE")))
        windowStyle = kShowHidden;
    if (parameters.isEmpty() && folder.isEmpty())
        return {operation, file, QString(), QString(), kShowNormal};
    return {operation, file, parameters, folder, windowStyle};
}

std::int32_t resultOfOpener(OpenerEnd end, int exitStatus)
{
    switch (end) {
    case OpenerEnd::Missing: return 2;
    case OpenerEnd::StillRunning: return kAccepted;
    case OpenerEnd::Crashed: return 1;
    case OpenerEnd::Exited: break;
    }
    switch (exitStatus) {
    case 0: return kAccepted;
    case 2: return 2;    // a file named on its command line does not exist
    case 3: return 31;   // no tool to open it with
    default: return 1;   // a bad command line, a failed action: the general text
    }
}

std::int32_t ShellExecuteA(QWidget *, const QString &operation, const QString &file,
                           const QString &parameters, const QString &folder, std::int32_t)
{
    // The opener only knows how to open.
    if (!operation.isEmpty() && operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return 31;
    if (file.isEmpty())
        return 2;
    if (isAddress(file))
        return runOpener(file);

    QFileInfo info(file);
    if (info.isRelative() && !folder.isEmpty())
        info = QFileInfo(QDir(folder), file);
    if (!info.exists())
        return info.dir().exists() ? 2 : 3;
    if (info.isFile() && info.isExecutable()) {
        const QString workDir = folder.isEmpty() ? info.absolutePath() : folder;
        return QProcess::startDetached(info.absoluteFilePath(), QProcess::splitCommand(parameters), workDir)
                   ? kAccepted
                   : 11;
    }
    return runOpener(info.absoluteFilePath());
}

const LastError &lastError() { return g_lastError; }
void setLastError(const LastError &error) { g_lastError = error; }
void clearLastError() { g_lastError = LastError{}; }

} // namespace shell

bool ShellExecuteFile(const QString &file, std::int32_t windowStyle, const QString &parameters,
                      const QString &folder, const QString &operation, QWidget *owner)
{
    try {
        const shell::Call call = shell::planCall(file, windowStyle, parameters, folder, operation);
        const std::int32_t result = shell::ShellExecuteA(owner, call.operation, call.file,
                                                         call.parameters, call.folder, call.showCommand);
        if (shell::accepted(result))
            return true;
        const shell::Failure failure = shell::failureFor(result);
        const QString executable =
            QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        shell::setLastError({failure.number, failure.text, executable + QStringLiteral(".GShell")});
        return false;
    } catch (...) {
        return false;
    }
}
