#include "acquisition/SlideTime.h"
#include "catalogue/CatalogueProtocol.h"
#include "core/FormPicture.h"
#include "panel/ConnectionFrame.h"
#include "panel/SetupPanel.h"
#include "platform/DialogService.h"
#include "platform/Screen.h"
#include "settings/LanguageFiles.h"
#include "settings/ProxyFiles.h"
#include "support/FileSizeLimit.h"
#include "support/TempPortable.h"

#include <QFile>

#include <gtest/gtest.h>

using platform::MsgIcon;
using platform::ScriptedDialogs;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::Screen::override(19200, 10800, 96);
        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        ASSERT_TRUE(form->Form_Load());
        // These tests drive the files directly; the connection clock's first
        // tick would wait for a language choice inside every pause.
        form->generalClock.setEnabled(false);
        dialogs.clear();
    }
    void TearDown() override { platform::Screen::clearOverride(); }

    QString config() const { return QString::fromLatin1(portable.read("Cirrolith4_Config.dat")); }
    void setTimers(const QString &download, const QString &slide)
    {
        form->SSTCfg->SSTCfg_timeDwLoad->setText(download);
        form->SSTCfg->SSTCfg_timeRefresh->setText(slide);
    }

    TempPortable portable;
    ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    std::unique_ptr<FormPicture> form;
};

} // namespace

TEST_F(Settings, TimerCorrectionsShowTheirMessagesInTheUsersLanguage)
{
    form->Lingua = 1;
    setTimers("10", "0");
    form->settings.SaveConfig();
    EXPECT_EQ(dialogs.texts(), QStringList({"Download Timer too small.", "Slide Show Timer too small."}));
    EXPECT_EQ(dialogs.shown()[0].title, "Warning!");
    EXPECT_EQ(dialogs.shown()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(config().startsWith("15\r\n1\r\n"));
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "15");

    dialogs.clear();
    form->Lingua = 2;
    setTimers("abc", "");
    form->settings.SaveConfig();
    EXPECT_EQ(dialogs.texts(), QStringList({"Tempo Download non valido.", "Timer Slide Show non valido."}));
    EXPECT_TRUE(config().startsWith("15\r\n1\r\n"));

    // The slide timer's not-numeric message is read while the box still
    // holds the bad text; the others after the correction.
    dialogs.clear();
    form->Lingua = 4;
    setTimers("7", "x");
    QStringList boxesWhenShown;
    dialogs.onShow = [&](const ScriptedDialogs::Shown &) {
        boxesWhenShown << form->SSTCfg->SSTCfg_timeDwLoad->text() + "|" +
                              form->SSTCfg->SSTCfg_timeRefresh->text();
    };
    form->settings.SaveConfig();
    dialogs.onShow = nullptr;
    EXPECT_EQ(dialogs.texts(), QStringList({QString::fromUtf8("Intervalo Descargue demasiado corto."),
                                            QString::fromUtf8("Temporizador Slide Espectáculo no vadea.")}));
    EXPECT_EQ(boxesWhenShown, QStringList({"15|x", "15|x"}));
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), "1");

    // No language chosen: corrected all the same, silently.
    dialogs.clear();
    form->Lingua = 999;
    setTimers("3", "-2");
    form->settings.SaveConfig();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(config().startsWith("15\r\n1\r\n"));

    dialogs.clear();
    form->Lingua = 3;
    setTimers("15.5", "20");
    form->running.setOwnPicture("/pics/ciel.png");
    form->settings.SaveConfig();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(config(), "15.5\r\n20\r\nFull_Screen\r\n/pics/ciel.png\r\n\r\n\r\n");
}

TEST_F(Settings, SelectionIsWrittenWithIdsAndRecorded)
{
    for (int i = 0; i < 10; ++i) {
        form->listURL[i] = QString("http://h/p%1.jpg").arg(i);
        form->listURLcomment[i] = QString("picture %1").arg(i);
        form->listIdUrl[i] = static_cast<std::int16_t>(100 + i);
    }
    form->listIdUrl[3] = 101;
    form->listIdUrl[7] = 205;
    form->settings.ReadPictureList();   // marks 0..3 from the default file
    QListWidget *list = form->SSTCfg->Tabella_Mappe_Selezionate;
    ASSERT_EQ(list->count(), 10);
    EXPECT_EQ(list->item(4)->text(), " - picture 4");
    EXPECT_EQ(list->selectedItems().size(), 4);

    list->clearSelection();
    list->item(3)->setSelected(true);
    list->item(7)->setSelected(true);
    form->settings.SaveConfig();
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), QByteArray("3\r\n101\r\n7\r\n205\r\n\r\n\r\n"));
    EXPECT_EQ(form->selectionCount, 2);
    EXPECT_EQ(form->listIdCopyright[0], 4);
    EXPECT_EQ(form->listIdCopyright[1], 8);
    EXPECT_EQ(form->listIdCopyright[2], 0);
    EXPECT_TRUE(form->LastUpdate.startsWith(" - RFRS:"));
    EXPECT_TRUE(form->whoWeAre->text().endsWith(form->LastUpdate));

    // Reading back selects what the file names; positions past the list are ignored.
    portable.write("Cirrolith4_Picture_List.dat", "7\r\n205\r\n12\r\n9\r\n\r\n\r\n");
    form->settings.ReadPictureList();
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->row(list->selectedItems()[0]), 7);

    // Nothing selected: only the end mark.
    list->clearSelection();
    form->settings.SaveConfig();
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), QByteArray("\r\n\r\n"));
}

