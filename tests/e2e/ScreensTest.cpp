// The program on one of the screens people have (CIRROLITH_TEST_SCREEN: a
// small touchscreen, a portrait sign, a 4K screen at 192 DPI), on a real X
// server of that size, against the demo catalogue. The window, the bar, the
// slides, the panel and the first-run questions are looked at and written to
// <build>/screenshots/screen_<name>_*.png.
#include "core/FormPicture.h"
#include "panel/ConnectionFrame.h"
#include "panel/LanguageFrame.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/ServerDpi.h"
#include "slideshow/BarLayout.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"
#include "support/DemoServers.h"
#include "support/TempPortable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QScreen>

#include <gtest/gtest.h>

#include <set>

namespace {

struct WantedScreen {
    QString name;
    QSize pixels;      // device pixels
    int dpi = 96;
};

WantedScreen testScreen()
{
    WantedScreen s;
    s.name = QStringLiteral(CIRROLITH_TEST_SCREEN);
    const QString size = s.name.section(u'@', 0, 0);
    s.pixels = QSize(size.section(u'x', 0, 0).toInt(), size.section(u'x', 1, 1).toInt());
    if (s.name.contains(u'@'))
        s.dpi = s.name.section(u'@', 1, 1).toInt();
    return s;
}

QString shotPath(const WantedScreen &s, const QString &what)
{
    const QString dir = qEnvironmentVariable("CIRROLITH_BUILD_DIR") + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    QString name = s.name;
    name.replace(u'@', u'_');
    return QStringLiteral("%1/screen_%2_%3.png").arg(dir, name, what);
}

// What a finger and an eye need of the bar, in the window's own pixels.
void expectBarUsable(FormPicture &form, const char *when)
{
    SCOPED_TRACE(when);
    ControlBar &bar = *form.bar;
    for (QWidget *button : {static_cast<QWidget *>(bar.btSetup), static_cast<QWidget *>(bar.btTermina),
                            static_cast<QWidget *>(bar.btHelp), static_cast<QWidget *>(bar.BtCleanup),
                            static_cast<QWidget *>(bar.connectStatus)}) {
        EXPECT_GE(button->width(), slideshow::kMinTouchPixels) << button->objectName().toStdString();
        EXPECT_GE(button->height(), slideshow::kMinTouchPixels) << button->objectName().toStdString();
    }
    // Square icons are not squeezed.
    for (QWidget *square : {static_cast<QWidget *>(bar.btTermina), static_cast<QWidget *>(bar.BtCleanup),
                            static_cast<QWidget *>(bar.connectStatus)})
        EXPECT_GE(square->width(), square->height()) << square->objectName().toStdString();
    // The bar spans the window and sits on its bottom edge.
    EXPECT_EQ(bar.connectStatus->geometry().right(), form.width() - 1);
    EXPECT_EQ(form.whoWeAre->geometry().bottom(), form.height() - 1);

    // The credit line is readable and shows its whole caption beside the
    // square picture over its left end.
    const QLabel &credit = *form.whoWeAre;
    EXPECT_GE(QFontInfo(credit.font()).pixelSize(), slideshow::kMinCreditFontPixels);
    const QFontMetrics fm(credit.font());
    const int textLeft = credit.x() + credit.indent();
    EXPECT_GE(textLeft, bar.BtCleanup->geometry().right() + 1);
    const QRect room(textLeft, credit.y(), credit.geometry().right() + 1 - textLeft, credit.height());
    // On one line, or wrapped where the bar has room for more.
    const QRect needed = fm.boundingRect(room, Qt::AlignLeft | Qt::AlignVCenter |
                                             (credit.wordWrap() ? Qt::TextWordWrap : 0), credit.text());
    EXPECT_TRUE(room.contains(needed)) << "\"" << credit.text().toStdString() << "\" needs " << needed.width()
                                       << "x" << needed.height() << " in " << room.width() << "x" << room.height();
}

// The slide keeps the picture's proportions, inside the area above the bar.
void expectSlideInProportion(FormPicture &form, const char *when)
{
    SCOPED_TRACE(when);
    const PictureBox &fb = *form.slideshow->fotoBrowser;
    ASSERT_TRUE(fb.picture());
    const QSize pic = fb.picture()->pixels;
    const QRect box = fb.geometry();
    EXPECT_GE(box.left(), 0);
    EXPECT_GE(box.top(), 0);
    EXPECT_LE(box.right(), form.width() - 1);
    EXPECT_LE(box.bottom(), form.whoWeAre->y());
    const double ratio = double(pic.width()) / pic.height();
    EXPECT_NEAR(double(box.width()) / box.height(), ratio, ratio * 2.0 / std::min(box.width(), box.height()))
        << box.width() << "x" << box.height() << " for a picture of " << pic.width() << "x" << pic.height();
}

// Nothing of a panel or question lies outside the window, and no caption
// needs more room than it has.
void expectInsideAndFitting(FormPicture &form, QWidget &frame, const char *name)
{
    SCOPED_TRACE(name);
    const QRect inWindow(frame.mapTo(&form, QPoint(0, 0)), frame.size());
    EXPECT_TRUE(form.rect().contains(inWindow))
        << inWindow.x() << "," << inWindow.y() << " " << inWindow.width() << "x" << inWindow.height();
    for (QWidget *child : frame.findChildren<QWidget *>()) {
        if (!child->isVisibleTo(&frame))
            continue;
        QString text;
        if (auto *b = qobject_cast<QAbstractButton *>(child))
            text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(child); l && !l->wordWrap() && l->pixmap().isNull())
            text = l->text();
        if (!text.isEmpty()) {
            EXPECT_LE(child->sizeHint().width(), child->width() + 2)
                << child->objectName().toStdString() << " \"" << text.toStdString() << "\"";
        }
        if (auto *l = qobject_cast<QLabel *>(child); l && l->wordWrap() && !l->text().isEmpty()) {
            EXPECT_LE(l->heightForWidth(l->width()), l->height() + 1) << l->objectName().toStdString();
        }
    }
}

} // namespace

