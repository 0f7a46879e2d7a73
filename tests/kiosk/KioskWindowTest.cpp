// The main window on a real X server, in this process: keys and pointer moves
// come from the X server (xdotool), so they take the way a user's would.
#include "core/FormPicture.h"
#include "core/KioskInput.h"
#include "core/RemoteRequests.h"
#include "kiosk/FakeScreenSaver.h"
#include "kiosk/KioskKit.h"
#include "panel/LanguageFrame.h"
#include "panel/SetupPanel.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/ProcessEnd.h"
#include "platform/ScreenBlanking.h"
#include "slideshow/ControlBar.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>

#include <gtest/gtest.h>

using kiosk::xdotool;

namespace {

void pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool pumpUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && !done())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool blankCursor()
{
    const QCursor *c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::BlankCursor;
}

class KioskWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        platform::ProcessEnd::resetForTests();
        platform::EventPump::resetQuit();
        portable.writeSecondStart();
        // Nothing answers: the window waits for the server, as on a first contact.
        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        ASSERT_TRUE(form->Form_Load());
        form->catalogueAddress = QStringLiteral("http://127.0.0.1:9/public/catalogue?");
        form->showCoveringScreen();
        form->activateWindow();
        ASSERT_TRUE(pumpUntil([&] { return form->isVisible(); }, 5000));
        // After its first tick the connection clock stops: a refused probe
        // is retried at every tick, and each retry re-reads the settings and
        // re-applies the language, which would move the focus under the test.
        ASSERT_TRUE(pumpUntil([&] { return form->generalClock.tickCount() >= 1; }, 5000));
        form->generalClock.setEnabled(false);
        pump(300);
    }
    void TearDown() override
    {
        platform::Clock::setSpeed(1);
        form.reset();
        platform::ProcessEnd::resetForTests();
        platform::EventPump::resetQuit();
    }

    void openPanel()
    {
        form->SSTCfg->LayoutPanelTabs();
        form->SSTCfg->show();
        form->SSTCfg->raise();
        pump(100);
    }
    // The pointer over the middle of a widget, in screen pixels.
    void pointAt(QWidget *w)
    {
        const QPoint p = w->mapToGlobal(w->rect().center());
        xdotool({"mousemove", QString::number(p.x()), QString::number(p.y())});
    }
    bool quitTaken() const
    {
        return platform::ProcessEnd::requested() || form->flagCmdButton == CmdSaveAndClose;
    }

    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    std::unique_ptr<FormPicture> form;
};

} // namespace

TEST_F(KioskWindow, EscapeInAPanelTextBoxStaysThereAndElsewhereQuits)
{
    openPanel();
    form->SSTCfg->setCurrentIndex(SetupPanel::TabDisplayTimers);
    QLineEdit *field = form->SSTCfg->SSTCfg_timeRefresh;
    ASSERT_TRUE(field->isVisible());
    pointAt(field);
    xdotool({"click", "1"});
    if (!pumpUntil([&] { return QApplication::focusWidget() == field; }, 1000))
        field->setFocus();
    ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() == field; }, 3000));
    xdotool({"type", "7"});
    xdotool({"key", "Escape"});
    pump(600);
    EXPECT_FALSE(quitTaken());
    EXPECT_FALSE(form->ExitToProgram);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(field->text().contains(u'7')) << "the text box still takes its keys";

    // The same key with the focus off the text boxes is the quit button.
    pointAt(form->bar->btLogo);
    form->setFocus();
    ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() == form.get(); }, 3000));
    xdotool({"key", "Escape"});
    EXPECT_TRUE(pumpUntil([&] { return quitTaken(); }, 3000));
    // Waiting for the server the run control is not running yet: saved at once.
    EXPECT_TRUE(platform::ProcessEnd::requested());
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n"));
}

// Ctrl+Q handed to the run control: one save, and its timer-correction
// warning stays up until answered, with no second save or warning inside it
// and no end of the process while it is up.
TEST_F(KioskWindow, QuitKeySavesOnceAndEachMessageIsAnswered)
{
    form->flagCmdButton = CmdPanelOpen;   // the run control runs and only keeps the panel usable
    form->panControl.setEnabled(true);
    form->SSTCfg->SSTCfg_timeRefresh->setText(QStringLiteral("x"));
    int depth = 0, maxDepth = 0, warnings = 0;
    bool endedWhileUp = false;
    dialogs.onShow = [&](const platform::ScriptedDialogs::Shown &) {
        ++warnings;
        maxDepth = std::max(maxDepth, ++depth);
        pump(1500);   // as long as a user takes to read it
        endedWhileUp = endedWhileUp || platform::ProcessEnd::requested();
        --depth;
    };
    pointAt(form->bar->btLogo);
    form->setFocus();
    ASSERT_TRUE(pumpUntil([&] { return QApplication::focusWidget() == form.get(); }, 3000));
    xdotool({"key", "ctrl+q"});
    EXPECT_TRUE(pumpUntil([&] { return platform::ProcessEnd::requested(); }, 10000));
    pump(500);
    dialogs.onShow = nullptr;
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_FALSE(endedWhileUp);
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n"));
}

