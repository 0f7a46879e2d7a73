// The diagnostic windows on the real main window, offscreen: their handlers,
// the values other parts of the program write into them, the forced reload
// and the timer that ends the program.
#include "acquisition/PictureLoader.h"
#include "core/RunControl.h"
#include "diagnostics/DebugText.h"
#include "diagnostics/DebugWindows.h"
#include "diagnostics/Diagnostics.h"
#include "panel/ConnectionFrame.h"
#include "panel/PanelLanguage.h"
#include "panel/SetupPanel.h"
#include "platform/ProcessEnd.h"
#include "platform/Transfer.h"
#include "settings/ProxyFiles.h"
#include "slideshow/ControlBar.h"
#include "support/ShowFixture.h"
#include "support/StandInOpener.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollArea>

using platform::MsgIcon;

namespace {

class Diag : public ShowFixture {
protected:
    void SetUp() override
    {
        ShowFixture::SetUp();
        platform::ProcessEnd::resetForTests();
    }
    void TearDown() override
    {
        ShowFixture::TearDown();
        platform::ProcessEnd::resetForTests();
    }

    Diagnostics &diag() { return *form->diagnostics; }
    DisplayDebug &window() { return diag().debugWindow(); }

    // Waits nominal time with events processed, as the program does.
    static void waitNominal(int ms) { platform::EventPump::Sleep(ms); }

    void addSlide(int k, const QImage &image)
    {
        form->listIMAGE[k] = acquisition::pictureFromImage(image);
        form->listImageProperties[k] = 1;
    }

    // A running show of three slides, between ticks.
    void runningShow()
    {
        form->catalogueLoaded = 1;
        form->catalogueStatus = "1";
        form->ranVal = 1440;
        form->imgClockInterval = 4000;
        form->imgClock.setInterval(4000);
        for (int i = 0; i < 3; ++i) {
            addSlide(i, solid(200 + 10 * i, 100, Qt::darkBlue));
            form->listURL[i] = QStringLiteral("1ttp://pictures.example/%1.jpg").arg(i);
        }
        form->slideCount = 3;
        form->firstLaunch = 2;
        form->flagCmdButton = CmdRun;
        form->SSTCfg->SSTCfg_timeRefresh->setText("4");
        form->SSTCfg->SSTCfg_timeDwLoad->setText("15");
    }

