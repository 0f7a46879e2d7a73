#include "acquisition/SlideSetBuilder.h"

#include "acquisition/PictureFiles.h"
#include "acquisition/PictureLoader.h"
#include "acquisition/SlideSetPlan.h"
#include "acquisition/SlideTime.h"
#include "anigif/ucAniGIF.h"
#include "catalogue/Catalogue.h"
#include "core/FormPicture.h"
#include "diagnostics/DebugWindows.h"
#include "diagnostics/Diagnostics.h"
#include "panel/SetupPanel.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/Transfer.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"
#include "slideshow/WebSurface.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <optional>

using platform::DialogService;
using platform::EventPump;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

constexpr QSize kThumbBox = SlideSetBuilder::kMiniaturaPixels;
constexpr float kMiniaturaWidth = 5190, kMiniaturaHeight = 3900;

platform::Image *holder(const QString &name, QWidget *parent, const char *resource)
{
    auto *w = new platform::Image(name, parent);
    w->setPixmap(QPixmap(QString::fromLatin1(resource)));
    w->setScaledContents(true);
    w->hide();
    return w;
}

platform::PictureRef artwork(const char *resource)
{
    return acquisition::pictureFromImage(QImage(QString::fromLatin1(resource)));
}

std::optional<QString> unsupportedExtensionMessage(int lingua)
{
    switch (lingua) {
    case LinguaEnglish: return QStringLiteral("Errore: PICTURE WITH EXT. FORMAT NOT SUPPORTED");
    case LinguaItalian: return QStringLiteral("Errore: IMMAGINE CON ESTENSIONE NON SUPPORTATA");
    case LinguaFrench: return QStringLiteral("Erreur : IMAGE AVEC UNE EXTENSION NON PRISE EN CHARGE");
    case LinguaSpanish: return QStringLiteral("Error: IMAGEN CON UNA EXTENSI\u00D3N NO ADMITIDA");
    default: return std::nullopt;
    }
}

void beep()
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        QApplication::beep();
}

} // namespace

SlideSetBuilder::SlideSetBuilder(FormPicture &form) : w(form)
{
    Miniatura = holder(QStringLiteral("Miniatura"), &w, ":/art/download.png");
    Miniatura->Move(0, 0, kMiniaturaWidth, kMiniaturaHeight);
    DownloadPreview = new platform::Vb<QLineEdit>(QStringLiteral("DownloadPreview"), &w);
    DownloadPreview->setText(QStringLiteral("Download In Progress:  Preview"));
    DownloadPreview->setReadOnly(true);
    DownloadPreview->Move(0, 3900, kMiniaturaWidth, 315);
    DownloadPreview->hide();
    PngBuffer = holder(QStringLiteral("PngBuffer"), &w, ":/art/download.png");
    ImageNonDisponibile = holder(QStringLiteral("ImageNonDisponibile"), &w, ":/art/not_available.png");
    ErrLoadPicture = holder(QStringLiteral("ErrLoadPicture"), &w, ":/art/load_error.png");
    MessaggioAggiornate = holder(QStringLiteral("MessaggioAggiornate"), &w, ":/art/update.png");

    m_notAvailable = artwork(":/art/not_available.png");
    m_loadError = artwork(":/art/load_error.png");
    m_logo = artwork(":/art/splash.png");   // the start-up picture ImageLogoPortable shows

    w.utilityTmr.setHandler([this] { utilityTmr_Timer(); });
}

bool SlideSetBuilder::pause(int count, std::uint64_t generation)
{
    for (int i = 0; i < count; ++i) {
        EventPump::Sleep(10);
        if (generation != m_generation || EventPump::quitRequested())
            return false;
    }
    return true;
}

void SlideSetBuilder::showThumbnail(const QImage &thumbnail)
{
    Miniatura->setPixmap(QPixmap::fromImage(thumbnail));
}

void SlideSetBuilder::placePicture(int slot, const platform::PictureRef &picture, bool failed)
{
    w.listIMAGE[slot] = picture;
    w.listIMAGEnotLoaded[slot] = failed;
    if (failed) {
        w.listImageProperties[slot] = 1;
        showThumbnail(picture->image);
    }
}

