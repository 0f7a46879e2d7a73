#include "acquisition/SlideSetBuilder.h"

#include "acquisition/LoadingView.h"
#include "acquisition/PictureFiles.h"
#include "acquisition/PictureLoader.h"
#include "acquisition/SlideSetPlan.h"
#include "acquisition/SlideTime.h"
#include "catalogue/Catalogue.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/Transfer.h"
#include "state/AppState.h"
#include "state/DiagnosticsSink.h"
#include "state/WindowClocks.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QResource>

#include <algorithm>
#include <optional>

using platform::DialogService;
using platform::EventPump;
using platform::MsgButtons;
using platform::MsgIcon;

namespace {

constexpr QSize kThumbBox = SlideSetBuilder::kMiniaturaPixels;

// Kept compressed: the start-up picture alone is 5.5 MB decoded, and these
// are drawn rarely, if ever.
platform::PictureRef artwork(const char *resource)
{
    // Stored in the program as they are: their bytes are used where they lie.
    const QResource stored(QString::fromLatin1(resource));
    if (stored.isValid() && stored.compressionAlgorithm() == QResource::NoCompression) {
        if (auto picture = acquisition::compressedPicture(QByteArray::fromRawData(
                reinterpret_cast<const char *>(stored.data()), qsizetype(stored.size()))))
            return picture;
    }
    QFile file(QString::fromLatin1(resource));
    if (file.open(QIODevice::ReadOnly))
        if (auto picture = acquisition::compressedPicture(file.readAll()))
            return picture;
    return acquisition::pictureFromImage(QImage());
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

SlideSetBuilder::SlideSetBuilder(AppState &state, WindowClocks &clocks, Catalogue &catalogue,
                                 DiagnosticsSink &diagnostics)
    : state(state), clocks(clocks), catalogue(catalogue), diagnostics(diagnostics)
{
    m_notAvailable = artwork(":/art/not_available.png");
    m_loadError = artwork(":/art/load_error.png");
    m_logo = artwork(":/art/splash.png");   // the start-up picture ImageLogoPortable shows

    clocks.utilityTmr.setHandler([this] { utilityTmr_Timer(); });
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

void SlideSetBuilder::showThumbnail(const QImage &thumbnail) { m_loading->showThumbnail(thumbnail); }

void SlideSetBuilder::placePicture(int slot, const platform::PictureRef &picture, bool failed)
{
    state.listIMAGE[slot] = picture;
    state.listIMAGEnotLoaded[slot] = failed;
    if (failed) {
        state.listImageProperties[slot] = 1;
        showThumbnail(acquisition::decodeFrame(*picture, picture->pixels.scaled(kThumbBox, Qt::KeepAspectRatio)));
    }
}

void SlideSetBuilder::Load_JPG_GIF_PNG_On_Array(const QString &UrlImageToLoad, int cnt)
{
    state.IsWebPage = false;                                                   // 1
    const QString extension = acquisition::addressExtension(UrlImageToLoad);    // 2
    if (cnt < 0 || cnt >= kListSize)
        return;
    if (extension.isEmpty()) {                                                 // 3
        const std::optional<QString> text = unsupportedExtensionMessage(state.Lingua);
        // A hostile reply can hold up to 2000 such addresses: one message per
        // build, closing by itself within a slide's time, the rest only on
        // stderr. The slot gets the placeholder and the build goes on with
        // the entries after it.
        if (m_extMessageBuild != m_generation && text) {
            m_extMessageBuild = m_generation;
            DialogService::current().Notice(*text, MsgIcon::Information, QStringLiteral("Ext!"),
                                            state.imgClockInterval);
        }
        qCWarning(lcDownload) << "Ext!: picture address without an extension:" << UrlImageToLoad;
        placePicture(cnt, m_notAvailable, true);
        return;
    }

    m_loading->showPreview();                                                  // 5

    // The local name comes from the stem and a cleaned extension only, so no
    // address can write outside the work folder.
    const QString localExtension = acquisition::localExtension(extension);
    const QString localFile = state.pictureFileStem + localExtension;
    m_downloadsInUse << QFileInfo(localFile).fileName();
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
        if (state.listImageProperties[cnt] == 0)
            state.listImageProperties[cnt] = 1;
        if (state.listImageProperties[cnt] == 4) {
            // The player reads the file later; each animation gets a copy of
            // its own because the download file is reused.
            const QString copy = acquisition::aniGifCopyPath(state.pictureFileStem, state.aniGifTag, state.cntAniGif);
            QFile::remove(copy);
            QFile::copy(localFile, copy);
            ++state.cntAniGif;
        }
        return;
    }

    m_loading->clearBuffer();                                                  // 8
    const auto png = modGDIPlusResize::LoadPictureGdiPlus(localFile, -1, -1, QColor(255, 255, 255), false);
    if (png.error) {
        qCWarning(lcDownload, "picture %s cannot be decoded", qPrintable(UrlImageToLoad));
        placePicture(cnt, m_loadError, true);                                  // 9
        return;
    }
    placePicture(cnt, png.picture, false);
    const QSize thumb = png.picture->pixels.scaled(kThumbBox, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    showThumbnail(acquisition::decodeFrame(*png.picture, thumb));
    state.listImageProperties[cnt] = 1;
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
    state.listImageProperties[slot] = 1;
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
    // Whether the slides differ from those before: only then does the show
    // start again at the first one.
    bool setChanged = false;
    const int slidesBefore = state.slideCount;
    // In debug mode the status window follows the build.
    const bool debug = state.debugMode == 1;

    if (mode != 1) {
        CatalogueList<QString> newSet;
        if (mode == 2) {                                                       // 3
            changed = true;
            newSet = acquisition::setFromCatalogue(state.listURL);
            for (int i = 0; i < kListSize && !state.listURL[i].isEmpty(); ++i) {
                state.listOLDImageSELECTED[i] = state.listURL[i];
                if (debug)
                    diagnostics.slideListLine(state.listURL[i]);
            }
        } else {                                                               // 4
            const RunningSettings &list = state.running;
            const std::vector<int> rows = list.selectedRows();
            if (debug) {
                diagnostics.slideListCleared();
                for (int row : rows)
                    diagnostics.slideListLine(list.rows()[row]);
            }
            if (rows.empty()) {
                if (auto text = acquisition::nothingSelectedMessage(state.Lingua))
                    DialogService::current().MsgBox(*text, MsgButtons::OK);
                state.clockReload = 0;
                state.replyReady = 1;
                state.webLoading = 0;
                hooks.enableRunButtons();
                modGDIPlusResize::StopGdiPlus(gdiplus);
                OpenSetupPanel();
                return false;
            }
            newSet = acquisition::setFromSelection(state.listURL, rows);
            changed = acquisition::adoptIfChanged(newSet, state.listOLDImageSELECTED, list.rowCount());
        }

        // 5: computed wide and clamped, so long slide times cannot overflow.
        const double seconds = std::round(acquisition::leadingNumber(state.running.slideSeconds()));
        state.imgClockInterval = acquisition::slideIntervalMs(seconds);
        if (seconds * 1000.0 > acquisition::kMaxTimerInterval)
            qCWarning(lcShow, "slide time of %.0f s is longer than a timer holds: slides stay %d s",
                      seconds, acquisition::kMaxTimerInterval / 1000);
        clocks.imgClock.setInterval(state.imgClockInterval);
        if (debug)
            diagnostics.slideListDone(clocks.imgClock.Interval());

        for (int i = 0; i < kListLoopEnd; ++i) {                               // 6
            setChanged = setChanged || state.listImageSELECTED[i] != newSet[i];
            state.listImageSELECTED[i] = newSet[i];
        }
        if (state.webLoading == 1) {
            state.slideTotal = static_cast<std::int16_t>(acquisition::leadingEntries(state.listImageSELECTED));
            state.slideCount = 0;
        }
    }

    if (!pause(200, generation))                                               // 7
        return result;

    // The n-th animated slide of this build is stored as file n, whatever
    // the slideshow had counted up to when the build started.
    if (changed || state.clockReload == 1)
        state.cntAniGif = 1;
    const bool loading = changed || state.clockReload == 1;
    if (loading)
        m_downloadsInUse.clear();
    int k = 0;                                                                 // 8
    while (k < kListSize && !state.listImageSELECTED[k].isEmpty()) {
        if (changed || state.clockReload == 1) {
            if (!pause(100, generation))
                return result;
            state.tmpStrUrl = state.listImageSELECTED[k].trimmed();
            const QChar kind = state.tmpStrUrl.isEmpty() ? QChar() : state.tmpStrUrl[0];
            // A slot keeps nothing of the kind it had in an earlier set: a
            // former animation slot would copy and play a still picture.
            if (kind != u'4')
                state.listImageProperties[k] = 0;
            if (kind == u'2' || kind == u'3') {
                PrepareWebPage();
                CaptureWebPageInto(k, kind);
            } else if (kind == u'5') {
                LoadPictureSeries(k);
            } else if (kind == u'4') {
                hooks.closeBrowserWindows();
                state.listImageProperties[k] = 4;
                state.tmpStrUrl[0] = u'h';
                Load_JPG_GIF_PNG_On_Array(state.tmpStrUrl, k);
            } else {
                Load_JPG_GIF_PNG_On_Array(state.tmpStrUrl, k);
            }
            if (generation != m_generation)
                return result;
        }
        ++k;
        state.slideCount = static_cast<std::int16_t>(k);
    }
    if (k == 0)
        state.slideCount = 0;
    if (loading)
        removeUnusedDownloads();

    state.clockReload = 0;                                                     // 9

    m_loading->showUpdateNotice();                                             // 10
    beep();
    EventPump::DoEvents();
    EventPump::Sleep(3000);
    beep();
    m_loading->hideUpdateNotice();

    hooks.showWaitButton();                                                    // 11
    state.cntAniGif = 1;
    state.LastUpdate = acquisition::refreshStamp(QDateTime::currentDateTime());
    hooks.showCredit(state.weAre + state.Aggiornare + state.LastUpdate);

    modGDIPlusResize::StopGdiPlus(gdiplus);                                    // 12
    m_loading->hidePreview();
    EventPump::Sleep(100);
    if (generation != m_generation)
        return result;

    // 14-15: slots stop at the end of the lists.
    if (!state.ownPictureFile.isEmpty() && k < kListSize) {
        loadLocalPicture(state.ownPictureFile, k);
        ++k;
        state.slideCount = static_cast<std::int16_t>(k);
    }
    const QStringList listing = QDir(state.Cirrolith_Slide_Dir).entryList(QDir::Files, QDir::Name);
    for (const QString &name : acquisition::folderSlideNames(listing)) {
        if (k >= kListSize)
            break;
        loadLocalPicture(state.Cirrolith_Slide_Dir + u'/' + name, k);
        ++k;
        state.slideCount = static_cast<std::int16_t>(k);
    }

    // 16: a reload of the same set goes on from the slide it reached, so
    // every slide shows in turn however long each stays and however often
    // the pictures are reloaded.
    const int pointer = state.GLOBAL_IMAGE_CURRENT_POINTER;
    if (!setChanged && state.slideCount == slidesBefore && pointer > 0 && pointer < state.slideCount) {
        std::int16_t animation = 1;   // the n-th animation of a pass plays file n
        for (int i = 0; i < pointer; ++i)
            if (state.listImageProperties[i] == 4)
                ++animation;
        state.cntAniGif = animation;
    } else {
        state.GLOBAL_IMAGE_CURRENT_POINTER = 0;
    }
    if (mode == 0) {                                                           // 17
        hooks.closeSetupPanel();
        state.catalogueLoaded = 1;
    }
    hooks.enableRunButtons();                                                  // 18
    qCInfo(lcShow, "slide set ready: %d slides, %d not available", int(state.slideCount), missingSlides(state));
    return result;
}

void SlideSetBuilder::removeUnusedDownloads()
{
    const QFileInfo stem(state.pictureFileStem);
    QDir work = stem.dir();
    const QStringList names = work.entryList({stem.fileName() + QStringLiteral(".*")}, QDir::Files);
    for (const QString &name : acquisition::unusedDownloadFiles(names, stem.fileName(), m_downloadsInUse)) {
        if (work.remove(name))
            qCInfo(lcDownload, "removed %s, which the slide set no longer uses", qPrintable(name));
    }
}

void SlideSetBuilder::PrepareWebPage()
{
    hooks.closeBrowserWindows();
    hooks.parkAnimation();
    state.IsWebPage = true;
    if (!state.tmpStrUrl.isEmpty())
        state.tmpStrUrl[0] = u'h';
}

void SlideSetBuilder::OpenSetupPanel()
{
    while (state.replyReady == 0 && !EventPump::quitRequested())               // 1
        EventPump::Sleep(200);
    while (state.clockStatus == 1 && !EventPump::quitRequested())
        EventPump::Sleep(200);

    hooks.showSetupPanel();                                                    // 2
    qCInfo(lcShow, "configuration panel open");

    state.settingsChanged = 1;                                                 // 3
    hooks.clearScreenForPanel();
    clocks.imgClock.setEnabled(false);

    state.fullCatalogueWanted = 1;                                             // 4
    state.catalogueLoaded = 0;
    catalogue.SyncCatalogue(1);
}

void SlideSetBuilder::utilityTmr_Timer()
{
    clocks.utilityTmr.setEnabled(false);                                       // 1
    if (state.firstLaunch == 0) {                                              // 2
        clocks.utilityTmr.setInterval(1000);
        hooks.showSlide(m_logo);
        for (int i = 0; i < 200; ++i)
            EventPump::Sleep(10);
        state.firstLaunch = 1;
    } else {
        if (state.firstLaunch == 1) {                                          // 3
            clocks.utilityTmr.setInterval(1000);
            clocks.panControl.setEnabled(true);
            hooks.showRunning();
            state.firstLaunch = 2;
        }
        if (state.webLoading == 1) {                                           // 4
            if (!state.Http2BmpRunning)
                hooks.showStatusLine();
            hooks.showWaitButton();
            if (auto caption = acquisition::loadingCaption(state.Lingua, state.slideCount, state.slideTotal))
                hooks.setStatusText(*caption);
            hooks.raiseStatusLine();
        }
    }
    clocks.utilityTmr.setEnabled(true);                                        // 6
    hooks.hideCleanupButton();
}
