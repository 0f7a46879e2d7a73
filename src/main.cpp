#include "state/CommandLine.h"
#include "core/Folders.h"
#include "core/FormPicture.h"
#include "core/RunControl.h"
#include "platform/DialogService.h"
#include "platform/Log.h"
#include "platform/ProcessEnd.h"
#include "platform/Screen.h"
#include "platform/ServerDpi.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

#include <csignal>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
FormPicture *g_form = nullptr;

// A termination signal quits like the bar's quit button: nothing is saved.
void quitOnSignal()
{
    qCInfo(lcRun, "quitting: termination signal, nothing saved");
    if (g_form && g_form->runControl)
        g_form->runControl->btTermina_Click();
}
} // namespace

int main(int argc, char *argv[])
{
    // Before the application object: no display is needed to read the help.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (wantsHelp(arguments)) {
        std::fputs(qPrintable(helpText(QFileInfo(arguments.value(0)).fileName())), stdout);
        return 0;
    }
    if (wantsVersion(arguments)) {
        std::fputs("cirrolith " CIRROLITH_VERSION "\n", stdout);
        return 0;
    }

#if defined(__GLIBC__)
    // Frames are megabytes each and come and go with every slide. A fixed
    // threshold keeps them in mappings of their own, given back when freed;
    // the allocator's moving threshold would soon put them in the heap,
    // which keeps its peak for good.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif

    // A file-size limit must fail a write (which keeps the old file), not
    // kill the program.
    std::signal(SIGXFSZ, SIG_IGN);

    // One short line each, for a terminal or the journal; the journal adds
    // its own time stamp.
    qSetMessagePattern(QStringLiteral("%{if-category}%{category}: %{endif}"
                                      "%{if-warning}warning: %{endif}%{if-critical}error: %{endif}%{message}"));

    platform::scaleToServerDpi();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cirrolith"));
    // The program decides when it ends (every quit path goes through
    // ProcessEnd), not the closing of its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::ProcessEnd::enable();

    const QString commandLine = commandLineText(QCoreApplication::arguments());
    // The screen is known before anything is laid out for it.
    platform::Screen::choose(
        screenChoice(recogniseWords(splitDashWords(commandLine, 10, 9).words, 10)));

    QString appDir = QCoreApplication::applicationDirPath();
    if (const auto installed = installedLayoutFor(appDir)) {
        QString error;
        QStringList mended;
        appDir = preparePerUserRoot(*installed, QCoreApplication::applicationFilePath(),
                                    QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), &error,
                                    &mended);
        for (const QString &link : mended)
            qCWarning(lcRun, "mended the link %s", qPrintable(link));
        if (appDir.isEmpty()) {
            qCCritical(lcRun, "cannot make the per-user folder: %s", qPrintable(error));
            platform::DialogService::current().MsgBox(
                QStringLiteral("Cirrolith cannot make its folder:\n%1\nand cannot run without it.").arg(error),
                platform::MsgButtons::OK, platform::MsgIcon::Critical);
            return 1;
        }
        qCInfo(lcRun, "installed program; its folders are under %s", qPrintable(portableRootFor(appDir).path));
    }

    FormPicture form({appDir, commandLine});
    g_form = &form;
    platform::ProcessEnd::catchTerminationSignals(quitOnSignal);
    if (!form.Form_Load())
        return 1;
    form.showCoveringScreen();
    const int code = app.exec();
    g_form = nullptr;
    return code;
}
