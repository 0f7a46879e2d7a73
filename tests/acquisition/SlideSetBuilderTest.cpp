// The slide set builder downloading from the reference catalogue server's
// web root: every kind of outcome lands in its slot.
#include "acquisition/SlideSetBuilder.h"
#include "anigif/ucAniGIF.h"
#include "panel/SetupPanel.h"
#include "server/ServerProcess.h"
#include "slideshow/LoadingAids.h"
#include "slideshow/PictureBox.h"
#include "slideshow/SlideLayout.h"
#include "slideshow/Slideshow.h"
#include "support/ShowFixture.h"

#include <QDeadlineTimer>

#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <map>

using platform::MsgIcon;

namespace {

class Builder : public ShowFixture {
protected:
    void SetUp() override
    {
        ShowFixture::SetUp();
        const QString web = webroot.path();
        writeFile(web + "/a.jpg", encode(solid(800, 600, Qt::darkCyan), "JPEG"));
        writeFile(web + "/caps.PNG", encode(solid(300, 200, Qt::darkGreen), "JPEG"));
        QImage transparent(64, 32, QImage::Format_ARGB32);
        transparent.fill(Qt::transparent);
        writeFile(web + "/b.png", encode(transparent, "PNG"));
        writeFile(web + "/bad.jpg", "this is no picture");
        const QString gif = qEnvironmentVariable("CIRROLITH_BUILD_DIR") +
                            "/portable/App/Cirrolith/pic_not_available.gif";
        ASSERT_TRUE(QFile::copy(gif, web + "/anim1.gif"));
        ASSERT_TRUE(QFile::copy(gif, web + "/anim2.gif"));
        // A second GIF with other bytes, so the copies can be told apart.
        QFile f(web + "/anim2.gif");
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(QByteArray(7, '\0'));
        f.close();

        catalogueFile = web + "/catalogue.txt";
        writeFile(catalogueFile, "http://h.example/x.jpg | 14 | Demo X | C-Credit X-0\n");
        logFile = web + "/server.log";
        ASSERT_TRUE(server.start({"--catalogue", catalogueFile.toStdString(), "--webroot",
                                  web.toStdString(), "--log", logFile.toStdString()}))
            << server.stderrText();
        base = QStringLiteral("http://127.0.0.1:%1/").arg(server.port());
        form->catalogueAddress = base + "public/catalogue?";
    }

    int fileRequests() const
    {
        QFile f(logFile);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        return QString::fromUtf8(f.readAll()).count("[file");
    }

    QTemporaryDir webroot;
    QString catalogueFile;
    QString logFile;
    servertest::ServerProcess server;
    QString base;
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(Builder, EveryOutcomeLandsInItsSlot)
{
    const QStringList set = {base + "a.jpg",       "4" + base.mid(1) + "anim1.gif", base + "b.png",
                             base + "missing.jpg", base + "bad.jpg",               "4" + base.mid(1) + "anim2.gif",
                             base + "caps.PNG"};
    for (int i = 0; i < set.size(); ++i)
        form->listURL[i] = set[i];

    // The own picture cannot be read; eleven JPGs and a JPEG in the folder.
    form->ownPictureFile = portable.root() + "/Data/own.jpg";
    writeFile(form->ownPictureFile, "broken");
    const QString slides = form->Cirrolith_Slide_Dir;
    for (int i = 1; i <= 11; ++i)
        writeFile(QStringLiteral("%1/s%2.jpg").arg(slides).arg(i, 2, 10, QChar('0')),
                  encode(solid(160, 120, Qt::yellow), "JPEG"));
    writeFile(slides + "/a.jpeg", encode(solid(16, 16, Qt::red), "JPEG"));

    EXPECT_TRUE(form->BuildSlideSet(2));

    ASSERT_EQ(form->slideCount, 7 + 1 + 9);
    const SlideSetBuilder &b = *form->slides;
    const std::vector<int> kinds = {1, 4, 1, 1, 1, 4, 1, 1};
    const std::vector<bool> failed = {false, false, false, true, true, false, false, true};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(form->listImageProperties[k], kinds[k]) << k;
        EXPECT_EQ(form->listIMAGEnotLoaded[k], failed[k]) << k;
        ASSERT_TRUE(form->listIMAGE[k]) << k;
    }
    EXPECT_EQ(form->listIMAGE[0]->pixels, QSize(800, 600));
    EXPECT_EQ(form->listIMAGE[2]->background, QColor(Qt::white));
    EXPECT_EQ(form->listIMAGE[3], b.notAvailablePicture());
    EXPECT_EQ(form->listIMAGE[4], b.loadErrorPicture());
    EXPECT_EQ(form->listIMAGE[6]->pixels, QSize(300, 200));   // ".PNG": decoded by content
    EXPECT_EQ(form->listIMAGE[7], b.loadErrorPicture());       // the unreadable own picture
    for (int k = 8; k < 17; ++k) {
        EXPECT_FALSE(form->listIMAGEnotLoaded[k]) << k;
        EXPECT_EQ(form->listIMAGE[k]->pixels, QSize(160, 120)) << k;
    }
    EXPECT_FALSE(form->listIMAGE[17]);

