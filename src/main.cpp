#include "core/CommandLine.h"
#include "core/FormPicture.h"
#include "core/RunControl.h"
#include "platform/ProcessEnd.h"
#include "slideshow/WebSurface.h"

#include <QApplication>

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
    slideshow::prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cirrolith"));
    // The program decides when it ends (every quit path goes through
    // ProcessEnd), not the closing of its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::ProcessEnd::enable();

    FormPicture form({QCoreApplication::applicationDirPath(),
                      commandLineText(QCoreApplication::arguments())});
    g_form = &form;
    platform::ProcessEnd::catchTerminationSignals(quitOnSignal);
    if (!form.Form_Load())
        return 1;
    form.showCoveringScreen();
    const int code = app.exec();
    g_form = nullptr;
    return code;
}