// A save from the slideshow (a quit key, a fatal condition) comes before the
// panel's list was ever filled: the stored selection must survive it.
TEST_F(Settings, SaveBeforeThePanelWasFilledKeepsTheSelection)
{
    const QByteArray selection("0\r\n14\r\n1\r\n1\r\n32\r\n40\r\n34\r\n42\r\n\r\n\r\n");
    portable.write("Cirrolith4_Picture_List.dat", selection);
    ASSERT_EQ(form->SSTCfg->Tabella_Mappe_Selezionate->count(), 0);
    form->SSTCfg->SSTCfg_timeRefresh->setText("9");
    form->settings.SaveConfig();
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), selection);
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n9\r\n"));
    EXPECT_EQ(form->selectionCount, 4);
    EXPECT_EQ(form->listIdCopyright[3], 35);
}

TEST_F(Settings, FailedWriteKeepsTheSettingsAndSaysSo)
{
    portable.write("Cirrolith4_Language.dat", " 1");
    portable.write("Cirrolith4_Proxy.dat", "\r\n\r\n\r\n\r\n0\r\n");
    portable.write("Cirrolith4_MyTown.dat", "Aosta\r\n");
    const QByteArray list = portable.read("Cirrolith4_Picture_List.dat");
    ASSERT_FALSE(list.isEmpty());
    // A folder where the configuration file should go makes the write fail.
    QFile::remove(portable.work("Cirrolith4_Config.dat"));
    ASSERT_TRUE(QDir().mkdir(portable.work("Cirrolith4_Config.dat")));
    form->Lingua = 3;
    form->imgClock.setEnabled(true);
    form->settings.SaveConfig();
    EXPECT_EQ(dialogs.texts(), QStringList{QString::fromUtf8("ERREUR D'ÉCRITURE SUR LES FICHIERS DE CONFIGURATION!")});
    EXPECT_EQ(dialogs.shown()[0].title, platform::DialogService::defaultTitle());
    EXPECT_FALSE(form->imgClock.Enabled());
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), " 1");
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), "\r\n\r\n\r\n\r\n0\r\n");
    EXPECT_EQ(portable.read("Cirrolith4_MyTown.dat"), "Aosta\r\n");
}

TEST_F(Settings, FullDiskKeepsEveryFileByteForByte)
{
    const QByteArray proxy("\r\n\r\n\r\n\r\n0\r\n");
    portable.write("Cirrolith4_Proxy.dat", proxy);
    portable.write("Cirrolith4_Proxy.bak", proxy);
    portable.write("Cirrolith4_Language.dat", " 1");
    form->settings.SaveConfig();
    const QByteArray config = portable.read("Cirrolith4_Config.dat");
    const QByteArray list = portable.read("Cirrolith4_Picture_List.dat");
    ASSERT_FALSE(config.isEmpty());
    ASSERT_FALSE(list.isEmpty());
    dialogs.clear();

    form->imgClock.setEnabled(true);
    form->SSTCfg->SSTCfg_timeDwLoad->setText(QStringLiteral("30"));
    form->Frame_Select_Connection->Proxy_Address->setText(QStringLiteral("proxy.example:3128"));
    form->Proxy_Enabled = true;
    form->Lingua = 2;
    {
        filelimit::Scoped full(1);
        form->settings.SaveConfig();
        form->proxyFiles->ApplyProxySettings();
        form->languageFiles->WriteLanguageFile();
    }
    // Only the configuration save has a message of its own; the others go to
    // stderr from the writer.
    EXPECT_EQ(dialogs.texts(),
              QStringList{QStringLiteral("ERRORE DURANTE LA SCRITTURA DEL FILE DI CONFIGURAZIONE!")});
    EXPECT_FALSE(form->imgClock.Enabled());
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), config);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), list);
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), proxy);
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.bak"), proxy);
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), " 1");
    const QStringList leftovers =
        QDir(portable.workDir()).entryList({QStringLiteral(".*")}, QDir::Hidden | QDir::Files);
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(u' ').toStdString();
}

TEST_F(Settings, ResetDeletesTheFourFilesEvenReadOnlyAndBlocksSaving)
{
    portable.write("Cirrolith4_Language.dat", " 1");
    portable.write("Cirrolith4_Proxy.dat", "\r\n\r\n\r\n\r\n0\r\n");
    portable.write("Cirrolith4_Proxy.bak", "\r\n\r\n\r\n\r\n0\r\n");
    QFile::setPermissions(portable.work("Cirrolith4_Config.dat"), QFileDevice::ReadOwner);
    form->settings.DeleteConfigFiles();
    for (const char *gone : {"Cirrolith4_Picture_List.dat", "Cirrolith4_Config.dat", "Cirrolith4_Proxy.dat",
                             "Cirrolith4_Language.dat"})
        EXPECT_FALSE(portable.exists(gone)) << gone;
    EXPECT_TRUE(portable.exists("Cirrolith4_Proxy.bak"));

    form->restartPending = true;
    form->settings.SaveConfig();
    EXPECT_FALSE(portable.exists("Cirrolith4_Config.dat"));
    EXPECT_FALSE(portable.exists("Cirrolith4_Picture_List.dat"));
}

