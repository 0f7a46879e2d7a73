// Slide layouts, bar layout and the clock's arithmetic, without a display.
#include "acquisition/SlideTime.h"
#include "platform/Units.h"
#include "slideshow/BarLayout.h"
#include "slideshow/ClockArithmetic.h"
#include "slideshow/SlideLayout.h"

#include <gtest/gtest.h>

#include <QSize>

#include <algorithm>
#include <cmath>
#include <string>

using namespace slideshow;
using acquisition::kMaxTimerInterval;
using acquisition::leadingNumber;
using acquisition::slideIntervalMs;
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

TEST(SlideLayout, FullScreenTargetsKeepProportionsOnEveryRow)
{
    // Fits, and the width has more room: height-led.
    FullScreenTarget t = fullScreenTarget(40000, 20000, 8000, 6000);
    EXPECT_EQ(t.width, 26667);
    EXPECT_EQ(t.height, 20000);
    // Fits, and the height has more room: width-led.
    t = fullScreenTarget(40000, 20000, 30000, 1000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 1333);
    // Only the width exceeds: H = AW * PH / PW (the table's AH * PH / PW
    // gave 4000, twice as high as the picture's shape).
    t = fullScreenTarget(40000, 20000, 50000, 10000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 8000);
    // Only the height exceeds: W = AH * PW / PH.
    t = fullScreenTarget(40000, 20000, 10000, 30000);
    EXPECT_EQ(t.width, 6667);
    EXPECT_EQ(t.height, 20000);
    // Both exceed, landscape, but the height is the tighter side.
    t = fullScreenTarget(40000, 20000, 60000, 50000);
    EXPECT_EQ(t.width, 24000);
    EXPECT_EQ(t.height, 20000);
    // Both exceed, landscape, the width the tighter side.
    t = fullScreenTarget(40000, 20000, 90000, 30000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 13333);
    // Both exceed, portrait.
    t = fullScreenTarget(40000, 20000, 40001, 50000);
    EXPECT_EQ(t.height, 20000);
    EXPECT_EQ(t.width, 16000);
    // Fits, height-led by the row, but then too wide: the width leads
    // instead of the old percentage cut (40000 x 19750).
    t = fullScreenTarget(40000, 20000, 25000, 10000);
    EXPECT_EQ(t.width, 40000);
    EXPECT_EQ(t.height, 16000);
    // Fits on a portrait area, width-led by the row, then too high.
    t = fullScreenTarget(10000, 20000, 9000, 18500);
    EXPECT_EQ(t.height, 20000);
    EXPECT_EQ(t.width, 9730);
}

TEST(SlideLayout, FullScreenPlacementInTwips)
{
    // Screen and credit label sized so that AW = 40000 and AH = 20000.
    const double sw = himetricToTwips(40000);
    const double sh = himetricToTwips(20000) + 432;
    SlideBox box = fullScreenLayout(sw, sh, 432, 50000, 10000);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, tw(6000));
    EXPECT_EQ(box.width, tw(40000));
    EXPECT_EQ(box.height, tw(8000));

    box = fullScreenLayout(sw, sh, 432, 8000, 6000);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.left, tw(20000 - 13333.5));
    EXPECT_EQ(box.height, tw(20000));
}

namespace {
struct TestScreen {
    const char *name;
    int width;   // pixels
    int height;
    double dpi;
};
// 16:10, full HD, a small touchscreen, a portrait sign, 4K at 192 DPI.
const TestScreen kScreens[] = {{"1280x800", 1280, 800, 96},
                               {"1920x1080", 1920, 1080, 96},
                               {"800x480", 800, 480, 96},
                               {"1080x1920", 1080, 1920, 96},
                               {"3840x2160@192", 3840, 2160, 192}};
} // namespace

