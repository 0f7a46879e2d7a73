// The slideshow clock and the renderer on the real main window, offscreen.
#include "acquisition/PictureLoader.h"
#include "acquisition/SlideSetBuilder.h"
#include "anigif/ucAniGIF.h"
#include "panel/SetupPanel.h"
#include "settings/TownFiles.h"
#include "slideshow/BarLayout.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/SlideLayout.h"
#include "slideshow/Slideshow.h"
#include "support/ShowFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>

namespace {

class Show : public ShowFixture {
protected:
    void SetUp() override
    {
        ShowFixture::SetUp();
        form->catalogueLoaded = 1;
        form->catalogueStatus = "1";
        form->ranVal = 1440;
        form->imgClockInterval = 4000;
        form->Aggiornare = " [upd]";
        form->LastUpdate = " - RFRS:01-02-2025 10:00:00";
        for (int i = 0; i < 3; ++i)
            addSlide(i, solid(400 + 100 * i, 300, QColor(50 * i, 80, 120)));
        form->slideCount = 3;
        form->firstLaunch = 2;   // past the start-up logo
    }

    void addSlide(int k, const QImage &image, int kind = 1)
    {
        auto pic = std::make_shared<platform::Picture>(*acquisition::pictureFromImage(image));
        pic->encoded = encode(image, "PNG");   // kept compressed, as loaded pictures are
        pic->image = QImage();
        form->listIMAGE[k] = pic;
        form->listImageProperties[k] = static_cast<std::int16_t>(kind);
    }

    void tick()
    {
        form->imgClock.fire();
        EXPECT_EQ(form->clockStatus, 0);
    }

    Slideshow &show() { return *form->slideshow; }

    // Two own pictures (64 and 80 px wide), a 600 min reload period and the
    // given slide time, built as the show's set.
    bool buildTwoPictureSet(const char *slideSeconds)
    {
        writeFile(form->Cirrolith_Slide_Dir + "/a.jpg", encode(solid(64, 48, Qt::green), "JPEG"));
        writeFile(form->Cirrolith_Slide_Dir + "/b.jpg", encode(solid(80, 60, Qt::blue), "JPEG"));
        form->SSTCfg->SSTCfg_timeRefresh->setText("600");
        form->SSTCfg->SSTCfg_timeDwLoad->setText(QString::fromLatin1(slideSeconds));
        return form->slides->BuildSlideSet(2);
    }
};

} // namespace

TEST_F(Show, PointerWrapsAndTheServerMessageComesWithTheLastSlide)
{
    form->serverMessage = "Server says hi";
    for (int expected : {0, 1, 2, 0}) {
        tick();
        EXPECT_EQ(show().fotoBrowser->picture(), form->listIMAGE[expected]);
        EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, expected + 1);
        EXPECT_EQ(form->lblMsgUser->isHidden(), expected != 2) << expected;
        EXPECT_FALSE(show().fotoBrowser->isHidden());
    }
    EXPECT_EQ(form->lblMsgUser->text(), "Server says hi");
}

TEST_F(Show, TicksWaitForTheRunCommand)
{
    form->flagCmdButton = CmdPanelOpen;
    form->imgClock.setEnabled(true);
    tick();
    EXPECT_TRUE(form->imgClock.Enabled());
    EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, 0);
    EXPECT_FALSE(show().fotoBrowser->picture());
}

TEST_F(Show, NoSlidesAsksForThePanelInFullScreen)
{
    form->slideCount = 0;
    form->SSTCfg->txtDisplay->setText("Normal");
    tick();
    EXPECT_EQ(form->flagCmdButton, CmdOpenPanel);
    EXPECT_EQ(form->SSTCfg->txtDisplay->text(), "Full_Screen");
    EXPECT_EQ(form->displayMode, 1);
    EXPECT_FALSE(show().fotoBrowser->picture());
    EXPECT_FALSE(form->bar->btSetup->isEnabled());
}

