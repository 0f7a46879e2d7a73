#include "collections/CollectionFile.h"
#include "collections/Collections.h"
#include "panel/PanelTestKit.h"
#include "support/FileSizeLimit.h"

#include <QFileInfo>

using platform::MsgIcon;

namespace {

class CollectionsOnPanel : public PanelForm {
protected:
    void SetUp() override
    {
        PanelForm::SetUp();
        fillCatalogue({"SAT Europe infrared", "RADAR Alps & Jura", "CHART North-Atlantic",
                       "WEBCAM Naples harbour", "SAT Americas visible"});
        form->Lingua = 1;
        form->collections->now = [this] { return when; };
    }

    QString collection(const QString &ext) const
    {
        return form->Cirrolith_Collections_Dir + u'/' +
               collection::fileName(collection::stampFor(when), ext);
    }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        const QString path = root.path() + u'/' + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QDateTime when{QDate(2024, 3, 7), QTime(9, 5, 2)};
};

} // namespace

TEST_F(CollectionsOnPanel, SavingWritesTheCollectionAndThePictureListCopy)
{
    select({1, 3});
    panel().SSTCfg_Backupconf->click();

    const QByteArray xml = read(collection(".xml"));
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\"?>\r\n<CirrolithCollection>\r\n"));
    EXPECT_TRUE(xml.contains("\t\t\t<CodePic>Alps</CodePic>\r\n\t\t\t<Description> - RADAR Alps _ Jura</Description>\r\n"));
    EXPECT_TRUE(xml.contains("\t\t\t<CodePic>Naples</CodePic>\r\n"));
    EXPECT_EQ(xml.count("<PicItem>"), 2);
    EXPECT_EQ(read(collection(".dat")), read(form->settings.pictureListPath()));
    EXPECT_EQ(read(collection(".dat")), QByteArray("1\r\n101\r\n3\r\n103\r\n\r\n\r\n"));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Collection Saved with date and time info on:\r\n" +
                                           form->Cirrolith_Collections_Dir +
                                           "/Cirrolith_Collection_03072024_090502.xml");
}

TEST_F(CollectionsOnPanel, ASecondSaveInTheSameSecondReplacesTheFirst)
{
    select({0});
    panel().SSTCfg_BackUpcnf->click();
    select({4});
    form->Lingua = 3;
    panel().SSTCfg_BackUpcnf->click();
    const QStringList files = QDir(form->Cirrolith_Collections_Dir).entryList(QDir::Files);
    EXPECT_EQ(files, QStringList({"Cirrolith_Collection_03072024_090502.dat",
                                  "Cirrolith_Collection_03072024_090502.xml"}));
    EXPECT_EQ(read(collection(".xml")).count("<PicItem>"), 2);
    EXPECT_TRUE(dialogs.texts().last().startsWith(QString::fromUtf8("Votre Collection a été faite en toute sécurité:\r\n")));

    // No language chosen: saved without a message.
    dialogs.clear();
    form->Lingua = 999;
    panel().SSTCfg_BackUpcnf->click();
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(CollectionsOnPanel, AFullDiskKeepsTheSavedCollectionAndSaysItWasNotSaved)
{
    select({0});
    panel().SSTCfg_BackUpcnf->click();
    const QByteArray xml = read(collection(".xml"));
    const QByteArray copy = read(collection(".dat"));
    ASSERT_FALSE(xml.isEmpty());
    ASSERT_FALSE(copy.isEmpty());

    select({4});
    dialogs.clear();
    {
        filelimit::Scoped full(2);
        panel().SSTCfg_BackUpcnf->click();
    }
    EXPECT_EQ(read(collection(".xml")), xml);
    EXPECT_EQ(read(collection(".dat")), copy);
    ASSERT_EQ(dialogs.texts().size(), 2);
    EXPECT_EQ(dialogs.texts()[0], "ERROR WRITING CONFIGURATION FILES!");
    EXPECT_TRUE(dialogs.texts()[1].startsWith("Collection not saved:")) << dialogs.texts()[1].toStdString();
}

TEST_F(CollectionsOnPanel, ASavedCollectionLoadsBackOnTopOfTheSelection)
{
    select({0, 3});
    panel().SSTCfg_BackUpcnf->click();
    panel().Image1->click();
    select({4});
    dialogs.clear();
    dialogs.answerFile(collection(".xml"));
    form->settingsChanged = 0;
    form->GLOBAL_IMAGE_CURRENT_POINTER = 7;
    panel().SSTCfg_Loadconf->click();

    EXPECT_EQ(selectedRows(), QList<int>({0, 3, 4}));
    ASSERT_EQ(dialogs.fileRequests().size(), 1u);
    EXPECT_EQ(dialogs.fileRequests()[0].title, "Restore or Load Configuration File");
    EXPECT_EQ(dialogs.fileRequests()[0].filterNames, QStringList({"All Files"}));
    EXPECT_EQ(dialogs.fileRequests()[0].filterPatterns, QStringList({"*.xml"}));
    EXPECT_EQ(dialogs.texts(),
              QStringList({"Table reloaded, Please restart Cirrolith to trim exact time for every picture"}));
    // Saved and read back from the picture list.
    EXPECT_EQ(read(form->settings.pictureListPath()),
              QByteArray("0\r\n100\r\n3\r\n103\r\n4\r\n104\r\n\r\n\r\n"));
    EXPECT_EQ(panel().currentIndex(), SetupPanel::TabRunExit);
    EXPECT_EQ(form->settingsChanged, 1);
    EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, 0);
    EXPECT_FALSE(panel().Wait_Ico->Visible());
    EXPECT_EQ(form->ItemsCodePic[2], "North-Atlantic");
    EXPECT_EQ(form->ItemsCodePic[5], "0");
}