    static void mouse(QWidget *w, QEvent::Type type)
    {
        QMouseEvent event(type, QPointF(4, 4), w->mapToGlobal(QPointF(4, 4)), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
};

} // namespace

TEST_F(Diag, TheDumpIsWrittenOnlyWhileAggiornaIsTicked)
{
    form->listURL[0] = "1ttp://a/one.jpg";
    diag().RefreshDebugDump();
    form->settings.RecordSelection(false, 5);
    EXPECT_EQ(window().ArrayDebug->Text(), "Array Debug");

    window().Aggiorna->setChecked(true);
    form->settings.RecordSelection(true);
    form->settings.RecordSelection(false, 5);
    EXPECT_EQ(window().ArrayDebug->Text(), diagnostics::debugDump(*form));
    EXPECT_TRUE(window().ArrayDebug->Text().startsWith("Debug Array\r\n\r\nlistIdCopyright\r\n5 | 0 | "));

    // Every connection-clock tick refreshes it, whatever the probe's state.
    form->probeState = 2;
    form->listURL[1] = "1ttp://a/two.jpg";
    form->generalClock.fire();
    EXPECT_TRUE(window().ArrayDebug->Text().contains("listURL\r\n1ttp://a/one.jpg\r\n1ttp://a/two.jpg\r\n"));
}

TEST_F(Diag, HelpButtonInDebugModeFillsTheListViewer)
{
    form->debugMode = 1;
    for (int i = 0; i < 20; ++i)
        form->listURLcomment[i] = QStringLiteral("comment %1").arg(i);
    EXPECT_FALSE(diag().listViewerExists());
    form->bar->btHelp->click();
    ASSERT_TRUE(diag().listViewerExists());
    DisplayDebug2 &v = diag().listViewer();
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(v.windowTitle(), "DisplayDebug2");
    for (int i = 0; i < diagnostics::kViewerLists; ++i)
        EXPECT_EQ(v.ListData_txt[i]->Caption(), diagnostics::viewerCaption(*form, i)) << i;
    EXPECT_TRUE(v.ListData_txt[5]->Caption().endsWith("\r\n 15 comment 15"));

    // A second click starts again from the names.
    form->listURLcomment[0] = "changed";
    form->bar->btHelp->click();
    EXPECT_TRUE(v.ListData_txt[5]->Caption().startsWith("listURLcomment\r\n 0 changed\r\n 1 comment 1"));
    EXPECT_EQ(v.ListData_txt[5]->Caption().count("\r\n"), 16);

    // The deck: card i at 120 + 240 i twips; a clicked card comes to the front.
    EXPECT_EQ(v.ListData_txt[4]->Left(), 1080);
    EXPECT_EQ(v.ListData_txt[4]->Top(), 1080);
    EXPECT_EQ(v.ListData_txt[4]->Width(), 13455);
    EXPECT_EQ(v.ListData_txt[4]->Height(), 3135);
    EXPECT_EQ(v.ListData_txt[4]->pos(), QPoint(72, 72));
    const auto topCard = [&] {
        QWidget *top = nullptr;
        for (QObject *child : v.ListData_txt[0]->parentWidget()->children())
            if (child->objectName() == "ListData_txt")
                top = static_cast<QWidget *>(child);
        return top;
    };
    EXPECT_EQ(topCard(), v.ListData_txt[12]);
    v.ListData_txt[3]->click();
    EXPECT_EQ(topCard(), v.ListData_txt[3]);

    v.Command_Nascondi->click();
    EXPECT_FALSE(v.isVisible());
    EXPECT_EQ(v.ListData_txt[5]->Caption().count("\r\n"), 16) << "the captions stay until the next fill";
}

TEST_F(Diag, HelpButtonOutsideDebugModeOpensThePageOncePerClick)
{
    StandInOpener opener;
    platform::Clock::setSpeed(1);
    form->catalogueAddress = "http://127.0.0.1:8473/public/catalogue?";
    const QStringList page{"http://127.0.0.1:8473/public/Help-Online.asp"};

    form->bar->btHelp->click();
    ASSERT_EQ(opener.calls().size(), 1);
    EXPECT_EQ(opener.calls()[0], page);
    EXPECT_FALSE(diag().listViewerExists());

    // A double click on the button is one request.
    waitNominal(800);
    opener.clear();
    QWidget *button = form->bar->btHelp;
    mouse(button, QEvent::MouseButtonPress);
    mouse(button, QEvent::MouseButtonRelease);
    mouse(button, QEvent::MouseButtonDblClick);
    mouse(button, QEvent::MouseButtonRelease);
    EXPECT_EQ(opener.calls().size(), 1);

    // Nothing new is opened once the program quits.
    waitNominal(800);
    opener.clear();
    form->ExitToProgram = true;
    form->bar->btHelp->click();
    EXPECT_TRUE(opener.calls().isEmpty());
}

TEST_F(Diag, ForcedReloadWaitsWhileTheClockIsBusy)
{
    runningShow();
    form->flagCmdButton = CmdPanelOpen;
    window().dbSetDwload->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Clock busy Dwload");
    EXPECT_EQ(dialogs.shown()[0].title, "Warning!");
    EXPECT_EQ(dialogs.shown()[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(form->imgClock.Interval(), 4000);
    EXPECT_EQ(form->clockFromDebugSet, 0);
    EXPECT_EQ(form->cntCounterDwLoadImage, 0);

    // A reload period that is no number forces nothing.
    dialogs.clear();
    form->flagCmdButton = CmdRun;
    form->SSTCfg->SSTCfg_timeDwLoad->setText("soon");
    window().dbSetDwload->click();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(form->clockFromDebugSet, 0);
    EXPECT_EQ(form->imgClock.Interval(), 4000);
}

TEST_F(Diag, ForcedReloadReloadsAllPicturesAtTheNextTick)
{
    runningShow();
    QFile::copy(qEnvironmentVariable("CIRROLITH_BUILD_DIR") + "/portable/App/Cirrolith/pic_not_available.gif",
                portable.appDir() + "/pic_not_available.gif");
    writeFile(form->Cirrolith_Slide_Dir + "/one.jpg", encode(solid(64, 48, Qt::green), "JPEG"));
    form->GLOBAL_IMAGE_CURRENT_POINTER = 2;
    form->imgClock.setEnabled(false);

    window().dbSetDwload->click();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(form->timerClockSave, 4000);
    EXPECT_EQ(form->imgClock.Interval(), 1000);
    EXPECT_TRUE(form->imgClock.Enabled());
    EXPECT_EQ(form->clockFromDebugSet, 1);
    EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, 0);
    EXPECT_EQ(form->cntCounterDwLoadImage, 15 * 60 + 10);

    // The clock's own timer brings the next tick, after a (nominal) second.
    for (int i = 0; i < 100 && form->cntCounterDwLoadImage != 0; ++i)
        waitNominal(200);
    for (int i = 0; i < 100 && form->clockStatus != 0; ++i)
        waitNominal(200);
    EXPECT_EQ(form->cntCounterDwLoadImage, 0);
    EXPECT_EQ(form->clockFromDebugSet, 0);
    // The rebuilt set is the folder picture alone, shown from the first slide.
    EXPECT_EQ(form->slideCount, 1);
    EXPECT_EQ(form->listIMAGE[0]->pixels, QSize(64, 48));
    EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, 1);
    EXPECT_EQ(form->imgClock.Interval(), 4000);
}

TEST_F(Diag, TheStatusTimerEndsTheProgramOnceItIsClosing)
{
    window();   // exists, hidden
    EXPECT_FALSE(window().isVisible());
    form->ranVal = 77;
    waitNominal(1500);
    EXPECT_EQ(window().dbRanVal->Caption(), "77");
    EXPECT_FALSE(platform::ProcessEnd::requested());

    form->ExitToProgram = true;
    waitNominal(1500);
    EXPECT_TRUE(platform::ProcessEnd::requested());
}

TEST_F(Diag, NothingTicksBeforeTheWindowIsOnScreen)
{
    auto fresh = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QStringLiteral("-DEBUG_CODE")});
    ASSERT_TRUE(fresh->Form_Load());
    fresh->generalClock.setEnabled(false);
    DisplayDebug &d = fresh->diagnostics->debugWindow();
    EXPECT_TRUE(d.isVisible()) << "debug mode shows the status window at start";
    EXPECT_TRUE(d.dbDisplay.Enabled());
    EXPECT_TRUE(d.dbDisplay.held());