TEST_F(Settings, ShortFileKeepsWhatItHoldsAndOnlyAMissingOneIsAFirstRun)
{
    portable.write("Cirrolith4_Language.dat", " 1");
    portable.write("Cirrolith4_Config.dat", "25\r\n6\r\n");
    const QByteArray list = portable.read("Cirrolith4_Picture_List.dat");
    EXPECT_TRUE(form->settings.ReadConfig());
    EXPECT_TRUE(form->configValid);
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "25");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), "6");
    EXPECT_EQ(form->displayMode, 1);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), list);
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), " 1");

    QFile::remove(portable.work("Cirrolith4_Config.dat"));
    form->imgClock.setEnabled(true);
    EXPECT_FALSE(form->settings.ReadConfig());
    EXPECT_FALSE(form->configValid);
    EXPECT_FALSE(form->imgClock.Enabled());
    EXPECT_FALSE(portable.exists("Cirrolith4_Picture_List.dat"));
    // With the configuration invalid, the next save writes the default selection.
    form->settings.SaveConfig();
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"),
              QByteArray("0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n"));
}

// An id the 16-bit list cannot hold, or no number at all, used to be stored
// as 0: the next start showed entry 0's picture in its place.
TEST_F(Settings, EntriesWithoutAUsableIdAreNeverSavedAsAnotherId)
{
    QStringList urls;
    for (int i = 0; i < 5; ++i) {
        urls << QString("http://h/p%1.jpg").arg(i);
        form->listURLcomment[i] = QString("picture %1").arg(i);
    }
    catalogue::storeReply(*form, catalogue::KindAddresses, urls);
    catalogue::storeReply(*form, catalogue::KindIds, {"7", "40000", "abc", "-3", "32767"});
    EXPECT_EQ(form->listIdUrl[0], 7);
    EXPECT_EQ(form->listIdUrl[4], 32767);
    form->settings.ReadPictureList();
    QListWidget *list = form->SSTCfg->Tabella_Mappe_Selezionate;
    ASSERT_EQ(list->count(), 5);
    for (int i = 0; i < 5; ++i)
        list->item(i)->setSelected(true);
    form->settings.SaveConfig();
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), QByteArray("0\r\n7\r\n4\r\n32767\r\n\r\n\r\n"));
}

// A file written by hand or damaged obeys the panel's bounds when read, without
// a message on the way to the slideshow: a slide time of 0 would stop the show
// and a negative reload period would download again every few seconds.
TEST_F(Settings, ValuesReadFromTheFileKeepThePanelsBounds)
{
    const auto slideMs = [this] {
        return acquisition::slideIntervalMs(acquisition::leadingNumber(form->SSTCfg->SSTCfg_timeRefresh->text()));
    };
    portable.write("Cirrolith4_Config.dat", "-5\r\n0\r\nFull_Screen\r\n\r\n\r\n");
    EXPECT_TRUE(form->settings.ReadConfig());
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "15");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), "1");
    EXPECT_EQ(form->displayMode, 1);

    portable.write("Cirrolith4_Config.dat", "20\r\n0.4\r\nNormal\r\n\r\n\r\n");
    EXPECT_TRUE(form->settings.ReadConfig());
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "20");
    EXPECT_EQ(slideMs(), 1000);

    // Random bytes that happen to hold enough lines: every value is usable.
    QByteArray noise;
    quint32 x = 12345;
    for (int i = 0; i < 400; ++i) {
        x = x * 1103515245u + 12345u;
        noise += char(x >> 24);
    }
    noise[0] = 'z';
    noise[40] = '\n';
    noise[90] = '\n';
    noise[150] = '\n';
    noise[200] = '\n';
    portable.write("Cirrolith4_Config.dat", noise);
    EXPECT_TRUE(form->settings.ReadConfig());
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "15");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), "1");
    EXPECT_GT(slideMs(), 0);
    EXPECT_EQ(form->displayMode, 0);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(" | ").toStdString();
}

TEST_F(Settings, SaveAllReenablesTheRunButtons)
{
    form->settings.saveAll();
    SetupPanel &p = *form->SSTCfg;
    EXPECT_TRUE(p.SSTCfg_cmdConferma->Enabled());
    EXPECT_TRUE(p.SSTCfg_ExitProgram->Enabled());
    EXPECT_FALSE(p.SSTCfg_salvaConfig->Enabled());
    EXPECT_FALSE(p.SSTCfg_salvaConfig2->Enabled());
    EXPECT_EQ(form->settingsChanged, 0);
}