TEST_F(Show, CreditLinesAndTimingCodes)
{
    form->listCopyright[0] = "A-Radar by X-200";
    form->listCopyright[1] = "B-Sat by Y-95";
    form->listIdCopyright[0] = 1;
    form->listIdCopyright[1] = 0;
    form->listIdCopyright[2] = 2;
    form->listIdCopyright[3] = 0;
    addSlide(3, solid(10, 10, Qt::gray));
    form->slideCount = 4;

    tick();   // "200": four times the slide time
    EXPECT_EQ(form->whoWeAre->text(), "Radar by X [upd] - RFRS:01-02-2025 10:00:00");
    EXPECT_EQ(form->imgClock.Interval(), 16000);
    EXPECT_FALSE(form->bar->BtAnimation->isHidden());

    tick();   // credit 0 right after: banner and the normal interval
    EXPECT_EQ(form->whoWeAre->text(), form->weAre);
    EXPECT_EQ(form->imgClock.Interval(), 4000);
    EXPECT_TRUE(form->bar->BtAnimation->isHidden());

    tick();   // "95"
    EXPECT_EQ(form->imgClock.Interval(), 100);
    EXPECT_FALSE(form->bar->BtAnimation->isHidden());
    tick();   // credit 0 after "95" restores the interval too
    EXPECT_EQ(form->imgClock.Interval(), 4000);
}

// While a reload runs inside the tick, the credit label names the slide on
// screen, never another slide's raw credit line with its timing code.
TEST_F(Show, DuringAReloadTheLabelKeepsTheSlideOnScreen)
{
    form->listCopyright[0] = "A-Radar by X-200";
    form->listCopyright[1] = "B-Sat by Y-95";
    form->listIdCopyright[0] = 1;
    form->listIdCopyright[1] = 0;
    tick();   // slide 0 on screen
    form->SSTCfg->SSTCfg_timeDwLoad->setText("1");
    form->cntCounterDwLoadImage = 1000;   // a reload is due at the next tick
    QString duringReload;
    QTimer::singleShot(0, form.get(), [&] { duringReload = form->whoWeAre->text(); });
    form->imgClock.fire();
    EXPECT_EQ(duringReload, "Radar by X [upd] - RFRS:01-02-2025 10:00:00");
}

TEST_F(Show, TheHundredthFastSlideTurnsTheBannerYellow)
{
    form->listCopyright[0] = "A-Loop-99";
    for (int k = 0; k < 3; ++k)
        form->listIdCopyright[k] = 1;
    form->fastFrameCount = 98;
    tick();
    EXPECT_EQ(form->fastFrameCount, 99);
    EXPECT_EQ(form->imgClock.Interval(), 50);
    tick();
    EXPECT_EQ(form->fastFrameCount, 100);
    EXPECT_EQ(form->imgClock.Interval(), 50);
    EXPECT_TRUE(form->bar->BtAnimation->isHidden());
    EXPECT_EQ(form->whoWeAre->text(), form->weAre + " [upd]");
    EXPECT_EQ(form->whoWeAre->BackColor(), platform::vbRGB(255, 255, 0));
}

TEST_F(Show, BadCreditNumbersAndUndrawablePicturesDoNotStopTheShow)
{
    form->listIdCopyright[0] = 32000;   // beyond the list
    form->listIdCopyright[1] = -5;
    tick();
    EXPECT_EQ(form->whoWeAre->text(), " [upd] - RFRS:01-02-2025 10:00:00");
    EXPECT_EQ(form->imgClock.Interval(), 4000);

    // A picture whose bytes do not decode leaves the previous slide up.
    auto broken = std::make_shared<platform::Picture>(*form->listIMAGE[1]);
    broken->encoded = "garbage";
    form->listIMAGE[1] = broken;
    form->listIMAGEnotLoaded[1] = true;
    tick();
    EXPECT_EQ(show().fotoBrowser->picture(), form->listIMAGE[0]);
    EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, 2);
    EXPECT_EQ(form->lCountDown->text(), "IMAGE MISSING - PLEASE OPEN A TICKET ON OUR WEBSITE");
    EXPECT_FALSE(form->lCountDown->isHidden());

    form->SSTCfg->SSTCfg_timeDwLoad->setText("fifteen");   // a damaged configuration
    form->cntCounterDwLoadImage = 1000000;
    form->listIMAGE[2].reset();
    tick();
    EXPECT_EQ(form->cntCounterDwLoadImage, 1000004);   // no reload, no stop
    EXPECT_EQ(form->flagCmdButton, CmdRun);
}