    fresh->ExitToProgram = true;
    waitNominal(1500);
    EXPECT_FALSE(platform::ProcessEnd::requested());
    fresh->releaseTimers();
    EXPECT_FALSE(d.dbDisplay.held());
    waitNominal(1500);
    EXPECT_TRUE(platform::ProcessEnd::requested());
}

TEST_F(Diag, ButtonsReadStateAndScreenMetrics)
{
    DisplayDebug &d = window();
    EXPECT_EQ(d.windowTitle(), "DisplayDebug");
    EXPECT_EQ(d.dbSetDwload->text(), "setDwLoad");
    EXPECT_EQ(d.Label1->Caption(), "Screen.Width.metric");
    EXPECT_EQ(d.Label7->Caption(), "Screen.TwipsPerPixelY");
    EXPECT_EQ(d.Proxy_Password->echoMode(), QLineEdit::Password);

    form->flagCmdButton = CmdPanelOpen;
    form->clockStatus = 1;
    d.FlagflagCmdButton->click();
    d.ViewClockStatus->click();
    EXPECT_EQ(d.DisplayflagCmdButton->text(), "3");
    EXPECT_EQ(d.ValueClockStatus->text(), "1");
    form->clockStatus = 0;

    // 19200 x 10800 twips: 33866.7 x 19050 himetric.
    d.RunCalcolaSchermo->click();
    EXPECT_EQ(d.Label2->Caption(), "33866.7");
    EXPECT_EQ(d.Label4->Caption(), "19050");
    EXPECT_EQ(d.Label10->Caption(), QString::number(19050 / 33866.7));
    EXPECT_EQ(d.Label6->Caption(), QString::number(form->whoWeAre->Height() * 1440.0 / 2540.0));
    EXPECT_EQ(d.Label8->Caption(), "15");

    d.Text1->setPlainText("notes");
    mouse(d.Text1->viewport(), QEvent::MouseButtonDblClick);
    EXPECT_EQ(d.Text1->toPlainText(), "");

    form->Lingua = LinguaFrench;
    ApplyLanguage(*form->SSTCfg, *form, form->Lingua);
    const QString french = form->SSTCfg->tabText(0);
    form->SSTCfg->setTabText(0, "scribbled");
    d.Delete_Help_box->click();
    EXPECT_EQ(form->SSTCfg->tabText(0), french);
}

