#include "core/CommandLine.h"
#include "core/FormPicture.h"
#include "core/RunControl.h"
#include "platform/ProcessEnd.h"
#include "platform/Screen.h"
#include "platform/ServerDpi.h"
#include "slideshow/WebSurface.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

#include <csignal>

namespace {
FormPicture *g_form = nullptr;

// A termination signal quits like the bar's quit button: nothing is saved.
void quitOnSignal()
{
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

    // A file-size limit must fail a write (which keeps the old file), not
    // kill the program.
    std::signal(SIGXFSZ, SIG_IGN);

    slideshow::prepareWebEngineEnvironment();
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

    FormPicture form({QCoreApplication::applicationDirPath(), commandLine});
    g_form = &form;
    platform::ProcessEnd::catchTerminationSignals(quitOnSignal);
    if (!form.Form_Load())
        return 1;
    form.showCoveringScreen();
    const int code = app.exec();
    g_form = nullptr;
    return code;
}