    // The animated GIFs were copied to the numbered files 1 and 2.
    const QString stem = form->pictureFileStem + "_ANIGIF_";
    EXPECT_EQ(readAll(stem + "1.gif"), readAll(webroot.path() + "/anim1.gif"));
    EXPECT_EQ(readAll(stem + "2.gif"), readAll(webroot.path() + "/anim2.gif"));
    EXPECT_FALSE(QFile::exists(stem + "3.gif"));
    EXPECT_EQ(form->cntAniGif, 1);
    EXPECT_TRUE(form->LastUpdate.startsWith(" - RFRS:"));
    EXPECT_EQ(form->GLOBAL_IMAGE_CURRENT_POINTER, 0);
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join('|').toStdString();
    // Downloads go to the stem plus their picture type, one file per type.
    EXPECT_EQ(QDir(form->Cirrolith_Work_Dir).entryList({"Cirrolith4_Img*"}, QDir::Files, QDir::Name),
              QStringList({"Cirrolith4_Img.gif", "Cirrolith4_Img.jpg", "Cirrolith4_Img.png",
                           "Cirrolith4_Img_ANIGIF_1.gif", "Cirrolith4_Img_ANIGIF_2.gif"}));

    // The next build numbers the copies from 1 again.
    form->listURL[0] = "4" + base.mid(1) + "anim2.gif";
    form->listURL[1].clear();
    EXPECT_TRUE(form->BuildSlideSet(2));
    EXPECT_EQ(readAll(stem + "1.gif"), readAll(webroot.path() + "/anim2.gif"));
}

TEST_F(Builder, ConfirmingTheSameSelectionTwiceLoadsNothing)
{
    auto *list = form->SSTCfg->Tabella_Mappe_Selezionate;
    list->clear();
    for (const char *name : {"a.jpg", "caps.PNG", "b.png"}) {
        form->listURL[list->count()] = base + name;
        list->addItem(QString::fromLatin1(name));
    }
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    form->SSTCfg->SSTCfg_timeRefresh->setText("33");

    EXPECT_TRUE(form->BuildSlideSet(0));
    EXPECT_EQ(form->listImageSELECTED[1], base + "b.png");
    EXPECT_EQ(form->slideCount, 2);
    EXPECT_EQ(form->imgClockInterval, 33000);   // no 16-bit overflow
    EXPECT_EQ(form->catalogueLoaded, 1);
    const int requests = fileRequests();
    EXPECT_EQ(requests, 2);

    // The own picture is rebuilt after the catalogue entries all the same.
    form->ownPictureFile = portable.root() + "/Data/own.jpg";
    writeFile(form->ownPictureFile, encode(solid(50, 40, Qt::blue), "JPEG"));
    form->listIMAGE[0].reset();
    EXPECT_TRUE(form->BuildSlideSet(0));
    EXPECT_EQ(fileRequests(), requests);
    EXPECT_FALSE(form->listIMAGE[0]);   // not reloaded
    EXPECT_EQ(form->slideCount, 3);
    EXPECT_EQ(form->listIMAGE[2]->pixels, QSize(50, 40));
}

TEST_F(Builder, NothingSelectedReopensThePanel)
{
    form->Lingua = LinguaEnglish;
    form->SSTCfg->Tabella_Mappe_Selezionate->clear();
    form->SSTCfg->Tabella_Mappe_Selezionate->addItem("one");
    form->replyReady = 0;   // the panel waits for it: the builder must set it
    EXPECT_FALSE(form->BuildSlideSet(0));
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().front().text, "Error: you have to check at least one Image from list!");
    EXPECT_EQ(form->replyReady, 1);
    EXPECT_FALSE(form->SSTCfg->isHidden());
    EXPECT_EQ(form->catalogueLoaded, 1);   // the full catalogue came from the server
    EXPECT_EQ(form->listURL[0], "http://h.example/x.jpg");
}

