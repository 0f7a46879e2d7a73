#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/VbTimer.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace platform;

namespace {
struct FastClock {
    explicit FastClock(double speed) { Clock::setSpeed(speed); }
    ~FastClock() { Clock::setSpeed(1); }
};
} // namespace

TEST(Clock, ScalesNominalTimeButNeverToZero)
{
    FastClock fast(100);
    EXPECT_EQ(Clock::toReal(1000), 10);
    EXPECT_EQ(Clock::toReal(50), 1);
    EXPECT_EQ(Clock::toReal(0), 0);
    Clock::setSpeed(0.5);   // slower than real time is not allowed
    EXPECT_EQ(Clock::speed(), 1.0);
}

TEST(VbTimer, TicksOnlyWhileEnabledWithAnInterval)
{
    FastClock fast(50);
    VbTimer t(QStringLiteral("t"), 500);
    int ticks = 0;
    t.setHandler([&] { ++ticks; });

    EventPump::Sleep(2000);
    EXPECT_EQ(ticks, 0) << "a timer is created disabled";

    t.setEnabled(true);
    EventPump::Sleep(2600);   // about five intervals of nominal time
    EXPECT_GE(ticks, 2);      // a loaded machine may coalesce a tick or two
    EXPECT_LE(ticks, 6);

    t.setInterval(0);
    const int atZero = ticks;
    EventPump::Sleep(2000);
    EXPECT_EQ(ticks, atZero) << "interval 0 stops an enabled timer";
    EXPECT_TRUE(t.Enabled());

    t.setInterval(600000);   // a ten-minute slide is held whole
    EXPECT_EQ(t.Interval(), 600000);
    t.setEnabled(false);
}

// On the real event loop: a handler that waits sees the other timers tick,
// but never a second tick of its own timer, also when it switches its timer
// off and on or changes its interval while it waits (the connection clock
// does exactly that).
TEST(VbTimer, OtherTimersTickDuringAHandlersWaitButItNeverNestsItself)
{
    for (const bool togglesItself : {false, true}) {
        SCOPED_TRACE(togglesItself ? "handler re-arms its own timer" : "plain wait");
        FastClock fast(50);
        VbTimer slow(QStringLiteral("slow"), 100);
        VbTimer other(QStringLiteral("other"), 100);
        int depth = 0, maxDepth = 0, slowTicks = 0, otherTicks = 0, otherTicksInside = 0;
        slow.setHandler([&] {
            ++depth;
            ++slowTicks;
            maxDepth = std::max(maxDepth, depth);
            if (depth > 1) {   // nested: record it, but do not recurse for ever
                --depth;
                return;
            }
            const int before = otherTicks;
            if (togglesItself) {
                slow.setEnabled(false);
                slow.setEnabled(true);
                slow.setInterval(100);
            }
            EventPump::Sleep(1000);
            otherTicksInside = std::max(otherTicksInside, otherTicks - before);
            --depth;
        });
        other.setHandler([&] { ++otherTicks; });
        slow.setEnabled(true);
        other.setEnabled(true);
        EventPump::Sleep(3500);
        slow.setEnabled(false);
        other.setEnabled(false);
        EXPECT_EQ(maxDepth, 1);
        EXPECT_GE(slowTicks, 2) << "the timer goes on ticking after its handler returns";
        EXPECT_GE(otherTicksInside, 2);
    }
}

TEST(EventPump, SleepKeepsTheEventLoopRunning)
{
    bool ran = false;
    QTimer::singleShot(20, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    EventPump::Sleep(200);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock.elapsed(), 150);
}

TEST(Dialogs, ScriptedAnswersAndRecordsEverything)
{
    ScriptedDialogs script;
    ScopedDialogs scope(&script);
    script.answer(MsgResult::Cancel);
    EXPECT_EQ(DialogService::current().MsgBox(QStringLiteral("sure?"), MsgButtons::OKCancel,
                                              MsgIcon::Question, QStringLiteral("Test message")),
              MsgResult::Cancel);
    // Nothing queued: the first button, as Enter would choose.
    EXPECT_EQ(DialogService::current().MsgBox(QStringLiteral("yes?"), MsgButtons::YesNo), MsgResult::Yes);
    EXPECT_EQ(DialogService::current().MsgBox(QStringLiteral("ok")), MsgResult::OK);

    ASSERT_EQ(script.shown().size(), 3u);
    EXPECT_EQ(script.shown()[0].title, QStringLiteral("Test message"));
    EXPECT_EQ(script.shown()[0].icon, MsgIcon::Question);
    EXPECT_EQ(script.shown()[1].title, DialogService::defaultTitle());
    EXPECT_EQ(script.texts(), QStringList({"sure?", "yes?", "ok"}));

    script.answerFile(QStringLiteral("/tmp/a.jpg"));
    OpenFileRequest req{QStringLiteral("Pick"), QStringLiteral("/tmp"), {"JPG"}, {"*.jpg"}};
    EXPECT_EQ(DialogService::current().ShowOpenFile(req), QStringLiteral("/tmp/a.jpg"));
    EXPECT_EQ(DialogService::current().ShowOpenFile(req), QString()) << "cancelled";
    EXPECT_EQ(script.fileRequests().size(), 2u);
}
