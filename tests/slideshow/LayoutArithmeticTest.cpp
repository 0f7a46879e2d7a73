// Slide layouts, bar layout and the clock's arithmetic, without a display.
#include "platform/Units.h"
#include "slideshow/BarLayout.h"
#include "slideshow/ClockArithmetic.h"
#include "slideshow/SlideLayout.h"

#include <gtest/gtest.h>

using namespace slideshow;
using platform::units::himetricToTwips;
using platform::units::roundHalfEven;
using platform::units::twipsToHimetric;

namespace {
double tw(double himetric) { return static_cast<double>(roundHalfEven(himetricToTwips(himetric))); }
} // namespace

TEST(SlideLayout, NormalModeCentresAtNaturalSize)
{
    // A window of 20000 x 15000 HIMETRIC, a picture of 2000 x 1000.
    const SlideBox box = normalLayout(himetricToTwips(20000), himetricToTwips(15000), 2000, 1000);
    EXPECT_EQ(box.left, tw(9000));
    EXPECT_EQ(box.top, tw(7000));
    EXPECT_EQ(box.width, tw(2000));

    // Larger than the window: negative offsets, cut at the edges.
    const SlideBox big = normalLayout(himetricToTwips(20000), himetricToTwips(15000), 30000, 17000);
    EXPECT_EQ(big.left, tw(-5000));
    EXPECT_EQ(big.top, tw(-1000));
}

TEST(SlideLayout, FullScreenTargetsFollowTheTableRowByRow)
{
    // Fits, and the width has more room: height-led, proportions kept.
    FullScreenTarget t = fullScreenTarget(40000, 20000, 8000, 6000);
    EXPECT_EQ(t.width, 26667);
    EXPECT_EQ(t.height, 20000);
    // Fits, and the height has more room: width-led.
    t = fullScreenTarget(40000, 20000, 30000, 1000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 1333);
    // Only the width exceeds: the height is scaled from AH, not AW.
    t = fullScreenTarget(40000, 20000, 50000, 10000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 4000);
    // Only the height exceeds.
    t = fullScreenTarget(40000, 20000, 10000, 30000);
    EXPECT_EQ(t.width, 13333);
    EXPECT_EQ(t.height, 20000);
    // Both exceed, landscape: W = AW, H = AH * PH / PW.
    t = fullScreenTarget(40000, 20000, 60000, 50000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 16667);
    // Both exceed, portrait: W = AW * PW / PH = 32000, H = AH.
    t = fullScreenTarget(40000, 20000, 40001, 50000);
    EXPECT_EQ(t.height, 20000);
    EXPECT_EQ(t.width, 32001);
}

TEST(SlideLayout, OverflowingTargetGetsThePercentageCorrection)
{
    // Fits, height-led: W = PW * AH / PH = 50000 > AW. The correction cuts W
    // to AW and H by (W / AW) percent: 20000 - 250.
    const FullScreenTarget t = fullScreenTarget(40000, 20000, 25000, 10000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 19750);
}

TEST(SlideLayout, FullScreenPlacementInTwips)
{
    // Screen and credit label sized so that AW = 40000 and AH = 20000.
    const double sw = himetricToTwips(40000);
    const double sh = himetricToTwips(20000) + 432;
    SlideBox box = fullScreenLayout(sw, sh, 432, 50000, 10000);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, tw(8000));
    EXPECT_EQ(box.width, tw(40000));
    EXPECT_EQ(box.height, tw(4000));

    box = fullScreenLayout(sw, sh, 432, 8000, 6000);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.left, tw(20000 - 13333.5));
    EXPECT_EQ(box.height, tw(20000));
}

TEST(BarLayout, FullHdScreen)
{
    const BarLayout b = computeBarLayout(19200, 10800, 1.7778f);
    EXPECT_FLOAT_EQ(b.barHeight, 432);
    EXPECT_NEAR(b.widthFactor, 1.1111, 1e-4);
    EXPECT_NEAR(b.quit.width, 480, 0.01);
    EXPECT_NEAR(b.animation.width, 480, 0.01);
    EXPECT_NEAR(b.connection.width, 480, 0.01);
    EXPECT_NEAR(b.setup.width, 1410, 0.05);
    EXPECT_NEAR(b.logo.width, 3150, 0.1);
    EXPECT_NEAR(b.credit.width, 13680, 0.3);
    EXPECT_NEAR(b.credit.left, 1890, 0.05);
    EXPECT_NEAR(b.animation.left, 1890, 0.05);
    EXPECT_NEAR(b.logo.left, 15570, 0.2);
    EXPECT_NEAR(b.connection.left, 18720, 0.05);
    EXPECT_NEAR(b.connection.left + b.connection.width, 19200, 0.05);
    for (const BarRect &r : {b.setup, b.quit, b.animation, b.credit, b.logo, b.connection})
        EXPECT_FLOAT_EQ(r.top, 10368);
    EXPECT_FLOAT_EQ(b.timerflagTop, 10368 - 432);
    EXPECT_NEAR(b.creditFontPoints, 8.64, 1e-4);
}