TEST_F(Diag, RunControlSlideshowAndProxyWriteTheirValues)
{
    DisplayDebug &d = window();
    form->flagCmdButton = 99;   // a tick that only counts
    form->panControl.fire();
    diag().LoadAndShow();
    EXPECT_EQ(d.DisplaypanControl_Timer->text(), "1");
    form->panControl.fire();
    EXPECT_EQ(d.DisplaypanControl_Timer->text(), QString::number(form->panTickCount));
    EXPECT_EQ(form->panTickCount, 2);
    d.hide();

    runningShow();
    form->GLOBAL_IMAGE_CURRENT_POINTER = 1;
    form->imgClock.fire();
    EXPECT_EQ(d.url_attuale->Caption(), "1ttp://pictures.example/1.jpg");
    EXPECT_FALSE(d.isVisible()) << "writers do not show the window";

    ConnectionFrame &frame = *form->Frame_Select_Connection;
    frame.Proxy_Address->setText("127.0.0.1:3128");
    frame.Proxy_Port->setText("8080");
    frame.Proxy_Username->setText("bob");
    frame.Proxy_Password->setText("s3cret");
    form->Proxy_Enabled = true;
    form->proxyFiles->ApplyProxySettings();
    EXPECT_EQ(d.Proxy_Address->text(), "127.0.0.1");
    EXPECT_EQ(d.Proxy_Port->text(), "3128");
    EXPECT_EQ(d.Proxy_Username->text(), "bob");
    EXPECT_EQ(d.Proxy_Password->text(), "s3cret");
    form->Proxy_Enabled = false;
    form->proxyFiles->ApplyProxySettings();
    EXPECT_EQ(d.Proxy_Address->text(), "");
    EXPECT_EQ(d.Proxy_Port->text(), "");
    EXPECT_EQ(d.Proxy_Username->text(), "");
    EXPECT_EQ(d.Proxy_Password->text(), "");
}

TEST_F(Diag, BuildsWriteTheirListsInDebugModeOnly)
{
    DisplayDebug &d = window();
    form->SSTCfg->SSTCfg_timeRefresh->setText("6");
    form->listURL[0] = "1ttp://127.0.0.1:1/a.jpg";
    form->listURL[1] = "1ttp://127.0.0.1:1/b.jpg";
    form->BuildSlideSet(2);
    EXPECT_EQ(d.labelLst->Caption(), "");
    EXPECT_EQ(d.ImgTimerValue->text(), "");

    form->debugMode = 1;
    form->BuildSlideSet(2);
    EXPECT_EQ(d.labelLst->Caption(), "1ttp://127.0.0.1:1/a.jpg\r\n1ttp://127.0.0.1:1/b.jpg\r\n");
    EXPECT_FALSE(d.labelLst->isEnabled());
    EXPECT_FALSE(d.labelLst->isHidden());
    EXPECT_EQ(d.ImgTimerValue->text(), "6000");

    // From the panel: the selected items' texts, from an empty caption.
    form->listURLcomment[0] = "Radar A";
    form->listURLcomment[1] = "Radar B";
    form->settings.ReadPictureList();
    form->SSTCfg->Tabella_Mappe_Selezionate->clearSelection();
    form->SSTCfg->Tabella_Mappe_Selezionate->item(1)->setSelected(true);
    form->SSTCfg->SSTCfg_timeRefresh->setText("9");
    form->BuildSlideSet(0);
    EXPECT_EQ(d.labelLst->Caption().toStdString(), " - Radar B\r\n");
    EXPECT_EQ(d.ImgTimerValue->text(), "9000");
}

TEST_F(Diag, QuittingInDebugModeUnloadsTheStatusWindow)
{
    form->debugMode = 1;
    diag().LoadAndShow();
    ASSERT_TRUE(diag().debugWindowExists());
    form->runControl->btTermina_Click();
    EXPECT_FALSE(diag().debugWindowExists());
    EXPECT_TRUE(platform::ProcessEnd::requested());
}

// Drawn for a desktop, the two windows fit a smaller screen (the offscreen
// one here is 800 x 600): every button stays reachable by scrolling.
TEST_F(Diag, TheWindowsFitTheScreenTheyAreOn)
{
    form->debugMode = 1;
    form->bar->btHelp->click();
    ASSERT_TRUE(diag().listViewerExists());
    const QRect free = platform::Screen::chosen()->availableGeometry();
    for (QWidget *w : std::initializer_list<QWidget *>{&window(), &diag().listViewer()}) {
        // Placed by its outer corner: on a kiosk screen there is no frame.
        EXPECT_TRUE(free.contains(QRect(w->pos(), w->size()))) << w->objectName().toStdString();
        auto *scroll = w->findChild<QScrollArea *>();
        ASSERT_TRUE(scroll) << w->objectName().toStdString();
        EXPECT_GE(scroll->widget()->width(), scroll->viewport()->width());
    }
    window().show();
    QWidget *button = window().dbSetDwload;
    auto *scroll = window().findChild<QScrollArea *>();
    scroll->ensureWidgetVisible(button);
    const QRect onScreen(button->mapTo(scroll->viewport(), QPoint(0, 0)), button->size());
    EXPECT_TRUE(scroll->viewport()->rect().contains(onScreen));
}