TEST_F(Show, FullScreenAndNormalLayoutsOnTheWindow)
{
    addSlide(0, solid(4000, 3000, Qt::darkBlue));
    tick();
    const platform::Picture &pic = *form->listIMAGE[0];
    const slideshow::SlideBox box = slideshow::fullScreenLayout(19200, 10800, form->whoWeAre->Height(),
                                                               pic.widthHimetric, pic.heightHimetric);
    PictureBox &fb = *show().fotoBrowser;
    EXPECT_EQ(fb.Left(), static_cast<float>(box.left));
    EXPECT_EQ(fb.Top(), static_cast<float>(box.top));
    EXPECT_EQ(fb.Width(), static_cast<float>(box.width));
    EXPECT_EQ(fb.Height(), static_cast<float>(box.height));
    EXPECT_EQ(fb.frame().size(), fb.size());   // scaled ahead, drawn 1:1
    EXPECT_TRUE(fb.Stretch());
    EXPECT_EQ(form->displayMode, 1);

    // The next slide's frame is made by its tick while it decodes quickly; one
    // that was slow to decode is made ahead, while the window is idle.
    QCoreApplication::processEvents();
    const auto nextBox = show().layoutFor(*form->listIMAGE[1], 1);
    ASSERT_TRUE(nextBox);
    const QSize nextSize = Slideshow::frameSize(*form->listIMAGE[1], *nextBox, true);
    EXPECT_FALSE(show().frames.has(form->listIMAGE[1], nextSize));
    const qint64 slow = FrameCache::slowDecodeMs();
    FrameCache::setSlowDecodeMs(0);
    show().frames.prepare(form->listIMAGE[1], nextSize);
    show().frames.clear();
    show().prepareNextSlide();
    QCoreApplication::processEvents();
    EXPECT_TRUE(show().frames.has(form->listIMAGE[1], nextSize));
    FrameCache::setSlowDecodeMs(slow);

    show().dyMode_Click();
    EXPECT_EQ(form->SSTCfg->txtDisplay->text(), "Normal");
    EXPECT_EQ(form->settingsChanged, 1);
    tick();
    const platform::Picture &second = *form->listIMAGE[1];
    const slideshow::SlideBox natural =
        slideshow::normalLayout(19200, 10800, second.widthHimetric, second.heightHimetric);
    EXPECT_EQ(fb.Left(), static_cast<float>(natural.left));
    EXPECT_EQ(fb.Top(), static_cast<float>(natural.top));
    EXPECT_EQ(fb.size(), QSize(500, 300));
    EXPECT_FALSE(fb.Stretch());
    EXPECT_EQ(form->displayMode, 0);
}

TEST_F(Show, ModeSwitchNamesAndColourMarking)
{
    form->Lingua = LinguaItalian;
    form->SSTCfg->txtDisplay->setText("something else");
    show().dyMode_Click();
    EXPECT_EQ(form->SSTCfg->txtDisplay->text(), "Normal");
    EXPECT_EQ(form->SSTCfg->txtDisplay2->text(), "In_scala");
    show().dyMode_Click();
    EXPECT_EQ(form->SSTCfg->txtDisplay->text(), "Full_Screen");
    EXPECT_EQ(form->SSTCfg->txtDisplay2->text(), "Tutto_schermo");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->BackColor(), platform::vbRGB(125, 147, 230));
    EXPECT_EQ(form->SSTCfg->txtDisplay2->BackColor(), platform::vbRGB(255, 255, 128));
}

TEST_F(Show, AnimatedSlidesPlayTheNumberedFilesInShowingOrder)
{
    const QString gif = qEnvironmentVariable("CIRROLITH_BUILD_DIR") + "/portable/App/Cirrolith/pic_not_available.gif";
    for (int n = 1; n <= 3; ++n)
        ASSERT_TRUE(QFile::copy(gif, form->pictureFileStem + QStringLiteral("_ANIGIF_%1.gif").arg(n)));
    for (int k = 0; k < 3; ++k)
        form->listImageProperties[k] = 4;
    form->cntAniGif = 3;   // left over from a previous pass

    for (int expectedNext : {2, 3, 4, 2}) {
        tick();
        EXPECT_EQ(form->cntAniGif, expectedNext);
        EXPECT_FALSE(show().ucAniGIF1->isHidden());
        EXPECT_TRUE(show().fotoBrowser->isHidden());
        EXPECT_EQ(show().ucAniGIF1->geometry(), show().fotoBrowser->geometry());
        EXPECT_GT(show().ucAniGIF1->FrameCount(), 0);
    }
}

