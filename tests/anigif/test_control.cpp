// The control as its host sees it: loading, the play states and their events, delays,
// display sizes, mirroring, palettes and the saved form.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QUrl>
#include <cmath>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>
#include <QTemporaryDir>
#include <QTimer>

#include "GifTestKit.h"
#include "platform/Clock.h"
#include "ucAniGIF.h"

using gifkit::Animation;
using gifkit::Frame;

namespace {

Animation frames(int n, int w = 40, int h = 20) {
    Animation a;
    a.screenWidth = w;
    a.screenHeight = h;
    a.globalPalette = gifkit::palette(8);
    for (int i = 0; i < n; ++i) {
        Frame f;
        f.width = w;
        f.height = h;
        f.pixels.resize(size_t(w) * h);
        for (int k = 0; k < w * h; ++k) f.pixels[k] = std::uint8_t((k % w + k / w * 3 + i) % 8);
        f.delayCs = 5;
        a.frames.push_back(f);
    }
    return a;
}

struct Events {
    std::vector<std::pair<int, bool>> changed;
    int loopsEnded = 0;
    explicit Events(ucAniGIF &g) {
        QObject::connect(&g, &ucAniGIF::FrameChanged, [this](int f, bool t) { changed.emplace_back(f, t); });
        QObject::connect(&g, &ucAniGIF::LoopsEnded, [this] { ++loopsEnded; });
    }
};

// Runs the event loop until `done` or a (real) time limit.
template <class F>
bool waitFor(F done, int realMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < realMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

class DesignHost : public anigif::AniGifHost {
public:
    bool runMode() const override { return false; }
    void propertyChanged(const QString &name) override { changed << name; }
    QStringList changed;
};

class Fast : public ::testing::Test {
protected:
    void SetUp() override { platform::Clock::setSpeed(20); }
    void TearDown() override { platform::Clock::setSpeed(1); }
};

} // namespace

TEST_F(Fast, LoopsTwoOnThreeFramesStopsOnLastFrame) {
    ucAniGIF g;
    g.setDelayAnimation(0);
    Events ev(g);
    Animation a = frames(3);
    a.loops = 2;
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(a)));
    EXPECT_EQ(g.Action(), 1);  // decoded and started inside the load call
    EXPECT_EQ(g.LoopsRemaining(), 2);
    ASSERT_TRUE(waitFor([&] { return ev.loopsEnded > 0; }));
    waitFor([] { return false; }, 60);
    const std::vector<std::pair<int, bool>> want = {{1, true}, {2, true}, {3, true},
                                                    {1, true}, {2, true}, {3, true}};
    EXPECT_EQ(ev.changed, want);
    EXPECT_EQ(ev.loopsEnded, 1);
    EXPECT_EQ(g.CurrentFrame(), 3);
    EXPECT_EQ(g.Action(), 0);
    EXPECT_EQ(g.LoopsRemaining(), 2);
}

TEST_F(Fast, DeferredDecodingModes) {
    const QByteArray b = gifkit::encode(frames(2));
    {
        ucAniGIF g;  // default 1: frame 1 now, the rest on a short tick, then play
        Events ev(g);
        ASSERT_TRUE(g.LoadAnimatedGIF_Array(b));
        EXPECT_TRUE(g.decodingPending());
        EXPECT_EQ(g.Action(), 0);
        EXPECT_EQ(g.CurrentFrame(), 1);
        ASSERT_TRUE(waitFor([&] { return g.Action() == 1; }));
        EXPECT_FALSE(g.decodingPending());
        EXPECT_EQ(g.core().index(2, 1, 0), frames(2).frames[1].pixels[1]);
    }
    {
        ucAniGIF g;
        g.setDelayAnimation(2);
        Events ev(g);
        ASSERT_TRUE(g.LoadAnimatedGIF_Array(b));
        ASSERT_TRUE(waitFor([&] { return !g.decodingPending(); }));
        const std::vector<std::pair<int, bool>> want = {{1, false}};
        EXPECT_EQ(ev.changed, want);
        EXPECT_EQ(g.Action(), 0);
        EXPECT_EQ(g.CurrentFrame(), 1);
    }
    {
        // Hiding the control before the tick leaves the start to the tick.
        ucAniGIF g;
        g.show();
        ASSERT_TRUE(g.LoadAnimatedGIF_Array(b));
        g.hide();
        EXPECT_TRUE(g.decodingPending());
        ASSERT_TRUE(waitFor([&] { return g.Action() == 1; }));
    }
    {
        // A step request while decoding is pending finishes the decoding first.
        ucAniGIF g;
        ASSERT_TRUE(g.LoadAnimatedGIF_Array(b));
        g.setAction(ucAniGIF::Step);
        EXPECT_FALSE(g.decodingPending());
        EXPECT_EQ(g.CurrentFrame(), 2);
        EXPECT_EQ(g.core().index(2, 1, 0), frames(2).frames[1].pixels[1]);
    }
}

