#include "core/FormPicture.h"

#include "catalogue/CatalogueAddress.h"
#include "state/CommandLine.h"
#include "core/Folders.h"
#include "core/KioskInput.h"
#include "core/RemoteRequests.h"
#include "remote/Remote.h"
#include "catalogue/Catalogue.h"
#include "language/DisplayModeNames.h"
#include "language/Language.h"
#include "collections/Collections.h"
#include "diagnostics/Diagnostics.h"
#include "panel/HelpActions.h"
#include "panel/PanelActions.h"
#include "panel/ConnectionFrame.h"
#include "panel/LanguageFrame.h"
#include "panel/SettingsMirror.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "platform/Log.h"
#include "slideshow/ControlBar.h"
#include "slideshow/Slideshow.h"
#include "slideshow/WebSurface.h"
#include "acquisition/SlideSetBuilder.h"
#include "core/RunControl.h"
#include "platform/DialogService.h"
#include "platform/Log.h"
#include "platform/ProcessEnd.h"
#include "platform/Screen.h"
#include "platform/Units.h"
#include "settings/ConfigFile.h"
#include "settings/PictureListFile.h"
#include "settings/LanguageFiles.h"
#include "settings/ProxyFiles.h"
#include "settings/TownFiles.h"
#include "platform/TextFile.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QPaintEvent>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QPlatformSurfaceEvent>
#include <QTimer>
#include <QWindow>

using platform::DialogService;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::Screen;

namespace {
// Design heights of the status labels, replaced by the bar layout where it
// sizes them.
constexpr float kLabelHeight = 375;
constexpr float kVersionLabelWidth = 2400;
} // namespace

FormPicture::FormPicture(StartOptions options, QWidget *parent)
    : QWidget(parent),
      WindowClocks(this),
      settings(*this, *this),
      panelContext{*this, *this, *this, *this, SSTCfg, FormYourTown, Frame_Select_Connection,
                   Frame_Select_Language, bar, settings, proxyFiles, languageFiles, townFiles,
                   catalogue, slides, slideshow, diagnostics, collections, help},
      m_options(std::move(options))
{
    // The artwork lives in a static library: without this call the linker
    // drops it and every picture of the window design comes out empty.
    Q_INIT_RESOURCE(artwork);
    // Nothing ticks before start-up has ended and the window is on screen:
    // a wait of start-up (a message box) would otherwise run the timer chain
    // inside Form_Load.
    for (platform::VbTimer *t : timers())
        t->setHeld(true);
    // A new main window is laid out for its screen until it is on it.
    Screen::followWindow(QSize());
    setObjectName(QStringLiteral("FormPicture"));
    setWindowTitle(QStringLiteral("Cirrolith"));

    webvis = new platform::Vb<QWidget>(QStringLiteral("webvis"), this);
    whoWeAre = new platform::Label(QStringLiteral("whoWeAre"), this);
    whoWeAre->Move(0, 0, 9000, kLabelHeight);
    lCountDown = new platform::Label(QStringLiteral("lCountDown"), this);
    lCountDown->Move(0, 0, 9000, kLabelHeight);
    lGeneric = new platform::Label(QStringLiteral("lGeneric"), this);
    lGeneric->Move(0, 0, 9000, kLabelHeight);
    lblMsgUser = new platform::Label(QStringLiteral("lblMsgUser"), this);
    lblMsgUser->Move(0, 0, 9000, kLabelHeight);
    lVersion = new platform::Label(QStringLiteral("lVersion"), this);
    lVersion->Move(0, 0, kVersionLabelWidth, kLabelHeight);
    lVersion->setAlignment(Qt::AlignCenter);
    timerflag = new platform::Vb<QLineEdit>(QStringLiteral("timerflag"), this);
    timerflag->Move(0, 0, 300, 255);
    timerflag->setReadOnly(true);
    HelpCaller = new platform::Vb<QPushButton>(QStringLiteral("HelpCaller"), this);
    HelpCaller->Move(0, 0, 300, 300);
    FormYourTown = new TownFrame(panelContext, this);
    FormYourTown->hide();
    bar = std::make_unique<ControlBar>(this);
    SSTCfg = new SetupPanel(this);
    mirrorRunningSettings(*SSTCfg, running);
    SSTCfg->hide();
    Frame_Select_Connection = new ConnectionFrame(panelContext, this);
    Frame_Select_Connection->hide();
    Frame_Select_Language = new LanguageFrame(panelContext, this);
    Frame_Select_Language->hide();
    catalogue = std::make_unique<Catalogue>(*this, *this, settings);
    proxyFiles = std::make_unique<ProxyFiles>(*this);
    languageFiles = std::make_unique<LanguageFiles>(*this);
    townFiles = std::make_unique<TownFiles>(*this);
    generalClock.setHandler([this] { catalogue->generalClock_Timer(); });
    panel = std::make_unique<PanelActions>(panelContext);
    collections = std::make_unique<Collections>(*this, settings);
    help = std::make_unique<HelpActions>(panelContext);
    diagnostics = std::make_unique<Diagnostics>(*this, *this, *this, *bar, *this);

    for (platform::Label *label : {whoWeAre, lCountDown, lGeneric, lblMsgUser, lVersion}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(pal);
    }
    // The server's message lies over the picture: white on a dark band stays
    // readable over snow, clouds and white charts.
    lblMsgUser->setAutoFillBackground(true);
    {
        QPalette pal = lblMsgUser->palette();
        pal.setColor(QPalette::Window, QColor(0, 0, 0, 170));
        lblMsgUser->setPalette(pal);
    }
    lblMsgUser->setAlignment(Qt::AlignCenter);
    // Its band is shown only with a message (the slideshow clock's last slide).
    lblMsgUser->hide();

    slides = std::make_unique<SlideSetBuilder>(*this, *this, *catalogue, *diagnostics);
    slideshow = std::make_unique<Slideshow>(*this, *this, *this, *this, *bar, *slides, *catalogue, settings,
                                            *diagnostics);
    runControl = std::make_unique<RunControl>(*this);
    kiosk = std::make_unique<KioskInput>(*this);
    remoteRequests = std::make_unique<RemoteRequests>(*this);

    wireSettings();
    wireCatalogue();
    wireShow();
}