TEST_F(Show, ReloadOnTheFourthTickReplacesTheAnimationFiles)
{
    QFile::copy(qEnvironmentVariable("CIRROLITH_BUILD_DIR") + "/portable/App/Cirrolith/pic_not_available.gif",
                portable.appDir() + "/pic_not_available.gif");
    const QString first = form->pictureFileStem + "_ANIGIF_1.gif";
    writeFile(first, "old animation");
    writeFile(form->Cirrolith_Slide_Dir + "/one.jpg", encode(solid(64, 48, Qt::green), "JPEG"));
    form->SSTCfg->SSTCfg_timeRefresh->setText("10");
    form->SSTCfg->SSTCfg_timeDwLoad->setText("1");

    for (int t = 1; t <= 3; ++t)
        tick();
    EXPECT_EQ(form->cntCounterDwLoadImage, 30);
    EXPECT_EQ(QFile(first).size(), 13);
    tick();
    EXPECT_EQ(form->cntCounterDwLoadImage, 0);
    EXPECT_EQ(QFile(first).size(), QFile(portable.appDir() + "/pic_not_available.gif").size());
    // The rebuilt set is the folder picture alone.
    EXPECT_EQ(form->slideCount, 1);
    EXPECT_EQ(show().fotoBrowser->picture(), form->listIMAGE[0]);
    EXPECT_EQ(form->listIMAGE[0]->pixels, QSize(64, 48));
    EXPECT_EQ(form->webLoading, 0);
    EXPECT_EQ(form->clockReload, 0);
}

TEST_F(Show, RefreshOnTheSeventhTickAndAFailedOutcomeStops)
{
    form->SSTCfg->SSTCfg_timeRefresh->setText("10");
    form->ranVal = 1;
    for (int t = 1; t <= 6; ++t)
        tick();
    EXPECT_EQ(form->cntCounterRefresh, 60);
    tick();
    EXPECT_EQ(form->cntCounterRefresh, 0);
    EXPECT_GE(form->ranVal, 1);
    EXPECT_LE(form->ranVal, 1440);

    // The synchronisation reports failure at the end of a tick: stop.
    ASSERT_TRUE(portable.exists("Cirrolith4_Config.dat"));
    form->catalogueStatus = "0";
    form->ranVal = 1440;
    tick();
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text, "2 T");
    EXPECT_EQ(dialogs.shown().back().title, "?");
    EXPECT_EQ(form->flagCmdButton, CmdSaveAndClose);
    EXPECT_FALSE(portable.exists("Cirrolith4_Config.dat"));
}

TEST_F(Show, BarLayoutAndHideRestore)
{
    ControlBar &bar = *form->bar;
    // 19200 x 10800 twips at 96 DPI is 1280 x 720 pixels: the proportional
    // bar (28.8 pixels) grows to the 40-pixel touch size.
    const slideshow::BarLayout b =
        slideshow::computeBarLayout(19200, 10800, 19200.0f / 10800, slideshow::barMinimumsFor(15));
    EXPECT_FLOAT_EQ(b.barHeight, 600);
    EXPECT_NEAR(form->whoWeAre->Left(), b.credit.left, 0.1);
    EXPECT_NEAR(bar.connectStatus->Left() + bar.connectStatus->Width(), 19200, 0.1);
    EXPECT_FLOAT_EQ(bar.btLogo->Top(), 10200);
    // The text keeps the proportional size: 8.64 points is above 11 pixels.
    EXPECT_NEAR(form->whoWeAre->font().pointSizeF(), 8.64, 0.01);
    EXPECT_FALSE(bar.btSetup->isEnabled());

    bar.btWait->hide();
    form->lCountDown->show();
    bar.Nascondi_Barra(form->whoWeAre, form->lCountDown);
    for (QWidget *w : std::initializer_list<QWidget *>{bar.btSetup, bar.btWait, form->whoWeAre, form->lCountDown})
        EXPECT_TRUE(w->isHidden());
    bar.Esponi_Barra(form->whoWeAre, form->lCountDown);
    EXPECT_FALSE(bar.btSetup->isHidden());
    EXPECT_TRUE(bar.btWait->isHidden());
    EXPECT_FALSE(form->lCountDown->isHidden());
}