// An address without "." gets the not-available placeholder and a message
// that closes by itself; a reload goes on with the entries after it.
TEST_F(Builder, AddressWithoutADotGetsThePlaceholder)
{
    form->Lingua = LinguaItalian;
    form->listImageProperties[5] = 4;
    form->clockReload = 1;
    form->slides->Load_JPG_GIF_PNG_On_Array("http://localhost/radar", 5);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Errore: IMMAGINE CON ESTENSIONE NON SUPPORTATA");
    EXPECT_EQ(dialogs.shown()[0].title, "Ext!");
    EXPECT_EQ(dialogs.shown()[0].icon, MsgIcon::Information);
    EXPECT_GT(dialogs.shown()[0].closesAfterMs, 0);
    EXPECT_EQ(form->listIMAGE[5], form->slides->notAvailablePicture());
    EXPECT_TRUE(form->listIMAGEnotLoaded[5]);
    EXPECT_EQ(form->listImageProperties[5], 1);
    EXPECT_EQ(form->clockReload, 1);
    EXPECT_EQ(fileRequests(), 0);
}

TEST_F(Builder, AddressesWithoutADotRaiseOneMessagePerBuild)
{
    // Filler of a cut reply turned into addresses: one modal message a build.
    constexpr int kAddresses = 12;
    for (int i = 0; i < kAddresses; ++i)
        form->listURL[i] = QStringLiteral("http://filler/x%1").arg(i);
    form->Lingua = 1;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(form->BuildSlideSet(2));
    const std::string first = testing::internal::GetCapturedStderr();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Errore: PICTURE WITH EXT. FORMAT NOT SUPPORTED");
    EXPECT_EQ(QString::fromStdString(first).count("without an extension"), kAddresses);
    EXPECT_NE(first.find("http://filler/x11"), std::string::npos);

    // The next build may show it once again.
    form->listURL[0] = QStringLiteral("http://filler/changed");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(form->BuildSlideSet(2));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(fileRequests(), 0);
}

TEST_F(Builder, SlotsStopAtTheEndOfTheLists)
{
    for (int i = 0; i < kListLoopEnd; ++i)
        form->listImageSELECTED[i] = QStringLiteral("3ttp://page/%1").arg(i);
    form->listImageSELECTED[2000] = "3ttp://page/2000";
    writeFile(form->Cirrolith_Slide_Dir + "/last.jpg", encode(solid(8, 8, Qt::red), "JPEG"));
    form->ownPictureFile = form->Cirrolith_Slide_Dir + "/last.jpg";
    EXPECT_TRUE(form->BuildSlideSet(1));   // unchanged set, nothing loaded
    EXPECT_EQ(form->slideCount, kListSize);
}