FormPicture::~FormPicture() = default;

bool FormPicture::BuildSlideSet(int mode) { return slides->BuildSlideSet(mode); }

void FormPicture::OpenSetupPanel() { slides->OpenSetupPanel(); }

QString FormPicture::versionLabel() { return QStringLiteral("Ver. 5.5.5"); }

QString FormPicture::productBanner()
{
    // The maker's web address, one blank between its characters.
    const QString address = QStringLiteral("cirrolith.org");
    QStringList chars;
    for (QChar c : address)
        chars << QString(c);
    return chars.join(u' ') + QStringLiteral("  ") + versionLabel() + u' ';
}

bool FormPicture::Form_Load()
{
    const double screenW = Screen::widthTwips();
    const double screenH = Screen::heightTwips();

    Ratio_X_Y = static_cast<float>(screenW / screenH);                         // 1
    SetPortablePath();                                                         // 2
    restartPending = false;                                                    // 3
    // Painted rather than set in the palette, which every child would inherit:
    // the panel and the frames keep their own light look.
    m_blackBackground = true;
    update();

    fastFrameCount = 0;                                                        // 4
    FormYourTown->hide();
    FormYourTown->setTop(55000);
    versionCheckState = 0;
    browserSilent = true;                                                      // 5
    webvis->hide();                                                            // 6
    webvis->Move(0, 0, static_cast<float>(screenW), static_cast<float>(screenH));
    WebPageToImgEnd = false;                                                   // 7
    cntAniGif = 1;
    aniGifTag = QStringLiteral("_ANIGIF_");

    if (!MakeWorkFolders())                                                    // 8
        return false;

    HelpCaller->Move(static_cast<float>(screenW + 100), static_cast<float>(screenW + 100)); // 9
    Http2BmpRunning = false;                                                   // 10
    SSTCfg->setCurrentIndex(SetupPanel::TabTools);                             // 11
    Lingua = LinguaNotChosen;                                                  // 12
    probeCountdown = 10;
    ExitToProgram = false;
    LockRunButtons();                                                          // 13
    weAre = productBanner();                                                   // 14
    appPath = m_options.appDir;                                                // 15
    const WorkFolders folders = WorkFolders::under(PortablesPath);
    workDirPrefix = folders.workPrefix;
    pictureFileStem = folders.pictureStem;

    for (int i = 0; i < kListLoopEnd; ++i) {                                   // 16
        listData[i].clear();
        listURL[i].clear();
        listURLnameOnly[i].clear();
        listImageSELECTED[i].clear();
        listOLDImageSELECTED[i].clear();
        listIMAGEnotLoaded[i] = false;
        listImageProperties[i] = 0;
    }
    GLOBAL_IMAGE_CURRENT_POINTER = 0;
    slideCount = 0;
    ownPictureFile.clear();
    running.setOwnPicture(QString());
    serverMessage.clear();

    cntCounterRefresh = 0;                                                     // 17
    cntCounterDwLoadImage = 0;
    fullCatalogueWanted = 0;
    debugMode = 0;
    catalogueAddress = startingCatalogueAddress();

    if (!m_options.commandLine.isEmpty())                                      // 18
        Splitta10(m_options.commandLine);
    const QStringList words(cmdLineWords.begin(), cmdLineWords.end());
    const CommandLineOptions opts = recogniseWords(words, 10);
    if (opts.debug)
        debugMode = 1;
    if (opts.localhost)
        catalogueAddress = onLocalMachine(catalogueAddress);
    if (opts.noSilent)
        browserSilent = false;

    LoadStartupConfiguration();                                                // 19
    if (debugMode == 1)                                                        // 20
        diagnostics->LoadAndShow();

    settingsChanged = 0;                                                       // 21
    clockStatus = 0;
    lVersion->setText(u' ' + versionLabel() + u' ');                           // 22

    placeForScreen(screenW, screenH);                                          // 23, 24

    bar->Disegna_Barra2(whoWeAre, timerflag, Ratio_X_Y, weAre + Aggiornare + LastUpdate);  // 25

    placeStatusLabels(screenW, screenH);                                       // 26 to 28

    replyReady = 1;                                                            // 29
    flagCmdButton = CmdRun;
    webLoading = 0;
    firstLaunch = 0;
    catalogueLoaded = 0;
    ranVal = 0;
    clockReload = 0;

    timerClockSave = static_cast<std::int16_t>(imgClock.Interval());           // 30
    clockFromDebugSet = 0;
    panControl.setEnabled(false);                                              // 31
    timerflag->setBackColor(platform::kVbRed);
    generalClock.setEnabled(true);                                             // 32
    helpFile = appPath + QStringLiteral("/Cirrolith.html");                    // 33
    // 34: the version check starts with the connection clock's first probe,
    // once the proxy settings are applied; start-up never waits for it.
    slideshow::CloseBrowserWindows();                                          // 35
    remoteRequests->startRemote();
    return true;
}