TEST_F(Fast, ActionRequestsAndTheirEvents) {
    ucAniGIF g;
    g.setDelayAnimation(2);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(frames(4))));
    ASSERT_TRUE(waitFor([&] { return !g.decodingPending(); }));
    Events ev(g);

    g.setAction(ucAniGIF::Step);
    EXPECT_EQ(ev.changed.back(), std::make_pair(2, false));
    EXPECT_EQ(g.Action(), 2);
    g.setAction(ucAniGIF::Play);  // paused: continues from frame 2
    EXPECT_EQ(g.Action(), 1);
    EXPECT_EQ(g.CurrentFrame(), 2);
    ASSERT_TRUE(waitFor([&] { return !ev.changed.empty() && ev.changed.back().second; }));
    EXPECT_EQ(ev.changed.back(), std::make_pair(2, true));  // the frame that was on screen

    g.setAction(ucAniGIF::Pause);
    const int pausedAt = g.CurrentFrame();
    const size_t count = ev.changed.size();
    waitFor([] { return false; }, 40);
    EXPECT_EQ(ev.changed.size(), count);
    EXPECT_EQ(g.CurrentFrame(), pausedAt);

    g.setAction(ucAniGIF::Stop);
    EXPECT_EQ(ev.changed.back(), std::make_pair(1, false));
    EXPECT_EQ(g.Action(), 0);
    g.setAction(ucAniGIF::Step);
    g.setAction(ucAniGIF::Step);
    g.setAction(ucAniGIF::Stop);
    g.setAction(ucAniGIF::Play);  // stopped: starts at frame 1
    EXPECT_EQ(g.CurrentFrame(), 1);
    g.setAction(ucAniGIF::Restart);
    EXPECT_EQ(g.Action(), 1);
    EXPECT_EQ(g.CurrentFrame(), 1);
    g.setAction(7);  // ignored
    EXPECT_EQ(g.Action(), 1);

    // Pausing from inside FrameChanged holds the animation where it is.
    QObject::connect(&g, &ucAniGIF::FrameChanged, &g, [&](int, bool viaTimer) {
        if (viaTimer) g.setAction(ucAniGIF::Pause);
    });
    ASSERT_TRUE(waitFor([&] { return g.Action() == 2; }));
    const int held = g.CurrentFrame();
    waitFor([] { return false; }, 40);
    EXPECT_EQ(g.CurrentFrame(), held);
    EXPECT_EQ(g.Action(), 2);
}