TEST_F(Builder, FromTheProbeToTheFirstSlide)
{
    // A catalogue of two pictures on this server, both selected.
    servertest::ServerProcess second;
    const QString catalogue = webroot.path() + "/two.txt";
    writeFile(catalogue, QStringLiteral("%1a.jpg | 14 | Demo A | X-Sat by A-0\n"
                                        "%1caps.PNG | 1 | Demo B | X-Radar by B-200\n"
                                        "@message Hello from the server\n")
                             .arg(base)
                             .toUtf8());
    const QString log = webroot.path() + "/second.log";
    ASSERT_TRUE(second.start({"--catalogue", catalogue.toStdString(), "--log", log.toStdString()}))
        << second.stderrText();
    form->catalogueAddress = QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(second.port());
    portable.write("Cirrolith4_Language.dat", " 1");
    portable.write("Cirrolith4_Proxy.dat", "\r\n\r\n\r\n\r\n0\r\n");
    portable.write("Cirrolith4_Picture_List.dat", "0\r\n14\r\n1\r\n1\r\n\r\n\r\n");
    portable.write("Cirrolith4_MyTown.dat", "town\r\n");

    form->generalClock.setEnabled(true);
    PictureBox &fb = *form->slideshow->fotoBrowser;
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && !(form->slideCount == 2 && fb.picture() && fb.picture() == form->listIMAGE[0]))
        platform::EventPump::Sleep(50);

    ASSERT_EQ(form->slideCount, 2);
    ASSERT_EQ(fb.picture(), form->listIMAGE[0]);
    EXPECT_EQ(form->listURL[0], base + "a.jpg");
    EXPECT_EQ(form->listURL[1], base + "caps.PNG");
    EXPECT_EQ(form->catalogueStatus, "1");
    EXPECT_TRUE(form->whoWeAre->text().startsWith("Sat by A")) << form->whoWeAre->text().toStdString();
    const platform::Picture &pic = *form->listIMAGE[0];
    const slideshow::SlideBox box = slideshow::fullScreenLayout(19200, 10800, form->whoWeAre->Height(),
                                                               pic.widthHimetric, pic.heightHimetric);
    EXPECT_EQ(fb.Left(), static_cast<float>(box.left));
    EXPECT_EQ(fb.Width(), static_cast<float>(box.width));

    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList kinds;
    for (const QString &line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
        if (line.contains(" GET "))
            kinds << line.section('[', -1).section(']', 0, 0);
    // The version check, sent with the first probe (an empty version file
    // when the web root has none).
    kinds.removeIf([](const QString &k) { return k.startsWith(QLatin1String("file")); });
    EXPECT_EQ(kinds.mid(0, 4), QStringList({"probe", "message", "selected", "credits"}));
}