TEST(Screens, BarSlidesPanelAndQuestionsFitTheScreen)
{
    const WantedScreen want = testScreen();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
    QScreen *screen = QGuiApplication::primaryScreen();
    const qreal dpr = screen->devicePixelRatio();
    // A 192-DPI server without Xft.dpi is scaled by 2; the others are not.
    EXPECT_EQ(dpr, want.dpi >= 168 ? 2.0 : 1.0);
    EXPECT_EQ((QSizeF(screen->geometry().size()) * dpr).toSize(), want.pixels);

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
    platform::EventPump::Sleep(400);

    EXPECT_TRUE(form.isFullScreen());
    EXPECT_EQ(form.size(), screen->geometry().size());
    // The start-up logo, as every slide, in its own proportions.
    expectSlideInProportion(form, "start-up logo");
    expectBarUsable(form, "start-up");
    const QImage startup = form.grab().toImage();
    EXPECT_EQ(startup.size(), want.pixels) << "drawn at the device's pixels";
    startup.save(shotPath(want, QStringLiteral("startup")));

    // Two pictures of the default selection.
    PictureBox &fb = *form.slideshow->fotoBrowser;
    std::set<const platform::Picture *> seen;
    QDeadlineTimer deadline(90000);
    while (!deadline.hasExpired() && seen.size() < 2) {
        platform::EventPump::Sleep(20);
        if (form.slideCount < 1 || !fb.picture() || !fb.isVisible() || seen.count(fb.picture().get()))
            continue;
        bool inSet = false;
        for (int k = 0; k < 4; ++k)
            inSet = inSet || fb.picture() == form.listIMAGE[k];
        if (!inSet)
            continue;
        seen.insert(fb.picture().get());
        const QString when = QStringLiteral("slide %1").arg(seen.size());
        expectSlideInProportion(form, qPrintable(when));
        expectBarUsable(form, qPrintable(when));
        form.grab().save(shotPath(want, QStringLiteral("slide_%1").arg(seen.size())));
    }
    platform::Clock::setSpeed(1);
    ASSERT_EQ(seen.size(), 2u) << "slides seen: " << seen.size();

    // The panel, centred and whole on the screen; a 4K screen at 192 DPI
    // shows it at twice its pixels.
    SetupPanel &panel = *form.SSTCfg;
    panel.show();
    panel.raise();
    QApplication::processEvents();
    expectInsideAndFitting(form, panel, "panel");
    EXPECT_EQ(panel.grab().size(), (QSizeF(panel.size()) * dpr).toSize());
    form.grab().save(shotPath(want, QStringLiteral("panel")));
    panel.hide();

    // The first-run questions where the program puts them: beside the
    // panel's place, and the home town centred.
    form.Frame_Select_Language->Move(panel.Left() - 250, panel.Top() - 250);
    form.Frame_Select_Connection->Move(panel.Left() - 20, panel.Top() + 800);
    form.FormYourTown->Move(static_cast<float>(form.width() * 15 / 2 - form.FormYourTown->Width() / 2),
                            static_cast<float>(form.height() * 15 / 2 - form.FormYourTown->Height() / 2));
    const std::pair<QWidget *, const char *> frames[] = {{form.Frame_Select_Language, "language"},
                                                         {form.Frame_Select_Connection, "connection"},
                                                         {form.FormYourTown, "town"}};
    for (const auto &[frame, name] : frames) {
        frame->show();
        frame->raise();
        QApplication::processEvents();
        expectInsideAndFitting(form, *frame, name);
        form.grab().save(shotPath(want, QStringLiteral("question_%1").arg(QLatin1String(name))));
        frame->hide();
    }
    form.close();
}

int main(int argc, char **argv)
{
    // As the program does before its application object.
    platform::scaleToServerDpi();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
