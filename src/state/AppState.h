#pragma once

#include "platform/Picture.h"
#include "state/RunningSettings.h"

#include <QString>

#include <array>
#include <cstdint>

// The program's state: the folders, the running settings, the run command, the
// clock states and the parallel catalogue lists. It is plain data so the logic
// that works on it can be tested without a window; FormPicture is the one
// object that holds it.

constexpr int kListSize = 2001;     // entries 0..2000
constexpr int kListLoopEnd = 2000;  // whole-list loops run over 0..1999

// Language codes; 999 until the user has chosen.
enum LanguageCode : std::int16_t {
    LinguaEnglish = 1,
    LinguaItalian = 2,
    LinguaFrench = 3,
    LinguaSpanish = 4,
    LinguaNotChosen = 999,
};

// Run commands carried out by the run-control timer.
enum RunCommand : std::int16_t {
    CmdRun = 0,
    CmdOpenPanel = 1,
    CmdSaveAndClose = 2,
    CmdPanelOpen = 3,
};

template <typename T>
using CatalogueList = std::array<T, kListSize>;

// A catalogue entry whose id is not a whole number 0..32767: it cannot be
// selected or saved, so it never stands for another entry.
inline constexpr std::int16_t kRefusedId = -1;

struct AppState {
    // The settings the panel shows and edits.
    RunningSettings running;

    // Public variables, readable by the other windows and modules.
    QString PortablesPath;
    QString tmpStrUrl;
    float Ratio_X_Y = 0;
    QString strIdForBrowser;
    QString Aggiornare;
    bool AggiornareAvvisato = false;
    QString LastUpdate;
    bool IsWebPage = false;
    QString Cirrolith_Collections_Dir;
    QString weAre;
    bool Http2BmpRunning = false;
    bool WebPageToImgEnd = false;
    std::int32_t cntCounterRefresh = 0;
    std::int32_t cntCounterDwLoadImage = 0;
    std::int16_t clockStatus = 0;
    std::int16_t flagCmdButton = CmdRun;
    std::int16_t firstLaunch = 0;
    std::int16_t ranVal = 0;
    std::int16_t clockFromDebugSet = 0;
    std::int16_t timerClockSave = 0;
    bool Proxy_Enabled = false;
    bool Wait_Type_Connection = false;
    QString Cirrolith_Work_Dir;
    QString Cirrolith_Slide_Dir;
    std::int16_t GLOBAL_IMAGE_CURRENT_POINTER = 0;
    std::int16_t Lingua = LinguaNotChosen;
    bool ExitToProgram = false;

    // The catalogue (entry k describes catalogue entry k) ...
    CatalogueList<QString> listData;
    CatalogueList<QString> listURL;
    CatalogueList<QString> listURLnameOnly;
    CatalogueList<QString> listURLcomment;
    CatalogueList<std::int16_t> listIdUrl{};   // kRefusedId: the entry's id was no id at all
    CatalogueList<QString> listCopyright;
    CatalogueList<std::int16_t> listIdCopyright{};
    // ... and the slide set (entry k describes slide k).
    CatalogueList<QString> listImageSELECTED;
    CatalogueList<QString> listOLDImageSELECTED;
    CatalogueList<platform::PictureRef> listIMAGE;
    CatalogueList<std::int16_t> listImageProperties{};
    CatalogueList<std::int16_t> listImageTime{};
    CatalogueList<bool> listIMAGEnotLoaded{};
    CatalogueList<QString> ItemsCodePic;

    // Fields of the window shared between subsystems.
    QString workDirPrefix;
    QString pictureFileStem;
    QString appPath;
    QString aniGifTag;
    QString catalogueAddress;
    std::int16_t replyReady = 1;
    QString replyText;
    QString serverMessage;
    QString paramY0000;         // opaque client values sent with catalogue requests
    QString paramY3333;
    QString paramY1111;
    std::int32_t paramY5555 = 0;
    std::int16_t probeState = 0;       // 0 send the probe, 1 waiting, 2 answered
    bool serverUnavailable = false;    // true while the catalogue server gives no answer
    QString catalogueStatus;           // "1" or "0": outcome of the last synchronisation
    std::int16_t collectionsAvailable = 0;
    bool townFormOpen = false;
    std::int16_t debugMode = 0;
    bool browserSilent = true;
    std::array<QString, 11> cmdLineWords;
    std::int16_t displayMode = 1;
    std::int16_t settingsChanged = 0;
    QString ownPictureFile;
    bool restartPending = false;
    QString helpFile;                  // the local help page

    // Start-up and run-control bookkeeping.
    bool configValid = false;
    std::int16_t selectionCount = 0;
    std::int16_t probeCountdown = 10;
    std::int16_t fastFrameCount = 0;
    std::int16_t versionCheckState = 0;
    std::int16_t cntAniGif = 1;
    std::int16_t slideCount = 0;
    std::int16_t fullCatalogueWanted = 0;
    std::int16_t webLoading = 0;
    std::int16_t catalogueLoaded = 0;
    std::int16_t clockReload = 0;
    std::int16_t slideTotal = 0;       // catalogue entries of the set being loaded
    int imgClockInterval = 0;          // the normal slide interval in ms
    QString webPageAddress;            // the page a web-page slide captures
    std::uint16_t panTickCount = 0;   // wraps after about 18 hours; only displayed

    // Slideshow keys waiting for the run control: net slides to step (Right
    // +1, Left -1), a pause toggle, a reload now.
    std::int16_t keySteps = 0;
    bool keyPauseToggle = false;
    bool keyReload = false;
    bool slideshowPaused = false;

    // Requests of the remote control waiting for the run control beside the
    // keys: the screen off (-1) or on (+1), a collection file to show, a new
    // slide time (0 for none).
    std::int8_t keyScreen = 0;
    QString keyCollection;
    std::int16_t keySlideSeconds = 0;
    bool screenOff = false;
    QString collectionName;   // the collection last loaded or saved
};