namespace {

QStringList fileTargets(const QString &logFile)
{
    QFile f(logFile);
    QStringList targets;
    if (!f.open(QIODevice::ReadOnly))
        return targets;
    for (const QString &line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
        if (line.contains("[file"))
            targets << line.section(' ', 4, 4);
    return targets;
}

} // namespace

TEST_F(Builder, SeriesFillsConsecutiveSlotsAndTheBuilderSkipsAsManyEntries)
{
    for (int n : {8, 9, 10})
        writeFile(webroot.path() + QStringLiteral("/seq-%1.jpg").arg(n, 2, 10, QChar('0')),
                  encode(solid(100 + n, 50, Qt::gray), "JPEG"));
    const QStringList set = {"5" + base.mid(1) + "seq-*.jpg,8,1,3,2", base + "skipped1.jpg",
                             base + "skipped2.jpg", base + "a.jpg"};
    for (int i = 0; i < set.size(); ++i)
        form->listURL[i] = set[i];
    // A slot that held an animation in an earlier set holds a still now.
    form->listImageProperties[1] = 4;
    form->lCountDown->setText("loading ");
    form->webLoading = 1;   // the progress line counts

    EXPECT_TRUE(form->BuildSlideSet(2));

    EXPECT_EQ(fileTargets(logFile), QStringList({"/seq-08.jpg", "/seq-09.jpg", "/seq-10.jpg", "/a.jpg"}));
    ASSERT_EQ(form->slideCount, 4);
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(form->listIMAGE[k]) << k;
        EXPECT_EQ(form->listIMAGE[k]->pixels, QSize(108 + k, 50)) << k;
        EXPECT_EQ(form->listImageProperties[k], 1) << k;
        EXPECT_FALSE(form->listIMAGEnotLoaded[k]) << k;
    }
    EXPECT_EQ(form->listIMAGE[3]->pixels, QSize(800, 600));
    EXPECT_EQ(form->lCountDown->text(), "loading ***");
    EXPECT_EQ(form->slideTotal, form->slideCount) << "the progress line ends at N of N";
    EXPECT_FALSE(QFile::exists(form->pictureFileStem + "_ANIGIF_1.gif"));
    EXPECT_TRUE(dialogs.shown().empty());
}

// The progress line reads "N of N" at the end, not "4 of 2", when a series
// spreads past the last entry.
TEST_F(Builder, TheProgressCountsTheSlidesOfASeries)
{
    for (int n : {8, 9, 10})
        writeFile(webroot.path() + QStringLiteral("/seq-%1.jpg").arg(n, 2, 10, QChar('0')),
                  encode(solid(100 + n, 50, Qt::gray), "JPEG"));
    form->listURL[0] = base + "a.jpg";
    form->listURL[1] = "5" + base.mid(1) + "seq-*.jpg,8,1,3,2";
    form->webLoading = 1;
    EXPECT_TRUE(form->BuildSlideSet(2));
    EXPECT_EQ(form->slideCount, 4);
    EXPECT_EQ(form->slideTotal, 4);
}

TEST_F(Builder, MalformedOrEmptySeriesGetAPlaceholderAndTheBuildMovesOn)
{
    const QStringList set = {"5" + base.mid(1) + "seq.jpg,1,1,4,2", "5" + base.mid(1) + "seq-*.jpg,1,1,0,2",
                             "5" + base.mid(1) + "seq-*.jpg,32767,1,0,2", base + "a.jpg"};
    for (int i = 0; i < set.size(); ++i)
        form->listURL[i] = set[i];
    for (int k = 0; k < 3; ++k)
        form->listIMAGE[k] = form->slides->logoPicture();   // left by an earlier set

    EXPECT_TRUE(form->BuildSlideSet(2));

    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              "Proc ZazuzIririri Error " + QString::number(set[0].size() - 7 + 1));
    // An unattended start-up is not held: the notice closes by itself.
    EXPECT_GT(dialogs.shown()[0].closesAfterMs, 0);
    EXPECT_EQ(form->slideCount, 4);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(form->listIMAGE[k], form->slides->notAvailablePicture()) << k;
        EXPECT_TRUE(form->listIMAGEnotLoaded[k]) << k;
    }
    EXPECT_EQ(form->listIMAGE[3]->pixels, QSize(800, 600));
    EXPECT_EQ(fileTargets(logFile), QStringList({"/a.jpg"}));
}

TEST_F(Builder, NoSeriesSlotPassesTheEndOfTheLists)
{
    writeFile(webroot.path() + "/seq-08.jpg", encode(solid(30, 20, Qt::gray), "JPEG"));
    writeFile(webroot.path() + "/seq-09.jpg", encode(solid(31, 20, Qt::gray), "JPEG"));
    form->tmpStrUrl = "5" + base.mid(1) + "seq-*.jpg,8,1,3,2";
    int k = kListSize - 2;
    form->slides->LoadPictureSeries(k);
    EXPECT_EQ(k, kListSize - 1);
    EXPECT_EQ(form->listIMAGE[kListSize - 1]->pixels, QSize(31, 20));
    EXPECT_EQ(fileTargets(logFile), QStringList({"/seq-08.jpg", "/seq-09.jpg"}));
}

