// The diagnostic windows on a real X server: started with DEBUG_CODE the
// status window is up over the full-screen main window, and the bar's help
// button brings the list viewer. Screenshots go to <build>/screenshots.
#include "core/FormPicture.h"
#include "diagnostics/DebugWindows.h"
#include "diagnostics/Diagnostics.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "slideshow/ControlBar.h"
#include "support/TempPortable.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>

#include <gtest/gtest.h>

namespace {

void settle()
{
    for (int i = 0; i < 20; ++i)
        platform::EventPump::Sleep(25);
}

// Distinct colours in a screen area: a drawn window has many, the black
// main window one.
int colours(const QImage &image, const QRect &area)
{
    QSet<QRgb> seen;
    for (int y = area.top(); y < area.bottom(); y += 3)
        for (int x = area.left(); x < area.right(); x += 3)
            seen.insert(image.pixel(x, y) & 0xF0F0F0);
    return seen.size();
}

} // namespace

TEST(DiagnosticsScreen, DebugStartShowsTheStatusWindowAndHelpBringsTheListViewer)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope(&dialogs);
    TempPortable portable;
    const QString out = qEnvironmentVariable("CIRROLITH_BUILD_DIR") + QStringLiteral("/screenshots");
    QDir().mkpath(out);

    FormPicture form({portable.appDir(), QStringLiteral("-DEBUG_CODE")});
    ASSERT_TRUE(form.Form_Load());
    form.generalClock.setEnabled(false);   // no server here
    ASSERT_TRUE(form.diagnostics->debugWindowExists());
    DisplayDebug &d = form.diagnostics->debugWindow();
    EXPECT_TRUE(d.isVisible());

    // Some life in the lists and the window.
    const char *const pictures[] = {"SAT Europe infrared", "RADAR Alps composite", "CHART Atlantic pressure",
                                    "WEBCAM Naples harbour"};
    for (int i = 0; i < 4; ++i) {
        form.listURL[i] = QStringLiteral("1ttp://127.0.0.1:8473/demo/pictures/p%1.jpg").arg(i);
        form.listURLcomment[i] = QString::fromLatin1(pictures[i]);
        form.listIdUrl[i] = static_cast<std::int16_t>(101 + i);
        form.listCopyright[i] = QStringLiteral("x-%1 by the demo-95").arg(QString::fromLatin1(pictures[i]));
    }
    form.showCoveringScreen();
    settle();
    d.Aggiorna->setChecked(true);
    form.diagnostics->RefreshDebugDump();
    // One run-control tick that only counts: nothing may start the show here.
    form.flagCmdButton = 99;
    form.panControl.fire();
    form.flagCmdButton = CmdRun;
    form.GLOBAL_IMAGE_CURRENT_POINTER = 2;
    d.url_attuale->setCaption(form.listURL[1]);
    d.RunCalcolaSchermo->click();
    d.FlagflagCmdButton->click();
    d.ViewClockStatus->click();
    settle();

    const QImage screen1 = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QRect statusArea = d.frameGeometry();
    EXPECT_GT(colours(screen1, statusArea), 8) << "the status window lies over the main window";
    EXPECT_TRUE(d.grab().save(out + QStringLiteral("/diagnostics_status.png")));
    EXPECT_TRUE(screen1.save(out + QStringLiteral("/diagnostics_status_screen.png")));

    form.bar->btHelp->show();
    form.bar->btHelp->click();
    settle();
    ASSERT_TRUE(form.diagnostics->listViewerExists());
    DisplayDebug2 &v = form.diagnostics->listViewer();
    EXPECT_TRUE(v.isVisible());
    v.ListData_txt[5]->click();
    settle();
    const QImage screen2 = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    EXPECT_GT(colours(screen2, v.frameGeometry()), 4);
    EXPECT_TRUE(v.grab().save(out + QStringLiteral("/diagnostics_lists.png")));
    EXPECT_TRUE(dialogs.shown().empty());
}