TEST_F(CollectionsOnPanel, CodesMatchTheListByTheLoadingRule)
{
    // Saved codes carry no dash: "NorthAtlantic" is the item "North-Atlantic".
    const QString path = writeFile(
        "mine.xml",
        "<?xml version=\"1.0\"?>\n<CirrolithCollection><PicList>\n"
        "<PicItem><CodePic>NorthAtlantic</CodePic></PicItem>\n"
        "<PicItem><CodePic> Naples </CodePic><Description>x</Description></PicItem>\n"
        "<PicItem><CodePic/></PicItem>\n"
        "</PicList></CirrolithCollection>\n");
    dialogs.answerFile(path);
    form->Lingua = 2;
    panel().SSTCfg_Loadcnf->click();
    EXPECT_EQ(selectedRows(), QList<int>({2, 3}));
    EXPECT_EQ(dialogs.texts().last(),
              "Tabella ricaricata, riavviare il programma per ripristinare i tempi corretti ad ogni immagine");
}

TEST_F(CollectionsOnPanel, ACancelledDialogReportsAndStillSaves)
{
    select({1});
    QFile::remove(form->settings.pictureListPath());
    form->collections->LoadCollection();
    ASSERT_GE(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "INVALID FILE SELECTION - REPEAT PLEASE");
    EXPECT_EQ(dialogs.shown()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(read(form->settings.pictureListPath()), QByteArray("1\r\n101\r\n\r\n\r\n"));
    EXPECT_EQ(selectedRows(), QList<int>({1}));
    EXPECT_EQ(form->settingsChanged, 1);
}

TEST_F(CollectionsOnPanel, MalformedOrHostileFilesChangeNothing)
{
    const QByteArray laughs =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE C [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n"
        "<C><PicItem><CodePic>&c;</CodePic></PicItem></C>";
    for (const QByteArray &bytes :
         {QByteArray("<?xml version=\"1.0\"?><C><PicItem><CodePic>Alps</CodePic></C>"), laughs,
          QByteArray("<n>").repeated(40000) + "<PicItem><CodePic>Alps</CodePic></PicItem>" +
              QByteArray("</n>").repeated(40000)}) {
        select({2});
        QFile::remove(form->settings.pictureListPath());
        form->settingsChanged = 0;
        dialogs.clear();
        dialogs.answerFile(writeFile("bad.xml", bytes));
        panel().SSTCfg_Loadcnf->click();
        EXPECT_EQ(dialogs.texts(), QStringList({"Error: Failed to load xml data from file."}));
        EXPECT_EQ(selectedRows(), QList<int>({2}));
        EXPECT_FALSE(QFile::exists(form->settings.pictureListPath())) << "the panel is not saved";
        EXPECT_EQ(form->settingsChanged, 0);
        EXPECT_FALSE(panel().Wait_Ico->Visible());
    }
}