TEST_F(Builder, AfterASelectionChangeEveryAnimationPlaysItsOwnGif)
{
    // Four GIFs that differ in a colour of their palette; two with addresses
    // that do not end in ".gif".
    const QString web = webroot.path();
    const QByteArray original = readAll(web + "/anim1.gif");
    ASSERT_GT(original.size(), 20);
    ASSERT_TRUE(static_cast<unsigned char>(original[10]) & 0x80);   // a global palette
    const std::vector<std::pair<QString, char>> gifs = {
        {"anim1.gif", 11}, {"anim2.gif", 22}, {"anim3.GIF", 33}, {"anim4.gif", 44}};
    std::map<QString, QByteArray> shown;   // what the control shows for each file
    for (const auto &[name, colour] : gifs) {
        QByteArray bytes = original;
        bytes[16] = colour;
        writeFile(web + "/" + name, bytes);
        ucAniGIF reference;
        ASSERT_TRUE(reference.LoadAnimatedGIF_File(web + "/" + name));
        shown[name] = reference.AnimatedGIF().bytes;
    }
    ASSERT_NE(shown["anim1.gif"], shown["anim2.gif"]);
    const auto anim = [&](const QString &name) { return "4" + base.mid(1) + name; };

    form->catalogueLoaded = 1;
    form->catalogueStatus = "1";
    form->ranVal = 1440;
    form->SSTCfg->SSTCfg_timeDwLoad->setText("1000");
    form->firstLaunch = 2;
    ucAniGIF &player = *form->slideshow->ucAniGIF1;
    const auto playThrough = [&](int slides) {
        QList<QByteArray> played;
        for (int i = 0; i < slides; ++i) {
            form->imgClock.fire();
            played << (player.isHidden() ? QByteArray() : player.AnimatedGIF().bytes);
        }
        return played;
    };

    form->listURL[0] = anim("anim1.gif");
    form->listURL[1] = anim("anim2.gif");
    ASSERT_TRUE(form->BuildSlideSet(2));
    EXPECT_EQ(playThrough(2), QList<QByteArray>({shown["anim1.gif"], shown["anim2.gif"]}));
    EXPECT_EQ(form->cntAniGif, 3);

    // Mid-pass, the selection changes: a still where an animation was, and
    // the animations further on.
    form->listURL[0] = base + "a.jpg";
    form->listURL[1] = anim("anim3.GIF");
    form->listURL[2] = anim("anim4.gif?t=1");
    ASSERT_TRUE(form->BuildSlideSet(2));
    EXPECT_EQ(form->listImageProperties[0], 1);
    EXPECT_EQ(playThrough(3), QList<QByteArray>({QByteArray(), shown["anim3.GIF"], shown["anim4.gif"]}));
    // And so on the next pass.
    EXPECT_EQ(playThrough(3).mid(1), QList<QByteArray>({shown["anim3.GIF"], shown["anim4.gif"]}));
}

TEST_F(Builder, TheUpdateNoticeHasItsPicturesSize)
{
    form->listURL[0] = base + "a.jpg";
    QSize seen;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!form->slideshow->loading->MessaggioAggiornate->isHidden())
            seen = form->slideshow->loading->MessaggioAggiornate->size();
    });
    probe.start(5);
    EXPECT_TRUE(form->BuildSlideSet(2));
    const QSize picture = form->slideshow->loading->MessaggioAggiornate->pixmap().size();
    ASSERT_FALSE(picture.isEmpty());
    EXPECT_EQ(seen, picture);
    EXPECT_EQ(form->slideshow->loading->MessaggioAggiornate->pos(), QPoint(200, 133));   // 3000 and 2000 twips at 96 DPI
}