TEST_F(Fast, OneFrameNeverPlaysAndEmptyLoadsFail) {
    ucAniGIF g;
    Events ev(g);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(frames(1))));
    EXPECT_EQ(ev.changed.front(), std::make_pair(1, false));
    g.setAction(ucAniGIF::Play);
    EXPECT_EQ(g.Action(), 0);

    EXPECT_FALSE(g.LoadAnimatedGIF_File("/nonexistent/x.gif"));
    EXPECT_EQ(g.FrameCount(), 0);
    EXPECT_EQ(g.CurrentFrame(), 0);
    EXPECT_EQ(g.LoopsRemaining(), 0);
    QTemporaryDir dir;
    QFile empty(dir.filePath("e.gif"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_FALSE(g.LoadAnimatedGIF_File(empty.fileName()));
    EXPECT_FALSE(g.LoadAnimatedGIF_Array(QByteArray("GIF89a not really")));

    QFile real(dir.filePath("r.gif"));
    ASSERT_TRUE(real.open(QIODevice::WriteOnly));
    real.write(gifkit::encode(frames(3)));
    real.close();
    EXPECT_TRUE(g.LoadAnimatedGIF_File(real.fileName()));
    EXPECT_EQ(g.FrameCount(), 3);
    EXPECT_EQ(g.LoopsRemaining(), 2147483647);
}

// A radar-like loop: frame 1 a W x H map, then blocks that redraw the map with an
// echo moving over it. With `seeThrough`, frame 1 leaves a corner transparent.
static Animation radarLike(int W, int H, bool seeThrough = false) {
    auto map = [](int x, int y) { return std::uint8_t(4 + (x / 6 + y / 4) % 4); };
    Animation a;
    a.screenWidth = W;
    a.screenHeight = H;
    a.globalPalette = gifkit::palette(8);
    for (int k = 0; k < 6; ++k) {
        Frame f;
        f.disposal = 1;
        f.delayCs = 5;
        f.left = k ? 8 + 4 * k : 0;
        f.top = k ? 6 + 3 * k : 0;
        f.width = k ? 24 : W;
        f.height = k ? 16 : H;
        if (seeThrough && !k) f.transparent = 0;
        for (int y = f.top; y < f.top + f.height; ++y)
            for (int x = f.left; x < f.left + f.width; ++x) {
                const int dx = x - (f.left + 12), dy = y - (f.top + 8);
                f.pixels.push_back(k && dx * dx + dy * dy < 26 ? std::uint8_t(1 + (dx + dy + 9) % 3)
                                   : seeThrough && !k && x + y < 12 ? 0
                                                                    : map(x, y));
            }
        a.frames.push_back(f);
    }
    return a;
}

// A radar-like loop played stretched on screen: after each frame's partial repaint
// the screen shows exactly what painting the whole frame gives, across the wrap too.
// Each new frame waits on screen, paused, until the test has looked at it and plays on.
static void pauseOnEachFrame(ucAniGIF *g, bool &shown) {
    QObject::connect(g, &ucAniGIF::FrameChanged, [g, &shown](int, bool viaTimer) {
        if (viaTimer) g->setAction(ucAniGIF::Pause);
        shown = viaTimer;
    });
    if (g->Action() != 1) g->setAction(ucAniGIF::Play);
}

TEST_F(Fast, PartialRepaintsShowTheWholeFrame) {
    const Animation a = radarLike(60, 40);
    QWidget top;
    top.resize(90, 60);
    auto *g = new ucAniGIF(&top);
    g->setGeometry(top.rect());
    std::vector<QRect> painted;
    struct Spy : QObject {
        std::vector<QRect> *rects;
        bool eventFilter(QObject *, QEvent *e) override {
            if (e->type() == QEvent::Paint) rects->push_back(static_cast<QPaintEvent *>(e)->rect());
            return false;
        }
    } spy;
    spy.rects = &painted;
    g->installEventFilter(&spy);
    top.show();
    ASSERT_TRUE(waitFor([&] { return top.windowHandle() && top.windowHandle()->isExposed(); }));
    ASSERT_TRUE(g->LoadAnimatedGIF_Array(gifkit::encode(a)));
    ASSERT_FLOAT_EQ(g->scaleX(), 1.5f);
    bool shown = false;
    pauseOnEachFrame(g, shown);
    for (int step = 0; step < 14; ++step) {
        ASSERT_TRUE(waitFor([&] { return shown; }));
        painted.clear();
        waitFor([] { return false; }, 40);
        const QImage screen = top.screen()->grabWindow(top.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QImage whole(g->size(), QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::black);
        {
            QPainter p(&whole);
            g->renderCurrentFrame(p);
        }
        ASSERT_EQ(screen.size(), whole.size());
        EXPECT_EQ(gifkit::diff(screen, whole.convertToFormat(QImage::Format_RGB32)), "")
            << "frame " << g->CurrentFrame();
        // Only the echo's surroundings were painted again.
        ASSERT_FALSE(painted.empty()) << "frame " << g->CurrentFrame();
        for (const QRect &r : painted) EXPECT_LT(r.width() * r.height(), 90 * 60 / 2) << "frame " << g->CurrentFrame();
        shown = false;
        g->setAction(ucAniGIF::Play);
    }
}

// Stretched, each frame on screen is the canvas scaled smoothly by Qt itself, within
// rounding, while frames repaint only their area: over the loop's wraps, after the
// control is resized and after its back colour changes (the later rounds copy the
// changes kept from the first); a frame 1 that covers all and one that leaves a
// corner see-through.
TEST_F(Fast, StretchedFramesMatchSmoothScalingOfTheCanvas) {
    for (const bool seeThrough : {false, true}) {
        SCOPED_TRACE(seeThrough ? "see-through frame 1" : "opaque frame 1");
        QWidget top;
        top.resize(90, 60);
        auto *g = new ucAniGIF(&top);
        g->setGeometry(top.rect());
        g->setBackStyle(1);
        g->setBackColor(0x996633);
        top.show();
        ASSERT_TRUE(waitFor([&] { return top.windowHandle() && top.windowHandle()->isExposed(); }));
        const QByteArray bytes = gifkit::encode(radarLike(60, 40, seeThrough));
        const gifkit::Reference reference = gifkit::referenceDecode(bytes);
        ASSERT_EQ(reference.frames.size(), 6u);
        ASSERT_TRUE(g->LoadAnimatedGIF_Array(bytes));
        bool shown = false;
        pauseOnEachFrame(g, shown);
        for (int step = 0; step < 24; ++step) {
            ASSERT_TRUE(waitFor([&] { return shown; }));
            waitFor([] { return false; }, 40);
            // The canvas itself, composed a frame at a time, is the frame giflib gives.
            EXPECT_EQ(gifkit::diff(g->core().canvas(), reference.frames[std::size_t(g->CurrentFrame() - 1)]), "")
                << "step " << step;
            const QImage screen =
                top.screen()->grabWindow(top.winId()).toImage().convertToFormat(QImage::Format_RGB32);
            QImage want(top.size(), QImage::Format_RGB32);
            want.fill(top.palette().color(QPalette::Window));
            {
                QPainter p(&want);
                p.fillRect(QRect(0, 0, qRound(g->scaleX() * 60), qRound(g->scaleY() * 40)), g->resolvedBackColor());
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(g->rect(), g->core().canvas());
            }
            ASSERT_EQ(screen.size(), want.size());
            int worst = 0;
            QPoint at;
            for (int y = 0; y < want.height(); ++y)
                for (int x = 0; x < want.width(); ++x) {
                    const QRgb a = screen.pixel(x, y), b = want.pixel(x, y);
                    const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                            std::abs(qBlue(a) - qBlue(b))});
                    if (d > worst) worst = d, at = QPoint(x, y);
                }
            EXPECT_LE(worst, 2) << "step " << step << " frame " << g->CurrentFrame() << " at " << at.x() << ","
                                << at.y();
            if (step == 5) {
                top.resize(110, 70);
                g->setGeometry(top.rect());
            }
            if (step == 10) {
                g->setBackColor(0x22CC44);
                g->Refresh();
            }
            shown = false;
            g->setAction(ucAniGIF::Play);
        }
        // Every frame's change is small: all were kept, and the last rounds above
        // were drawn from them.
        EXPECT_EQ(g->core().keptPatches(), 6);
        EXPECT_GE(g->core().patchReplays(), 6);
    }
}