TEST(BarLayout, SixteenByTenAndDegenerateRatio)
{
    const BarLayout b = computeBarLayout(16800, 10500, 1.6f);
    EXPECT_FLOAT_EQ(b.widthFactor, 1);
    EXPECT_FLOAT_EQ(b.barHeight, 420);
    EXPECT_FLOAT_EQ(b.quit.width, 420);
    EXPECT_FLOAT_EQ(b.setup.width, 1233.75f);

    // A ratio of 0 gives zero-width buttons and a credit label across the screen.
    const BarLayout z = computeBarLayout(16800, 10500, 0);
    EXPECT_FLOAT_EQ(z.quit.width, 0);
    EXPECT_FLOAT_EQ(z.credit.width, 16800);
}

TEST(ClockArithmetic, ReloadRunsOnTheFourthTickAtTenSecondsAndOneMinute)
{
    std::int32_t counter = 0;
    int dueAt = 0;
    for (int tick = 1; tick <= 5 && !dueAt; ++tick) {
        counter = advanceCounter(counter, 10);
        if (reloadDue(counter, 1))
            dueAt = tick;
    }
    EXPECT_EQ(dueAt, 4);
}

TEST(ClockArithmetic, RefreshRunsOnTheSeventhTickForOneMinute)
{
    std::int32_t counter = 0;
    int dueAt = 0;
    for (int tick = 1; tick <= 10 && !dueAt; ++tick) {
        counter = advanceCounter(counter, 10);
        if (refreshDue(counter, 1, 1))
            dueAt = tick;
    }
    EXPECT_EQ(dueAt, 7);
    EXPECT_TRUE(refreshDue(0, 1440, 0));   // never loaded: at once
}

TEST(ClockArithmetic, CountersRoundHalfToEvenAndSaturate)
{
    EXPECT_EQ(advanceCounter(0, 2.5), 2);
    EXPECT_EQ(advanceCounter(1, 2.5), 4);
    EXPECT_EQ(advanceCounter(std::numeric_limits<std::int32_t>::max() - 1, 10),
              std::numeric_limits<std::int32_t>::max());
}

TEST(ClockArithmetic, SlideTimeTextAndInterval)
{
    EXPECT_EQ(leadingNumber("12"), 12);
    EXPECT_EQ(leadingNumber(" 7 sec"), 7);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(slideIntervalMs(4), 4000);
    EXPECT_EQ(slideIntervalMs(32), 32000);
    // 33 s would overflow a 16-bit millisecond count; here it does not.
    EXPECT_EQ(slideIntervalMs(33), 33000);
    EXPECT_EQ(slideIntervalMs(70), kMaxTimerInterval);
    EXPECT_EQ(slideIntervalMs(0), 0);
}

TEST(ClockArithmetic, TimingCodes)
{
    SlideTiming t = timingFor("99", 4000, 1);
    EXPECT_EQ(t.interval, 50);
    EXPECT_TRUE(t.showAnimationButton);
    t = timingFor("99", 4000, 99);
    EXPECT_EQ(t.interval, 50);
    t = timingFor("99", 4000, 100);   // the hundredth keeps the interval before
    EXPECT_FALSE(t.interval);
    EXPECT_FALSE(t.showAnimationButton);
    EXPECT_TRUE(t.bannerOnYellow);

    t = timingFor("95", 4000, 0);
    EXPECT_EQ(t.interval, 100);
    EXPECT_TRUE(t.showAnimationButton);

    t = timingFor("200", 4000, 0);
    EXPECT_EQ(t.interval, 16000);
    EXPECT_TRUE(t.raiseAnimationButton);
    // 20 s slides: 80000 ms does not fit a timer; clamped.
    EXPECT_EQ(timingFor("200", 20000, 0).interval, kMaxTimerInterval);

    for (const char *other : {"", "100", "9 9", "abc"}) {
        t = timingFor(other, 4000, 0);
        EXPECT_EQ(t.interval, 4000) << other;
        EXPECT_FALSE(t.showAnimationButton) << other;
    }
}

TEST(ClockArithmetic, RefreshMinuteCoversOneToADay)
{
    EXPECT_EQ(refreshMinuteFrom(0.0), 1);
    EXPECT_EQ(refreshMinuteFrom(0.99999999), 1440);
    EXPECT_EQ(refreshMinuteFrom(0.5), 721);
    EXPECT_EQ(refreshMinuteFrom(1.0), 1440);   // never 1441
}