void SlideSetBuilder::Load_JPG_GIF_PNG_On_Array(const QString &UrlImageToLoad, int cnt)
{
    w.IsWebPage = false;                                                       // 1
    const QString extension = acquisition::addressExtension(UrlImageToLoad);    // 2
    if (cnt < 0 || cnt >= kListSize)
        return;
    if (extension.isEmpty()) {                                                 // 3
        const std::optional<QString> text = unsupportedExtensionMessage(w.Lingua);
        // A hostile reply can hold up to 2000 such addresses: one message per
        // build, closing by itself within a slide's time, the rest only on
        // stderr. The slot gets the placeholder and the build goes on with
        // the entries after it.
        if (m_extMessageBuild != m_generation && text) {
            m_extMessageBuild = m_generation;
            DialogService::current().Notice(*text, MsgIcon::Information, QStringLiteral("Ext!"),
                                            w.imgClockInterval);
        }
        qCWarning(lcDownload) << "Ext!: picture address without an extension:" << UrlImageToLoad;
        placePicture(cnt, m_notAvailable, true);
        return;
    }

    Miniatura->Move(0, 0);                                                     // 5
    Miniatura->show();
    Miniatura->raise();
    DownloadPreview->Move(0, 3900);
    DownloadPreview->show();
    DownloadPreview->raise();
    PngBuffer->Move(0, 5000);
    PngBuffer->hide();

    // The local name comes from the stem and a cleaned extension only, so no
    // address can write outside the work folder.
    const QString localExtension = acquisition::localExtension(extension);
    const QString localFile = w.pictureFileStem + localExtension;
    if (!platform::DownloadFile(UrlImageToLoad, localFile)) {                  // 6
        placePicture(cnt, m_notAvailable, true);
        return;
    }

    if (!acquisition::isPngExtension(extension)) {                             // 7
        const auto loaded = acquisition::loadStandardPicture(localFile, kThumbBox);
        if (!loaded) {
            qCWarning(lcDownload, "picture %s cannot be decoded", qPrintable(UrlImageToLoad));
            placePicture(cnt, m_loadError, true);                              // 9
            return;
        }
        placePicture(cnt, loaded->picture, false);
        showThumbnail(loaded->thumbnail);
        if (w.listImageProperties[cnt] == 0)
            w.listImageProperties[cnt] = 1;
        if (w.listImageProperties[cnt] == 4) {
            // The player reads the file later; each animation gets a copy of
            // its own because the download file is reused.
            const QString copy = acquisition::aniGifCopyPath(w.pictureFileStem, w.aniGifTag, w.cntAniGif);
            QFile::remove(copy);
            QFile::copy(localFile, copy);
            ++w.cntAniGif;
        }
        return;
    }

    PngBuffer->clear();                                                        // 8
    const auto png = modGDIPlusResize::LoadPictureGdiPlus(localFile, -1, -1, QColor(255, 255, 255), false);
    if (png.error) {
        qCWarning(lcDownload, "picture %s cannot be decoded", qPrintable(UrlImageToLoad));
        placePicture(cnt, m_loadError, true);                                  // 9
        return;
    }
    placePicture(cnt, png.picture, false);
    const QSize thumb = png.picture->pixels.scaled(kThumbBox, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    showThumbnail(acquisition::decodeFrame(*png.picture, thumb));
    w.listImageProperties[cnt] = 1;
}

void SlideSetBuilder::loadLocalPicture(const QString &path, int slot)
{
    // An unreadable own or folder picture gets the load-error placeholder
    // like any other picture; it must not stop the program at every start.
    if (const auto loaded = acquisition::loadStandardPicture(path, kThumbBox))
        placePicture(slot, loaded->picture, false);
    else {
        qCWarning(lcDownload, "own picture %s cannot be read", qPrintable(path));
        placePicture(slot, m_loadError, true);
    }
    w.listImageProperties[slot] = 1;
}

namespace {

// Slides of the set that show a placeholder.
int missingSlides(const AppState &state)
{
    const int n = std::clamp<int>(state.slideCount, 0, kListSize);
    const auto first = state.listIMAGEnotLoaded.begin();
    return static_cast<int>(std::count(first, first + n, true));
}

} // namespace

bool SlideSetBuilder::BuildSlideSet(int mode)
{
    const std::uint64_t generation = ++m_generation;
    const long gdiplus = modGDIPlusResize::StartGdiPlus();                    // 1
    bool result = true;
    bool changed = false;
    // In debug mode the status window follows the build.
    DisplayDebug *debug = w.debugMode == 1 ? &w.diagnostics->debugWindow() : nullptr;
    const auto listLine = [debug](const QString &line) {
        debug->labelLst->appendCaption(line + QStringLiteral("\r\n"));
        debug->raise();
    };

    if (mode != 1) {
        CatalogueList<QString> newSet;
        if (mode == 2) {                                                       // 3
            changed = true;
            newSet = acquisition::setFromCatalogue(w.listURL);
            for (int i = 0; i < kListSize && !w.listURL[i].isEmpty(); ++i) {
                w.listOLDImageSELECTED[i] = w.listURL[i];
                if (debug)
                    listLine(w.listURL[i]);
            }
        } else {                                                               // 4
            auto *list = w.SSTCfg->Tabella_Mappe_Selezionate;
            std::vector<int> rows;
            for (int i = 0; i < list->count(); ++i)
                if (list->item(i)->isSelected())
                    rows.push_back(i);
            if (debug) {
                debug->labelLst->setCaption(QString());
                for (int row : rows)
                    listLine(list->item(row)->text());
            }
            if (rows.empty()) {
                if (auto text = acquisition::nothingSelectedMessage(w.Lingua))
                    DialogService::current().MsgBox(*text, MsgButtons::OK);
                w.clockReload = 0;
                w.replyReady = 1;
                w.webLoading = 0;
                w.whoWeAre->setEnabled(true);
                w.bar->btSetup->setEnabled(true);
                w.bar->btWait->setEnabled(true);
                modGDIPlusResize::StopGdiPlus(gdiplus);
                OpenSetupPanel();
                return false;
            }
            newSet = acquisition::setFromSelection(w.listURL, rows);
            changed = acquisition::adoptIfChanged(newSet, w.listOLDImageSELECTED, list->count());
        }

        // 5: computed wide and clamped, so long slide times cannot overflow.
        const double seconds = std::round(acquisition::leadingNumber(w.SSTCfg->SSTCfg_timeRefresh->text()));
        w.imgClockInterval = acquisition::slideIntervalMs(seconds);
        w.imgClock.setInterval(w.imgClockInterval);
        if (debug) {
            debug->labelLst->setEnabled(false);
            debug->ImgTimerValue->setText(QString::number(w.imgClock.Interval()));
            debug->labelLst->show();
            debug->raise();
        }

        for (int i = 0; i < kListLoopEnd; ++i)                                 // 6
            w.listImageSELECTED[i] = newSet[i];
        if (w.webLoading == 1) {
            w.slideTotal = static_cast<std::int16_t>(acquisition::leadingEntries(w.listImageSELECTED));
            w.slideCount = 0;
        }
    }

    if (!pause(200, generation))                                               // 7
        return result;

    // The n-th animated slide of this build is stored as file n, whatever
    // the slideshow had counted up to when the build started.
    if (changed || w.clockReload == 1)
        w.cntAniGif = 1;
    int k = 0;                                                                 // 8
    while (k < kListSize && !w.listImageSELECTED[k].isEmpty()) {
        if (changed || w.clockReload == 1) {
            if (!pause(100, generation))
                return result;
            w.tmpStrUrl = w.listImageSELECTED[k].trimmed();
            const QChar kind = w.tmpStrUrl.isEmpty() ? QChar() : w.tmpStrUrl[0];
            // A slot keeps nothing of the kind it had in an earlier set: a
            // former animation slot would copy and play a still picture.
            if (kind != u'4')
                w.listImageProperties[k] = 0;
            if (kind == u'2' || kind == u'3') {
                PrepareWebPage();
                CaptureWebPageInto(k, kind);
            } else if (kind == u'5') {
                LoadPictureSeries(k);
            } else if (kind == u'4') {
                slideshow::CloseBrowserWindows();
                w.listImageProperties[k] = 4;
                w.tmpStrUrl[0] = u'h';
                Load_JPG_GIF_PNG_On_Array(w.tmpStrUrl, k);
            } else {
                Load_JPG_GIF_PNG_On_Array(w.tmpStrUrl, k);
            }
            if (generation != m_generation)
                return result;
        }
        ++k;
        w.slideCount = static_cast<std::int16_t>(k);
    }
    if (k == 0)
        w.slideCount = 0;

    w.clockReload = 0;                                                         // 9

    // Auto-size: the notice takes its picture's size.
    const QSize notice = MessaggioAggiornate->pixmap().size();                 // 10
    const double tpp = platform::Screen::twipsPerPixelX();
    MessaggioAggiornate->Move(3000, 2000, static_cast<float>(notice.width() * tpp),
                              static_cast<float>(notice.height() * tpp));
    MessaggioAggiornate->show();
    MessaggioAggiornate->raise();
    beep();
    EventPump::DoEvents();
    EventPump::Sleep(3000);
    beep();
    MessaggioAggiornate->hide();

    w.bar->btSetup->hide();                                                    // 11
    w.bar->btWait->show();
    w.bar->btHelp->setVisible(!w.bar->btSetup->isHidden());
    w.cntAniGif = 1;
    w.LastUpdate = acquisition::refreshStamp(QDateTime::currentDateTime());
    w.whoWeAre->setText(w.weAre + w.Aggiornare + w.LastUpdate);

    modGDIPlusResize::StopGdiPlus(gdiplus);                                    // 12
    Miniatura->hide();
    DownloadPreview->hide();
    EventPump::Sleep(100);
    if (generation != m_generation)
        return result;

    // 14-15: slots stop at the end of the lists.
    if (!w.ownPictureFile.isEmpty() && k < kListSize) {
        loadLocalPicture(w.ownPictureFile, k);
        ++k;
        w.slideCount = static_cast<std::int16_t>(k);
    }
    const QStringList listing = QDir(w.Cirrolith_Slide_Dir).entryList(QDir::Files, QDir::Name);
    for (const QString &name : acquisition::folderSlideNames(listing)) {
        if (k >= kListSize)
            break;
        loadLocalPicture(w.Cirrolith_Slide_Dir + u'/' + name, k);
        ++k;
        w.slideCount = static_cast<std::int16_t>(k);
    }

    w.GLOBAL_IMAGE_CURRENT_POINTER = 0;                                        // 16
    if (mode == 0) {                                                           // 17
        w.lVersion->hide();
        w.SSTCfg->hide();
        w.catalogueLoaded = 1;
    }
    w.whoWeAre->setEnabled(true);                                              // 18
    w.bar->btSetup->setEnabled(true);
    w.bar->btWait->setEnabled(true);
    qCInfo(lcShow, "slide set ready: %d slides, %d not available", int(w.slideCount), missingSlides(w));
    return result;
}

void SlideSetBuilder::PrepareWebPage()
{
    slideshow::CloseBrowserWindows();
    const int out = platform::units::twipsToPixels(100, platform::Screen::dpi());
    w.slideshow->ucAniGIF1->setGeometry(out, out, 0, 0);
    w.IsWebPage = true;
    if (!w.tmpStrUrl.isEmpty())
        w.tmpStrUrl[0] = u'h';
}

void SlideSetBuilder::OpenSetupPanel()
{
    while (w.replyReady == 0 && !EventPump::quitRequested())                   // 1
        EventPump::Sleep(200);
    while (w.clockStatus == 1 && !EventPump::quitRequested())
        EventPump::Sleep(200);

    w.SSTCfg->LayoutPanelTabs();                                               // 2
    w.SSTCfg->setCurrentIndex(SetupPanel::TabTools);
    w.SSTCfg->show();
    w.SSTCfg->raise();

    w.settingsChanged = 1;                                                     // 3
    w.lVersion->hide();
    w.slideshow->fotoBrowser->clearPicture();
    w.lblMsgUser->hide();
    w.imgClock.setEnabled(false);

    w.fullCatalogueWanted = 1;                                                 // 4
    w.catalogueLoaded = 0;
    w.catalogue->SyncCatalogue(1);
}

void SlideSetBuilder::utilityTmr_Timer()
{
    w.utilityTmr.setEnabled(false);                                            // 1
    if (w.firstLaunch == 0) {                                                  // 2
        w.utilityTmr.setInterval(1000);
        w.slideshow->ShowSlide(m_logo);
        for (int i = 0; i < 200; ++i)
            EventPump::Sleep(10);
        w.firstLaunch = 1;
    } else {
        if (w.firstLaunch == 1) {                                              // 3
            w.utilityTmr.setInterval(1000);
            w.panControl.setEnabled(true);
            w.timerflag->setBackColor(platform::kVbGreen);
            w.firstLaunch = 2;
        }
        if (w.webLoading == 1) {                                               // 4
            if (!w.Http2BmpRunning) {
                w.lCountDown->show();
                w.lCountDown->raise();
            }
            w.bar->btSetup->hide();
            w.bar->btWait->show();
            w.bar->btHelp->setVisible(!w.bar->btSetup->isHidden());
            if (auto caption = acquisition::loadingCaption(w.Lingua, w.slideCount, w.slideTotal))
                w.lCountDown->setText(*caption);
            w.lCountDown->raise();
        }
    }
    w.utilityTmr.setEnabled(true);                                             // 6
    w.bar->BtCleanup->hide();
}