TEST(AnigifControl, DelaysClampAndSteppedDelayOverrides) {
    ucAniGIF g;
    Animation a = frames(2);
    a.frames[0].delayCs = 0;
    a.frames[1].delayCs = 30;
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(a)));
    EXPECT_EQ(g.displayTime(1), 50);
    EXPECT_EQ(g.displayTime(2), 300);
    g.setMinFrameDelay(5);
    EXPECT_EQ(g.MinFrameDelay(), 10);
    g.setMinFrameDelay(40000);
    EXPECT_EQ(g.MinFrameDelay(), 32700);
    EXPECT_EQ(g.displayTime(2), 32700);
    g.setSteppedDelay(100);
    EXPECT_EQ(g.displayTime(1), 100);
    EXPECT_EQ(g.displayTime(2), 100);
    g.setSteppedDelay(-4);
    EXPECT_EQ(g.SteppedDelay(), 0);
    EXPECT_EQ(g.displayTime(1), 32700);
}

TEST(AnigifControl, LoopsOverflowIsReportedAndChangesNothing) {
    ucAniGIF g;
    Animation a = frames(2);
    a.loops = 3;
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(a)));
    EXPECT_EQ(g.Loops(), 3);
    EXPECT_FALSE(g.setLoops(40000));
    EXPECT_FALSE(g.setLoops(std::int64_t(-2147483648LL)));
    EXPECT_EQ(g.Loops(), 3);
    EXPECT_EQ(g.LoopsRemaining(), 3);
    EXPECT_TRUE(g.setLoops(-5));
    EXPECT_EQ(g.Loops(), 5);
    EXPECT_EQ(g.LoopsRemaining(), 5);
    EXPECT_TRUE(g.setLoops(32767));
    EXPECT_EQ(g.LoopsRemaining(), 32767);
}