void FormPicture::SetPortablePath()
{
    const PortableRoot root = portableRootFor(m_options.appDir);
    PortablesPath = root.path;
    if (!root.conforming)
        DialogService::current().MsgBox(QString::fromUtf8(kBadAppFolderMessage), MsgButtons::OK);
}

bool FormPicture::MakeWorkFolders()
{
    const WorkFolders folders = WorkFolders::under(PortablesPath);
    Cirrolith_Work_Dir = folders.work;
    Cirrolith_Slide_Dir = folders.slideShow;
    Cirrolith_Collections_Dir = folders.collections;
    for (const QString &dir : {folders.work, folders.slideShow, folders.collections}) {
        // One level only: "Data" belongs to the portable layout.
        if (QDir(dir).exists() || QDir().mkdir(dir))
            continue;
        DialogService::current().MsgBox(
            QStringLiteral("Cirrolith cannot create its folder\n%1\nand cannot run without it.")
                .arg(QDir::toNativeSeparators(dir)),
            MsgButtons::OK, MsgIcon::Critical);
        return false;
    }
    for (const QString &dir : {folders.work, folders.collections})
        removeLeftoverPartialFiles(dir);   // a power cut mid-write leaves them behind
    QDir::setCurrent(PortablesPath);
    return true;
}

