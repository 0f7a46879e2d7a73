#include "slideshow/PageProcess.h"

#include "platform/Log.h"
#include "slideshow/PageHelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <unistd.h>

PageProcess::PageProcess() = default;

PageProcess::~PageProcess() { kill(); }

QString PageProcess::program()
{
    // Beside the program (the portable folder), where the package installs
    // it, and the build tree (tests and benchmarks run from elsewhere).
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString &dir : {programDir, programDir + QStringLiteral("/../lib/cirrolith"),
                               QStringLiteral(CIRROLITH_PAGE_HELPER_DIR)}) {
        const QFileInfo helper(QDir(dir).filePath(QLatin1String(pagehelper::kProgram)));
        if (helper.isFile() && helper.isExecutable())
            return helper.absoluteFilePath();
    }
    return {};
}

bool PageProcess::start(const QString &address, const QString &bitmap, const QRect &geometry, const QSize &grabSize,
                        bool silent, std::function<void(bool)> loaded)
{
    kill();
    const QString helper = program();
    if (helper.isEmpty()) {
        qCWarning(lcDownload, "no page capture: %s not found", pagehelper::kProgram);
        return false;
    }
    m_loaded = std::move(loaded);
    m_grab = Grab::None;
    m_pending.clear();
    m_process = std::make_unique<QProcess>();
    // The engine's own messages go where the program's go.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A group of its own: the engine's processes end with the helper.
    m_process->setChildProcessModifier([] { ::setpgid(0, 0); });
    QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput, [this] { readAnswers(); });
    m_process->start(helper,
                     {address, bitmap,
                      QStringLiteral("%1,%2,%3,%4").arg(geometry.x()).arg(geometry.y()).arg(geometry.width())
                          .arg(geometry.height()),
                      QStringLiteral("%1x%2").arg(grabSize.width()).arg(grabSize.height()),
                      silent ? QStringLiteral("silent") : QStringLiteral("nosilent")});
    // Starting is a fork and an exec, not a wait on the helper itself.
    if (!m_process->waitForStarted(5000)) {
        qCWarning(lcDownload).noquote() << "no page capture:" << helper << m_process->errorString();
        m_process.reset();
        return false;
    }
    return true;
}

bool PageProcess::running() const { return m_process && m_process->state() != QProcess::NotRunning; }

qint64 PageProcess::processId() const { return running() ? m_process->processId() : 0; }

void PageProcess::send(const char *command)
{
    if (!running())
        return;
    m_process->write(command);
    m_process->write("\n");
}

void PageProcess::show() { send(pagehelper::kShow); }

void PageProcess::raise() { send(pagehelper::kRaise); }

void PageProcess::requestGrab(bool onlyIfDrawn)
{
    m_grab = running() ? Grab::Pending : Grab::NotSaved;
    send(onlyIfDrawn ? pagehelper::kGrabDrawn : pagehelper::kGrab);
}

void PageProcess::readAnswers()
{
    if (!m_process)
        return;
    m_pending += m_process->readAllStandardOutput();
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end).trimmed();
        m_pending.remove(0, end + 1);
        if (line == pagehelper::kLoaded || line == pagehelper::kLoadFailed) {
            if (m_loaded)
                m_loaded(line == pagehelper::kLoaded);
        } else if (m_grab == Grab::Pending) {
            if (line == pagehelper::kSaved)
                m_grab = Grab::Saved;
            else if (line == pagehelper::kBlank)
                m_grab = Grab::Blank;
            else if (line == pagehelper::kNotSaved)
                m_grab = Grab::NotSaved;
        }
    }
}

void PageProcess::finish()
{
    if (!running())
        return;
    send(pagehelper::kQuit);
    m_process->closeWriteChannel();
}

void PageProcess::kill()
{
    m_loaded = nullptr;
    if (!m_process)
        return;
    if (running()) {
        ::kill(-static_cast<pid_t>(m_process->processId()), SIGKILL);
        m_process->kill();
    }
    // Reaped at once: a killed process ends without delay.
    m_process->waitForFinished(1000);
    m_process.reset();
}