// Every picture, on every screen, fills the area above the credit line as far
// as its shape allows, in its own proportions, centred.
TEST(SlideLayout, FullScreenFitOnFiveScreens)
{
    // Pictures in pixels at 96 DPI: larger than any screen, the start-up
    // logo, small, tall, wide, square.
    const QSize pictures[] = {{3000, 2000}, {1600, 900}, {200, 150}, {600, 4000},
                              {5000, 500},  {1000, 1000}, {1, 1}};
    for (const TestScreen &s : kScreens) {
        const double tpp = platform::units::twipsPerPixel(s.dpi);
        const float sw = float(s.width * tpp);
        const float sh = float(s.height * tpp);
        const BarLayout bar = computeBarLayout(sw, sh, sw / sh, barMinimumsFor(tpp));
        const double areaW = sw;
        const double areaH = sh - bar.credit.height;
        for (const QSize &p : pictures) {
            SCOPED_TRACE(std::string(s.name) + " picture " + std::to_string(p.width()) + "x" +
                         std::to_string(p.height()));
            const double him = 2540.0 / 96;   // HIMETRIC per pixel at 96 DPI
            const SlideBox b = fullScreenLayout(sw, sh, bar.credit.height, p.width() * him, p.height() * him);
            const double px = tpp;   // one pixel, in twips
            // Inside the area, touching it on one side.
            EXPECT_GE(b.left, -px);
            EXPECT_GE(b.top, -px);
            EXPECT_LE(b.left + b.width, areaW + px);
            EXPECT_LE(b.top + b.height, areaH + px);
            EXPECT_TRUE(std::abs(b.width - areaW) <= px || std::abs(b.height - areaH) <= px);
            // Centred on the other side.
            EXPECT_NEAR(b.left, (areaW - b.width) / 2, px);
            EXPECT_NEAR(b.top, (areaH - b.height) / 2, px);
            // The picture's shape: width / height within one pixel of the
            // shorter side.
            const double ratio = double(p.width()) / p.height();
            EXPECT_NEAR(b.width / b.height, ratio, ratio * 1.5 * px / std::min(b.width, b.height));
        }
    }
}

// A finger can hit every button and the credit line is readable; where the
// proportional bar is large enough it stays the window design's.
TEST(BarLayout, TouchSizesSquareIconsAndReadableCreditOnFiveScreens)
{
    for (const TestScreen &s : kScreens) {
        SCOPED_TRACE(s.name);
        const double tpp = platform::units::twipsPerPixel(s.dpi);
        const float sw = float(s.width * tpp);
        const float sh = float(s.height * tpp);
        const BarLayout b = computeBarLayout(sw, sh, sw / sh, barMinimumsFor(tpp));
        const auto pixels = [&](float twips) { return twips / tpp; };
        for (const BarRect &r : {b.setup, b.quit, b.animation, b.connection}) {
            EXPECT_GE(pixels(r.width), kMinTouchPixels - 0.01);
            EXPECT_GE(pixels(r.height), kMinTouchPixels - 0.01);
        }
        // Points to pixels at the screen's DPI.
        EXPECT_GE(b.creditFontPoints * s.dpi / 72, kMinCreditFontPixels - 0.01);
        // Square icons are square or wider (k on a wide screen), never squeezed.
        EXPECT_GE(b.quit.width, b.quit.height * 0.999f);
        // The credit line has at least 40 % of the width beside the buttons
        // and the logo, and the bar ends at the right edge.
        EXPECT_GE(b.credit.width, 0.4f * sw);
        EXPECT_NEAR(b.connection.left + b.connection.width, sw, 0.5);
        EXPECT_FLOAT_EQ(b.credit.top + b.credit.height, sh);

        const BarLayout proportional = computeBarLayout(sw, sh, sw / sh);
        if (pixels(proportional.barHeight) >= kMinTouchPixels && sw >= sh) {
            // Large enough already: nothing changes.
            EXPECT_FLOAT_EQ(b.barHeight, proportional.barHeight);
            EXPECT_FLOAT_EQ(b.setup.width, proportional.setup.width);
            EXPECT_FLOAT_EQ(b.creditFontPoints, proportional.creditFontPoints);
        }
    }
    // 800 x 480: a 40-pixel bar instead of 19.2.
    const BarLayout small = computeBarLayout(12000, 7200, 800.0f / 480, barMinimumsFor(15));
    EXPECT_FLOAT_EQ(small.barHeight, 600);
    // 1080 x 1920: laid out as the same width on 16:10 (k = 1), then the
    // touch minimum: square 40 x 40 pixels.
    const BarLayout portrait = computeBarLayout(16200, 28800, 1080.0f / 1920, barMinimumsFor(15));
    EXPECT_FLOAT_EQ(portrait.widthFactor, 1);
    EXPECT_FLOAT_EQ(portrait.quit.width, 600);
    EXPECT_FLOAT_EQ(portrait.quit.height, 600);
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
    // Ten minutes or a day stay whole; only beyond what a timer holds they are bounded.
    EXPECT_EQ(slideIntervalMs(600), 600000);
    EXPECT_EQ(slideIntervalMs(86400), 86400000);
    EXPECT_EQ(slideIntervalMs(1e7), kMaxTimerInterval);
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
    EXPECT_EQ(timingFor("200", 20000, 0).interval, 80000);
    EXPECT_EQ(timingFor("200", kMaxTimerInterval, 0).interval, kMaxTimerInterval);

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