// Ten-minute slides on the live run control and clock: each slide stays its
// whole time and the show goes on to the next one, although every tick
// passes the reload bound (600 s > 15 x 30) and reloads the pictures.
TEST_F(Show, LongSlideTimesShowEverySlideInTurnAcrossReloads)
{
    ASSERT_TRUE(buildTwoPictureSet("15"));
    ASSERT_EQ(form->slideCount, 2);
    EXPECT_EQ(form->imgClock.Interval(), 600000);

    // Which picture each tick drew, and when (nominal seconds).
    std::vector<int> widths;
    std::vector<double> at;
    QElapsedTimer real;
    real.start();
    const int ticksBefore = form->imgClock.tickCount();
    form->flagCmdButton = CmdRun;
    form->panControl.setEnabled(true);
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && widths.size() < 4) {
        platform::EventPump::Sleep(4000);   // 20 ms at the fixture's speed
        if (form->imgClock.tickCount() - ticksBefore > int(widths.size()) && form->clockStatus == 0) {
            widths.push_back(show().fotoBrowser->picture()->pixels.width());
            at.push_back(real.elapsed() * platform::Clock::speed() / 1000.0);
        }
    }
    form->panControl.setEnabled(false);
    form->imgClock.setEnabled(false);
    ASSERT_EQ(widths.size(), 4u);
    EXPECT_EQ(widths, std::vector<int>({64, 80, 64, 80}));
    for (size_t i = 1; i < at.size(); ++i)
        EXPECT_GE(at[i] - at[i - 1], 540) << "slide " << i << " stayed only " << at[i] - at[i - 1] << " s";
}

TEST_F(Show, SetupStopsTheShowBeforeItsFirstQuestion)
{
    ASSERT_TRUE(buildTwoPictureSet("2"));
    form->flagCmdButton = CmdRun;
    form->panControl.setEnabled(true);
    const int started = form->imgClock.tickCount();
    QDeadlineTimer running(10000);
    while (!running.hasExpired() && form->imgClock.tickCount() < started + 2)
        platform::EventPump::Sleep(1000);
    ASSERT_GE(form->imgClock.tickCount(), started + 2) << "the show never ran";

    // A damaged home-town file makes the Setup click ask a question; the
    // show must already be still while it waits for an answer.
    writeFile(form->townFiles->townPath(), "x\r\n");
    int ticksDuringQuestion = -1;
    bool pictureShownDuringQuestion = true;
    dialogs.onShow = [&](const platform::ScriptedDialogs::Shown &) {
        if (ticksDuringQuestion >= 0)
            return;
        while (form->clockStatus != 0)
            platform::EventPump::Sleep(100);
        const int before = form->imgClock.tickCount();
        platform::EventPump::Sleep(20000);   // ten slide times
        ticksDuringQuestion = form->imgClock.tickCount() - before;
        pictureShownDuringQuestion = bool(show().fotoBrowser->picture());
    };
    while (form->clockStatus != 0)
        platform::EventPump::Sleep(100);
    form->bar->btSetup->click();
    ASSERT_GE(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, QString::fromLatin1(kTownReadError));
    EXPECT_EQ(ticksDuringQuestion, 0);
    EXPECT_FALSE(pictureShownDuringQuestion);
    // The run control took the request meanwhile and opened the panel.
    EXPECT_EQ(form->flagCmdButton, CmdPanelOpen);
    form->panControl.setEnabled(false);
}

// A painted frame is let go and made again, pixel for pixel, when the box is
// painted again; repaints that come soon after keep it.
TEST_F(Show, APaintedFrameIsLetGoAndMadeAgainTheSame)
{
    QImage picture(640, 360, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, (x * y) % 251, y % 256));
    addSlide(0, picture);
    form->show();
    tick();
    PictureBox &fb = *show().fotoBrowser;
    ASSERT_TRUE(fb.isVisible());
    const QImage made = fb.frame().copy();
    ASSERT_FALSE(made.isNull());
    // Shown and painted: let go.
    QDeadlineTimer shown(5000);
    while (fb.holdsFrame() && !shown.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(fb.holdsFrame());
    fb.repaint();
    EXPECT_TRUE(fb.holdsFrame());
    EXPECT_EQ(fb.frame(), made);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fb.holdsFrame()) << "painted again soon after: kept";
}