void FormPicture::Splitta10(const QString &text)
{
    const SplitWords split = splitDashWords(text, 10, 9);
    for (int i = 0; i < 10; ++i)
        cmdLineWords[i] = split.words[i];
    if (split.tooManyDashes)
        DialogService::current().MsgBox(QString::fromUtf8(kTooManyParameters), MsgButtons::OK);
}

QStringList FormPicture::Splitta5(const QString &toSplit)
{
    const SplitWords split = splitDashWords(toSplit, 6, 4);
    if (split.tooManyDashes)
        DialogService::current().MsgBox(QString::fromUtf8(kTooManyParameters), MsgButtons::OK);
    return split.words;
}

void FormPicture::LoadStartupConfiguration()
{
    // A picture list without a first entry is damaged: start over.
    const QString listPath = settings.pictureListPath();
    if (QFile::exists(listPath)) {
        const auto bytes = platform::textfile::readAll(listPath);
        if (!bytes || pictureListFirstLineEmpty(*bytes)) {
            QFile::remove(listPath);
            if (QFile::exists(settings.configPath()))
                QFile::remove(settings.configPath());
        }
    }

    if (settings.ReadConfig())
        return;

    // First run: the defaults, written and read back.
    running.setReloadMinutes(QStringLiteral("15"));
    running.setSlideSeconds(QStringLiteral("4"));
    running.setDisplayMode(QString::fromLatin1(kFullScreen));
    ShowDisplayModeName();
    settings.SaveConfig();
    settings.ReadConfig();
}

void FormPicture::LockRunButtons()
{
    SetupPanel &p = *SSTCfg;
    p.SSTCfg_ExitProgram->hide();
    p.SSTCfg_ExitProgram->setEnabled(false);
    p.Cleanup->hide();
    p.Cleanup->setEnabled(false);
    p.Cleanup2->hide();
    p.Cleanup2->setEnabled(false);
    p.Cleanup2->setText(QStringLiteral("Wait ...."));
    p.SSTCfg_ExitProgram_BW->show();
    p.SSTCfg_ExitProgram_BW->setEnabled(true);
    p.SSTCfg_ExitProgram2->setText(QStringLiteral("Wait.."));
    p.SSTCfg_cmdConferma->hide();
    p.SSTCfg_cmdConferma->setEnabled(false);
    p.SSTCfg_cmdConferma_BW->show();
    p.SSTCfg_cmdConferma_BW->setEnabled(true);
}

void FormPicture::ShowDisplayModeName()
{
    SSTCfg->txtDisplay->hide();
    const bool full = running.displayMode() == QLatin1String(kFullScreen);
    if (auto name = displayModeName(Lingua, full))
        SSTCfg->txtDisplay2->setText(*name);
}

void FormPicture::releaseTimers()
{
    for (platform::VbTimer *t : timers())
        t->setHeld(false);
    diagnostics->releaseTimers();
}

void FormPicture::paintEvent(QPaintEvent *event)
{
    if (m_blackBackground) {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::black);
    }
    QWidget::paintEvent(event);
}

void FormPicture::closeEvent(QCloseEvent *event)
{
    // Closing by the window frame saves nothing and starts nothing again.
    // Every other way out comes here too, after saving what it saves.
    if (!ExitToProgram)
        qCInfo(lcRun, "quitting: the window was closed, nothing saved");
    ExitToProgram = true;
    for (platform::VbTimer *t : timers())
        t->setEnabled(false);
    QWidget::closeEvent(event);
    platform::ProcessEnd::request(0);
}