TEST(AnigifControl, StretchTableAndAutoSize) {
    ucAniGIF g;
    g.resize(100, 100);
    g.show();
    g.setDelayAnimation(2);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(frames(1, 40, 20))));
    EXPECT_EQ(g.Stretch(), 1);
    EXPECT_FLOAT_EQ(g.scaleX(), 2.5f);
    EXPECT_FLOAT_EQ(g.scaleY(), 2.5f);
    EXPECT_EQ(g.size(), QSize(100, 100));

    g.setStretch(2);
    EXPECT_FLOAT_EQ(g.scaleX(), 2.5f);
    EXPECT_FLOAT_EQ(g.scaleY(), 5.0f);
    g.setStretch(3);  // larger both ways: 1:1
    EXPECT_FLOAT_EQ(g.scaleX(), 1.0f);
    g.resize(30, 100);  // smaller one way: the smaller factor
    EXPECT_FLOAT_EQ(g.scaleX(), 0.75f);
    EXPECT_FLOAT_EQ(g.scaleY(), 0.75f);
    g.setStretch(0);
    EXPECT_FLOAT_EQ(g.scaleX(), 1.0f);
    EXPECT_EQ(g.size(), QSize(30, 100));
    g.setStretch(4);
    EXPECT_EQ(g.size(), QSize(40, 20));

    g.setStretch(1);
    g.resize(200, 200);
    g.setAutoSize(true);
    EXPECT_EQ(g.size(), QSize(200, 100));
    g.setAutoSize(false);
    g.resize(120, 300);
    EXPECT_EQ(g.size(), QSize(120, 300));
    EXPECT_FLOAT_EQ(g.scaleX(), 3.0f);
}

TEST_F(Fast, StretchChangeWhileStoppedRewinds) {
    ucAniGIF g;
    g.setDelayAnimation(2);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(frames(3))));
    ASSERT_TRUE(waitFor([&] { return !g.decodingPending(); }));
    g.setAction(ucAniGIF::Stop);
    g.setAction(ucAniGIF::Step);
    g.setAction(ucAniGIF::Stop);
    g.setAction(ucAniGIF::Pause);
    Events ev(g);
    g.setStretch(1);  // same value: nothing
    EXPECT_TRUE(ev.changed.empty());
    g.setStretch(2);
    ASSERT_EQ(ev.changed.size(), 1u);
    EXPECT_EQ(ev.changed[0], std::make_pair(1, false));
    EXPECT_EQ(g.Action(), 0);
}

TEST(AnigifControl, MirroringIsRelative) {
    Animation a = frames(2, 6, 4);
    a.frames[1].width = 2;
    a.frames[1].height = 1;
    a.frames[1].left = 1;
    a.frames[1].pixels = {5, 6};
    ucAniGIF g;
    g.setDelayAnimation(0);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(a)));
    g.setAction(ucAniGIF::Stop);
    const auto &f1 = a.frames[0].pixels;
    g.setMirrored(1);
    EXPECT_EQ(g.core().index(1, 0, 0), f1[5]);
    EXPECT_EQ(g.core().frame(2).left, 3);
    EXPECT_EQ(g.core().index(2, 0, 0), 6);
    g.setMirrored(3);  // only the vertical flip is added
    EXPECT_EQ(g.core().index(1, 0, 0), f1[3 * 6 + 5]);
    EXPECT_EQ(g.core().frame(2).left, 3);
    EXPECT_EQ(g.core().frame(2).top, 3);
    EXPECT_EQ(g.core().index(2, 0, 0), 6);
    g.setMirrored(0);
    EXPECT_EQ(g.core().index(1, 0, 0), f1[0]);
    EXPECT_EQ(g.core().frame(2).left, 1);
    g.setMirrored(9);  // ignored
    EXPECT_EQ(g.Mirrored(), 0);

    // Loaded with a style already set: frames arrive mirrored, deferred or not.
    ucAniGIF h;
    h.setMirrored(2);
    ASSERT_TRUE(h.LoadAnimatedGIF_Array(gifkit::encode(a)));
    h.setAction(ucAniGIF::Stop);  // finishes the deferred frames
    EXPECT_EQ(h.core().index(1, 0, 0), f1[3 * 6]);
    EXPECT_EQ(h.core().frame(2).top, 3);
}