TEST_F(KioskWindow, F1ClicksTheHelpButtonOnceWhenItIsThere)
{
    int clicks = 0;
    QObject::connect(form->bar->btHelp, &platform::ClickLabel::clicked, [&] { ++clicks; });
    pointAt(form->bar->btLogo);
    form->setFocus();
    form->bar->btHelp->hide();
    xdotool({"key", "F1"});
    pump(400);
    EXPECT_EQ(clicks, 0) << "a hidden button cannot be clicked";
    form->bar->btHelp->show();
    xdotool({"key", "F1"});
    EXPECT_TRUE(pumpUntil([&] { return clicks > 0; }, 3000));
    pump(300);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(quitTaken());
}

TEST_F(KioskWindow, PointerHidesOverTheSlideshowAndNeverOverThePanel)
{
    platform::Clock::setSpeed(10);   // the 3 s rest in 0.3 s
    pointAt(form.get());
    EXPECT_FALSE(blankCursor());
    EXPECT_TRUE(pumpUntil([&] { return form->kiosk->pointerHidden(); }, 3000));
    EXPECT_TRUE(blankCursor());

    xdotool({"mousemove_relative", "--", "5", "5"});
    EXPECT_TRUE(pumpUntil([&] { return !form->kiosk->pointerHidden(); }, 1000));
    EXPECT_FALSE(blankCursor());
    // And it hides again after the next rest.
    EXPECT_TRUE(pumpUntil([&] { return form->kiosk->pointerHidden(); }, 3000));

    // The panel opens under a hidden pointer: the pointer comes back and stays.
    openPanel();
    pointAt(form->SSTCfg);
    pump(1500);
    EXPECT_FALSE(form->kiosk->pointerHidden());
    EXPECT_FALSE(blankCursor());
    form->SSTCfg->hide();
    EXPECT_TRUE(pumpUntil([&] { return form->kiosk->pointerHidden(); }, 3000));

    // A frame asking its question keeps the pointer too.
    form->Frame_Select_Language->show();
    form->Frame_Select_Language->raise();
    pointAt(form->Frame_Select_Language);
    pump(1500);
    EXPECT_FALSE(blankCursor());
}

TEST(ScreenBlanking, AskedWhileTheWindowIsShownAndReleasedAfter)
{
    kiosk::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    FakeScreenSaver desktop;
    ASSERT_TRUE(desktop.registerOn(bus.address()));

    {
        platform::ScreenBlanking blanking(
            QStringLiteral("Cirrolith"), QDBusConnection::connectToBus(bus.address(), QStringLiteral("client")));
        blanking.inhibit(QStringLiteral("slideshow"));
        ASSERT_TRUE(pumpUntil([&] { return blanking.held(); }, 5000));
        EXPECT_EQ(desktop.calls, QStringList{"Inhibit Cirrolith slideshow"});
        blanking.inhibit(QStringLiteral("slideshow"));   // asked once only
        blanking.release();
        EXPECT_FALSE(blanking.held());
        ASSERT_TRUE(pumpUntil([&] { return desktop.active.isEmpty(); }, 5000));
        EXPECT_EQ(desktop.calls.size(), 2);

        // Released before the answer came: the desktop is told at once.
        blanking.inhibit(QStringLiteral("slideshow"));
        blanking.release();
        pump(500);
        EXPECT_FALSE(blanking.held());
        EXPECT_TRUE(desktop.active.isEmpty());
        EXPECT_EQ(desktop.calls.size(), 4);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));

    // A bus without a screen saver: nothing held, nothing waits.
    kiosk::PrivateBus empty;
    platform::ScreenBlanking alone(QStringLiteral("Cirrolith"),
                                   QDBusConnection::connectToBus(empty.address(), QStringLiteral("empty")));
    alone.inhibit(QStringLiteral("slideshow"));
    pump(500);
    EXPECT_FALSE(alone.held());
    QDBusConnection::disconnectFromBus(QStringLiteral("empty"));
}

TEST(ScreenBlanking, TheMainWindowAsksOnTheSessionBus)
{
    kiosk::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    FakeScreenSaver desktop;
    ASSERT_TRUE(desktop.registerOn(bus.address()));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());

    TempPortable portable;
    portable.writeSecondStart();
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope(&dialogs);
    platform::EventPump::resetQuit();
    {
        FormPicture form(StartOptions{portable.appDir(), QString()});
        ASSERT_TRUE(form.Form_Load());
        form.catalogueAddress = QStringLiteral("http://127.0.0.1:9/public/catalogue?");
        pump(300);
        EXPECT_TRUE(desktop.calls.isEmpty()) << "nothing asked before the window is on screen";
        form.showCoveringScreen();
        ASSERT_TRUE(pumpUntil([&] { return !desktop.active.isEmpty(); }, 5000))
            << "wanted " << form.kiosk->screenBlanking().wanted() << " calls "
            << desktop.calls.join(u',').toStdString();
        // The screen off for the night lets the desktop blank it; on again
        // holds it again.
        form.keyScreen = -1;
        EXPECT_TRUE(form.remoteRequests->carryOut());
        EXPECT_TRUE(pumpUntil([&] { return desktop.active.isEmpty(); }, 5000)) << desktop.calls.join(u',').toStdString();
        form.keyScreen = 1;
        EXPECT_TRUE(form.remoteRequests->carryOut());
        EXPECT_TRUE(pumpUntil([&] { return !desktop.active.isEmpty(); }, 5000)) << desktop.calls.join(u',').toStdString();
        form.close();
        EXPECT_TRUE(pumpUntil([&] { return desktop.active.isEmpty(); }, 5000));
    }
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    platform::ProcessEnd::resetForTests();
}
