// A second start on a real X screen: the language, connection, town,
// configuration and picture-list files are in place, the demo catalogue is
// served on this machine, and each of the four default pictures must appear
// laid out exactly as the full-screen table computes it.
#include "acquisition/SlideSetBuilder.h"
#include "core/FormPicture.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "server/ServerProcess.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/SlideLayout.h"
#include "slideshow/Slideshow.h"
#include "support/DemoServers.h"
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

// The credit line shows its whole caption: it starts right of the square
// pictures over its left end and ends inside the label.
void expectCreditFits(FormPicture &form, const char *when)
{
    const QLabel &credit = *form.whoWeAre;
    const QFontMetrics fm(credit.font());
    const int textLeft = credit.x() + credit.indent();
    for (const QWidget *square : {static_cast<QWidget *>(form.bar->BtAnimation),
                                  static_cast<QWidget *>(form.bar->BtCleanup)})
        EXPECT_GE(textLeft, square->geometry().right() + 1) << when;
    EXPECT_LE(textLeft + fm.horizontalAdvance(credit.text()), credit.geometry().right() + 1)
        << when << ": \"" << credit.text().toStdString() << "\"";
    EXPECT_LE(fm.height(), credit.height()) << when;
}

struct Seen {
    QRect pixels;
    slideshow::SlideBox twips;
    double pictureWidth = 0;
    double pictureHeight = 0;
};

} // namespace

TEST(DemoScreen, DefaultSelectionIsShownByTheFullScreenTable)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    ASSERT_EQ(screen, QSize(1920, 1080));

    // The pictures are served by one server; the catalogue, rewritten to
    // point at it, by another.
    DemoServers servers;
    ASSERT_TRUE(servers.start()) << servers.errorText();

    TempPortable portable;
    portable.writeSecondStart();

    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope(&dialogs);
    platform::EventPump::resetQuit();
    FormPicture form(StartOptions{portable.appDir(), QString()});
    ASSERT_TRUE(form.Form_Load());
    form.catalogueAddress = servers.catalogueAddress();
    form.showCoveringScreen();
    platform::Clock::setSpeed(4);

    // Start-up: the product banner, with the clean-up picture over the
    // credit label's left end.
    const QString shots = qEnvironmentVariable("CIRROLITH_BUILD_DIR") + "/screenshots";
    QDir().mkpath(shots);
    platform::EventPump::Sleep(300);
    EXPECT_TRUE(form.whoWeAre->text().startsWith(FormPicture::productBanner()));
    expectCreditFits(form, "start-up");
    form.grab().save(shots + "/demo_startup.png");

    PictureBox &fb = *form.slideshow->fotoBrowser;
    std::map<int, Seen> seen;
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired() && seen.size() < 4) {
        platform::EventPump::Sleep(20);
        if (form.slideCount < 4 || !fb.picture())
            continue;
        for (int k = 0; k < 4; ++k) {
            if (fb.picture() != form.listIMAGE[k] || seen.count(k))
                continue;
            const platform::Picture &pic = *form.listIMAGE[k];
            Seen s;
            s.pixels = fb.geometry();
            s.twips = {fb.Left(), fb.Top(), fb.Width(), fb.Height()};
            s.pictureWidth = pic.widthHimetric;
            s.pictureHeight = pic.heightHimetric;
            seen[k] = s;
            expectCreditFits(form, qPrintable(QStringLiteral("slide %1").arg(k)));
            form.grab().save(shots + QStringLiteral("/demo_slide_%1.png").arg(k));
        }
    }
    platform::Clock::setSpeed(1);
    ASSERT_EQ(seen.size(), 4u) << "slides seen: " << seen.size() << ", slide count " << form.slideCount;

    EXPECT_TRUE(form.isFullScreen());
    EXPECT_EQ(form.size(), screen);
    const double screenW = platform::Screen::widthTwips();
    const double screenH = platform::Screen::heightTwips();
    EXPECT_EQ(screenW, 28800);
    EXPECT_EQ(screenH, 16200);
    for (const auto &[k, s] : seen) {
        const slideshow::SlideBox box = slideshow::fullScreenLayout(
            screenW, screenH, form.whoWeAre->Height(), s.pictureWidth, s.pictureHeight);
        EXPECT_EQ(s.twips.left, box.left) << "slide " << k;
        EXPECT_EQ(s.twips.top, box.top) << "slide " << k;
        EXPECT_EQ(s.twips.width, box.width) << "slide " << k;
        EXPECT_EQ(s.twips.height, box.height) << "slide " << k;
        // And on the screen, at 15 twips a pixel.
        const auto px = [](double twips) { return static_cast<int>(platform::units::roundHalfEven(twips / 15)); };
        EXPECT_EQ(s.pixels, QRect(px(box.left), px(box.top), px(box.width), px(box.height))) << "slide " << k;
    }

    // The requests of a second start, in order and byte for byte.
    QStringList targets;
    for (const QString &line : servers.logText().split('\n', Qt::SkipEmptyParts))
        if (line.contains(" GET /public/catalogue"))
            targets << line.section(' ', 4, 4);
    ASSERT_GE(targets.size(), 4);
    EXPECT_EQ(targets[0], "/public/catalogue?p=1&x00=x8888&x00=y0000&x00=y3333&x00=y1111");
    EXPECT_EQ(targets[1], "/public/catalogue?p=1&x00=y0000&x00=x5555&x00=y3333&x00=y1111&x00=y55550");
    EXPECT_EQ(targets[2], "/public/catalogue?p=1&x00=y2222[_14_1_5_20_]&x00=y0000&x00=y1111&x00=y3333&x00=y55550");
    EXPECT_EQ(targets[3], "/public/catalogue?p=1&x00=x9999&x00=y0000&x00=y3333&x00=y1111&x00=y55550");
    form.close();
}