TEST(AnigifControl, PalettesAndTheirCache) {
    Animation a = frames(2, 4, 2);
    a.frames[1].localPalette = gifkit::palette(8, 42);
    ucAniGIF g;
    g.setDelayAnimation(0);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(a)));
    g.setAction(ucAniGIF::Stop);
    std::vector<std::uint32_t> p;
    ASSERT_TRUE(g.GetPalette(0, p));
    EXPECT_EQ(p, gifkit::palette(8));
    EXPECT_FALSE(g.GetPalette(1, p));  // uses the global table
    ASSERT_TRUE(g.GetPalette(2, p));
    EXPECT_EQ(p, gifkit::palette(8, 42));
    EXPECT_FALSE(g.GetPalette(3, p));
    EXPECT_FALSE(g.GetPalette(-1, p));

    EXPECT_TRUE(g.CacheColorTables());
    EXPECT_FALSE(g.CacheColorTables());
    EXPECT_FALSE(g.SetPalette(0, std::vector<std::uint32_t>(7, 0x123456)));
    ASSERT_TRUE(g.GetPalette(0, p));
    EXPECT_EQ(p, gifkit::palette(8));
    EXPECT_TRUE(g.SetPalette(0, std::vector<std::uint32_t>(8, 0x00FF00)));
    g.resize(4, 2);
    g.setStretch(0);
    QImage img(4, 2, QImage::Format_ARGB32_Premultiplied);
    img.fill(0);
    {
        QPainter painter(&img);
        g.renderCurrentFrame(painter);
    }
    EXPECT_EQ(img.pixel(1, 1), 0xFF00FF00u);

    EXPECT_TRUE(g.RestoreColorTables(false));
    ASSERT_TRUE(g.GetPalette(0, p));
    EXPECT_EQ(p, gifkit::palette(8));
    EXPECT_TRUE(g.SetPalette(0, std::vector<std::uint32_t>(8, 0)));
    EXPECT_TRUE(g.RestoreColorTables(true));  // the cache was kept for another restore
    EXPECT_FALSE(g.RestoreColorTables(true));
    ASSERT_TRUE(g.GetPalette(0, p));
    EXPECT_EQ(p, gifkit::palette(8));

    Animation noGlobal = frames(1, 2, 2);
    noGlobal.globalPalette.clear();
    noGlobal.frames[0].localPalette = gifkit::palette(8, 3);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(noGlobal)));
    EXPECT_FALSE(g.GetPalette(0, p));
}

TEST(AnigifControl, OpaqueBackStyleAndOffsets) {
    Animation a = frames(1, 4, 4);
    a.frames[0].transparent = 0;
    ucAniGIF g;
    g.setStretch(0);
    g.resize(6, 6);
    ASSERT_TRUE(g.LoadAnimatedGIF_Array(gifkit::encode(a)));
    g.setBackStyle(1);
    g.setBackColor(0x0000FF);  // red, stored blue-green-red
    g.setOffsetX(2);
    QImage img(6, 6, QImage::Format_ARGB32_Premultiplied);
    img.fill(0);
    {
        QPainter painter(&img);
        g.renderCurrentFrame(painter);
    }
    // Index 0 is transparent: the back colour shows there; the offset moves the frame.
    int x0 = -1;
    for (int x = 0; x < 4 && x0 < 0; ++x)
        if (a.frames[0].pixels[x] == 0) x0 = x;
    ASSERT_GE(x0, 0);
    EXPECT_EQ(img.pixel(2 + x0, 0), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(img.pixel(5, 5)), 0);  // outside the W x H fill
}

TEST(AnigifControl, SavedPropertiesKeysOrderAndReading) {
    ucAniGIF g;
    anigif::PropertyBag bag;
    g.WriteProperties(bag);
    EXPECT_EQ(bag.keys(), QStringList{"GIF"});

    g.setStretch(2);
    g.setAutoSize(true);
    g.setMinFrameDelay(70);
    g.setMirrored(1);
    g.setBackStyle(1);
    g.setOffsetY(-3);
    g.setSteppedDelay(20);
    g.setDelayAnimation(3);
    bag.clear();
    g.WriteProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{"GIF", "Delay", "Stretch", "DelayLoad", "Mirror", "OffsetY",
                                       "BkgUsed", "StepDelay"}));
    EXPECT_EQ(bag.read("Stretch", 1).toInt(), 10);

    // Reading: properties, then the load, then the saved loop count over the stream's.
    Animation a = frames(2);
    a.loops = 9;
    anigif::PropertyBag saved;
    saved.write("GIF", gifkit::encode(a));
    saved.write("Stretch", 8 + 0);
    saved.write("Loops", 4);
    saved.write("DelayLoad", -1);
    ucAniGIF r;
    r.ReadProperties(saved);
    EXPECT_EQ(r.FrameCount(), 2);
    EXPECT_EQ(r.Stretch(), 0);
    EXPECT_TRUE(r.AutoSize());
    EXPECT_EQ(r.Loops(), 4);
    EXPECT_EQ(r.LoopsRemaining(), 4);
    EXPECT_EQ(r.DelayAnimation(), 1);
}

TEST(AnigifControl, DesignModeShowsFrameOneAndKeepsBytes) {
    DesignHost host;
    ucAniGIF g(nullptr, &host);
    const QByteArray b = gifkit::encode(frames(3, 30, 10));
    anigif::GifPicture pic{b, {}};
    g.setAnimatedGIF(pic);
    EXPECT_EQ(g.FrameCount(), 3);
    EXPECT_EQ(g.core().strip().size(), QSize(30, 10));
    EXPECT_EQ(g.size(), QSize(30, 10));  // sized to the GIF
    EXPECT_FALSE(g.core().hasCanvas());
    g.setAction(ucAniGIF::Play);
    EXPECT_EQ(g.Action(), 0);
    EXPECT_TRUE(host.changed.contains("AnimatedGIF"));
    anigif::PropertyBag bag;
    g.WriteProperties(bag);
    EXPECT_EQ(bag.read("GIF", QByteArray()).toByteArray(), b);

    // At run time the picture cannot be set, and reading gives the current frame.
    ucAniGIF run;
    run.setAnimatedGIF(pic);
    EXPECT_EQ(run.FrameCount(), 0);
    EXPECT_TRUE(run.AnimatedGIF().isNull());
    ASSERT_TRUE(run.LoadAnimatedGIF_Array(b));
    const anigif::GifPicture now = run.AnimatedGIF();
    ASSERT_FALSE(now.isNull());
    EXPECT_EQ(now.image.size(), QSize(30, 10));
    EXPECT_EQ(gifkit::diff(now.image, gifkit::referenceDecode(b).frames[0]), "");
}

TEST(AnigifControl, RemoteLoadThroughTheHost) {
    QTemporaryDir dir;
    const QString good = dir.filePath("g.gif"), bad = dir.filePath("b.gif");
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(gifkit::encode(frames(2, 30, 15)));
    f.close();
    QFile n(bad);
    ASSERT_TRUE(n.open(QIODevice::WriteOnly));
    n.write("PNG......................");
    n.close();

    ucAniGIF g;
    float w = 0, h = 0;
    int failures = 0;
    QObject::connect(&g, &ucAniGIF::RemoteLoadComplete, [&](float gw, float gh, bool &) { w = gw, h = gh; });
    QObject::connect(&g, &ucAniGIF::RemoteLoadFailure, [&] { ++failures; });
    g.LoadAnimatedGIF_Remote(QUrl::fromLocalFile(good).toString());
    ASSERT_TRUE(waitFor([&] { return g.FrameCount() == 2; }));
    EXPECT_FLOAT_EQ(w, std::floor(g.host().pixelsToContainerWidth(30)));
    EXPECT_FLOAT_EQ(h, std::floor(g.host().pixelsToContainerHeight(15)));

    g.LoadAnimatedGIF_Remote(bad);
    ASSERT_TRUE(waitFor([&] { return failures == 1; }));
    g.LoadAnimatedGIF_Remote(dir.filePath("missing.gif"));
    ASSERT_TRUE(waitFor([&] { return failures == 2; }));

    ucAniGIF c;
    QObject::connect(&c, &ucAniGIF::RemoteLoadComplete, [&](float, float, bool &cancel) { cancel = true; });
    bool seen = false;
    QObject::connect(&c, &ucAniGIF::RemoteLoadComplete, [&](float, float, bool &) { seen = true; });
    c.LoadAnimatedGIF_Remote(good);
    ASSERT_TRUE(waitFor([&] { return seen; }));
    EXPECT_EQ(c.FrameCount(), 0);
}
