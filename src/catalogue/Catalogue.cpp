#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueProtocol.h"
#include "catalogue/CollectionsPackage.h"
#include "catalogue/ConnectionMessages.h"
#include "catalogue/VersionFile.h"
#include "catalogue/CatalogueAddress.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"
#include "state/AppState.h"
#include "state/DiagnosticsSink.h"
#include "state/WindowClocks.h"
#include "platform/Transfer.h"
#include "settings/LanguageFiles.h"
#include "settings/PictureListFile.h"
#include "settings/SettingsFiles.h"
#include "settings/ProxyFiles.h"
#include "settings/TownFiles.h"

#include "platform/Clock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

using platform::EventPump;
namespace tf = platform::textfile;


Catalogue::Catalogue(AppState &state, WindowClocks &clocks, SettingsFiles &settings)
    : w(state), m_clocks(clocks), m_settings(settings)
{
    m_monotonic.start();
}

void Catalogue::useSettingsFiles(LanguageFiles &language, ProxyFiles &proxy, TownFiles &town)
{
    m_languageFiles = &language;
    m_proxyFiles = &proxy;
    m_townFiles = &town;
}

Catalogue::~Catalogue() = default;

bool Catalogue::giveUpWaiting() const
{
    return EventPump::quitRequested() || w.ExitToProgram;
}

void Catalogue::startRequest(const QString &address)
{
    w.replyReady = 0;
    const std::uint64_t ticket = ++m_ticket;
    std::weak_ptr<int> alive = m_alive;
    m_replyFailed = false;
    platform::Transfer::shared().Execute(
        address,
        [this, alive, ticket](const QString &body) {
            if (alive.expired())
                return;
            w.replyText = body;
            m_replyTicket = ticket;
            w.replyReady = 1;
        },
        [this, alive, ticket](const QString &reason) {
            // No answer (refused, reset, unreachable, stalled, an error page,
            // a cut body): a reply without any item, so the probe retries
            // and a request fails instead of waiting for ever.
            if (alive.expired())
                return;
            w.replyText.clear();
            m_replyFailed = true;
            m_failureReason = reason;
            m_replyTicket = ticket;
            w.replyReady = 1;
        });
}

bool Catalogue::RequestCatalogue(const QString &address, int kind)
{
    std::fill(w.listData.begin(), w.listData.begin() + kListLoopEnd, QString());
    m_lastNoAnswer = true;
    // A server that failed a moment ago is not asked again before its time.
    if (!retryDue())
        return false;
    startRequest(address);
    const std::uint64_t ticket = m_ticket;
    while (w.replyReady == 0) {
        if (giveUpWaiting()) {
            platform::Transfer::shared().cancelRequest();
            w.replyReady = 1;
            return false;
        }
        EventPump::Sleep(kReplyPollMs);
        EventPump::DoEvents();
    }
    if (w.debugMode == 1)
        m_diagnostics->replyArrived();
    // A request started while this one waited took its place: the reply
    // stored is not this request's.
    if (m_replyTicket != ticket)
        return false;
    if (m_replyFailed) {
        noteNoAnswer(QStringLiteral("request %1: %2").arg(kind).arg(m_failureReason));
        return false;
    }
    m_lastNoAnswer = false;
    noteAnswer();

    const QStringList items = catalogue::splitReply(w.replyText);
    catalogue::fillListData(w, items);
    if (catalogue::hasErrorItem(items)) {
        qCWarning(lcCatalogue, "catalogue request %d: the server answered with an error", kind);
        return false;
    }
    catalogue::storeReply(w, kind, items);
    return true;
}

void Catalogue::SyncCatalogue(int mode)
{
    w.catalogueStatus = QStringLiteral("1");
    m_hooks.showPortableLogo();
    if (w.catalogueLoaded != 0)
        return;

    const QString listPath = m_settings.pictureListPath();
    if (!QFile::exists(listPath) || !QFile::exists(m_settings.configPath()))
        m_settings.DeleteConfigFiles();
    if (!QFile::exists(listPath)) {
        w.catalogueStatus = QStringLiteral("0");
        return;
    }
    // The server failed a moment ago: the set on screen goes on, and the
    // synchronisation is tried again when the schedule says so.
    if (!retryDue()) {
        showUnavailable();
        return;
    }

    const auto bytes = tf::readAll(listPath);
    const std::vector<PictureListEntry> entries =
        bytes ? parsePictureList(*bytes) : std::vector<PictureListEntry>{};
    m_settings.RecordSelection(true);
    QStringList ids;
    for (const PictureListEntry &entry : entries) {
        m_settings.RecordSelection(false, entry.position + 1);
        ids << entry.id;
    }
    if (entries.empty()) {
        w.strIdForBrowser = QStringLiteral("[_");
        if (mode == 0)
            w.catalogueStatus = QStringLiteral("0");
        return;
    }
    w.strIdForBrowser = catalogue::idsForBrowser(ids);

    const catalogue::ClientValues values = catalogue::ClientValues::of(w);
    const QString &base = w.catalogueAddress;
    // One attempt sends each request once: the first that gets no answer
    // ends it, and nothing is marked as synchronised.
    RequestCatalogue(base + catalogue::serverMessageQuery(values), catalogue::KindServerMessage);
    if (m_lastNoAnswer)
        return;
    if (!m_settings.ReadConfig())
        return;

    if (w.fullCatalogueWanted == 1) {
        // The panel's list, and with it the selection saved from it, comes
        // only from a whole catalogue: when one of its parts fails the lists
        // stay as the last complete catalogue left them.
        const auto urls = w.listURL;
        const auto names = w.listURLnameOnly;
        const auto idsBefore = w.listIdUrl;
        const auto comments = w.listURLcomment;
        const bool arrived =
            RequestCatalogue(base + catalogue::allAddressesQuery(values), catalogue::KindAddresses) &&
            RequestCatalogue(base + catalogue::idsQuery(values), catalogue::KindIds) &&
            RequestCatalogue(base + catalogue::descriptionsQuery(values), catalogue::KindDescriptions);
        if (arrived) {
            m_settings.ReadPictureList();
        } else {
            w.listURL = urls;
            w.listURLnameOnly = names;
            w.listIdUrl = idsBefore;
            w.listURLcomment = comments;
            qCWarning(lcCatalogue) << "the catalogue did not arrive; the stored selection is kept";
            if (m_lastNoAnswer)
                return;
        }
    } else {
        if (!RequestCatalogue(base + catalogue::selectedAddressesQuery(w.strIdForBrowser, values),
                              catalogue::KindAddresses)) {
            // The set shown stays; it is asked again on the schedule, an
            // error reply too, so a refusing server is not asked every tick.
            qCWarning(lcCatalogue) << "the selected addresses did not arrive; the slide set is kept";
            if (!m_lastNoAnswer)
                noteNoAnswer(QStringLiteral("the server answered the selected addresses with an error"));
            return;
        }
        m_hooks.buildSlideSet(2);
    }
    RequestCatalogue(base + catalogue::creditLinesQuery(values), catalogue::KindCreditLines);
    if (m_lastNoAnswer)
        return;

    w.catalogueLoaded = 1;
    w.fullCatalogueWanted = 0;
    qCInfo(lcCatalogue, "catalogue synchronised: %d pictures selected", int(ids.size()));
}

void Catalogue::generalClock_Timer()
{
    connectionTick();
    m_diagnostics->refreshDump();
}

void Catalogue::connectionTick()
{
    ShowConnectionState();
    if (w.probeState >= 2)
        return;

    if (w.probeState == 0) {
        // After a failure the next probe waits for its time on the schedule.
        if (!retryDue()) {
            waitingTick();
            return;
        }
        m_clocks.generalClock.setEnabled(false);
        m_hooks.showLogoSlide();
        // A quit during one of the first-run questions answers none of the
        // later ones.
        m_languageFiles->LoadLanguage();
        if (giveUpWaiting())
            return;
        m_proxyFiles->LoadProxySettings();
        if (giveUpWaiting())
            return;
        // The web site is asked once the connection is set up, so a
        // mandatory proxy carries the version check too.
        if (!m_versionChecked) {
            m_versionChecked = true;
            CheckVersionInBackground();
        }
        m_townFiles->LoadMyTown();
        if (giveUpWaiting())
            return;
        w.probeState = 1;
        startRequest(w.catalogueAddress +
                     catalogue::probeQuery(catalogue::ClientValues::of(w)));
        m_clocks.generalClock.setEnabled(true);
    }
    if (w.replyReady == 1)
        w.probeState = 2;

    if (w.probeState == 1) {
        waitingTick();
        return;
    }
    if (!m_replyFailed && w.replyText.contains(QLatin1String(catalogue::kProbeMarker))) {
        noteAnswer();
        qCInfo(lcCatalogue, "the catalogue server answered the probe (%s)", qPrintable(webRoot()));
        m_hooks.hideStatus();
        showReadyBar();
        m_clocks.utilityTmr.setEnabled(true);
    } else {
        // A captive portal, a wrong address, an error page or no reply: a
        // full new attempt when the schedule says so.
        noteNoAnswer(m_replyFailed ? QStringLiteral("probe: ") + m_failureReason
                                   : QStringLiteral("probe: the reply lacks the server's marker"));
        m_hooks.showStatus();
        m_hooks.statusToFront();
        showWaitingBar();
        w.probeState = 0;
    }
}

void Catalogue::waitingTick()
{
    // The bar with its quit button is up before any question is asked.
    showWaitingBar();
    if (m_retry.failures() > 0)
        showUnavailable();
    else if (auto text = waitingMessage(w.Lingua))
        m_hooks.setStatusText(*text + QString::number(w.probeCountdown));
    m_hooks.statusToFront();
    const std::int16_t was = w.probeCountdown--;
    if (was == 1) {
        // No tick of this clock runs while the user is asked: the question
        // stays until answered and no probe goes out meanwhile.
        ReconfigureConnection();
        w.probeCountdown = 10;
        if (giveUpWaiting())
            return;
        // A connection just chosen is tried at once.
        m_retryAtMs = 0;
    }
    m_hooks.showStatus();
    m_hooks.statusToFront();
    showWaitingBar();
}

bool Catalogue::retryDue() const { return msUntilRetry() == 0; }

qint64 Catalogue::msUntilRetry() const
{
    if (m_retry.failures() == 0)
        return 0;
    const qint64 left = m_retryAtMs - m_monotonic.elapsed();
    return left <= 0 ? 0 : static_cast<qint64>(left * platform::Clock::speed());
}

void Catalogue::noteNoAnswer(const QString &reason)
{
    const int wait = m_retry.failed();
    m_retryAtMs = m_monotonic.elapsed() + platform::Clock::toReal(wait);
    w.serverUnavailable = true;
    // One line a failure: the schedule keeps them to one or two a minute.
    qCWarning(lcCatalogue, "catalogue server unavailable (%s); asking again in %.1f s",
              qPrintable(reason), wait / 1000.0);
    showUnavailable();
}

void Catalogue::noteAnswer()
{
    const bool wasAway = w.serverUnavailable;
    m_retry.answered();
    m_retryAtMs = 0;
    w.serverUnavailable = false;
    if (wasAway)
        qCInfo(lcCatalogue) << "the catalogue server answers again";
    if (m_noticeShown) {
        m_noticeShown = false;
        m_hooks.hideStatus();
    }
}

void Catalogue::showUnavailable()
{
    if (!w.serverUnavailable)
        return;
    const QDateTime next = QDateTime::currentDateTime().addMSecs(msUntilRetry());
    if (auto text = unavailableMessage(w.Lingua, next.toString(QStringLiteral("HH:mm:ss")))) {
        m_hooks.setStatusText(*text);
        m_hooks.showStatus();
        m_hooks.statusToFront();
        m_noticeShown = true;
    }
}

void Catalogue::showWaitingBar() { m_hooks.showWaitingBar(); }

void Catalogue::showReadyBar() { m_hooks.showReadyBar(); }

bool Catalogue::connActive() const { return platform::Transfer::shared().connected(); }

void Catalogue::ShowConnectionState() { m_hooks.showConnectionState(connActive()); }

bool Catalogue::AskConnectionType()
{
    m_hooks.showConnectionQuestion();
    w.Wait_Type_Connection = false;
    EventPump::Sleep(200);
    while (!w.Wait_Type_Connection) {
        if (giveUpWaiting())
            break;
        m_hooks.keepConnectionQuestionUp();
        EventPump::Sleep(200);
        EventPump::DoEvents();
    }
    m_hooks.hideConnectionQuestion();
    return w.Wait_Type_Connection;
}

void Catalogue::ReconfigureConnection()
{
    m_proxyFiles->ReadProxyFile();
    // Closing the program is no answer: nothing is applied or saved.
    if (AskConnectionType())
        m_proxyFiles->ApplyProxySettings();
}

QString Catalogue::webRoot() const
{
    if (w.cmdLineWords[1] == QLatin1String("LOCALHOST"))
        return webRootOf(onLocalMachine(w.catalogueAddress));
    return webRootOf(w.catalogueAddress);
}

void Catalogue::CheckVersion()
{
    const QString versionFile = w.workDirPrefix + QLatin1String(kVersionFileName);
    if (platform::DownloadFile(webRoot() + u'/' + QLatin1String(kVersionFileName), versionFile))
        takeVersionFile(versionFile);
}

void Catalogue::CheckVersionInBackground()
{
    // Start-up does not wait for the web site: the answer is taken when it
    // comes, and a site that never answers only leaves the notice unset.
    const QString versionFile = w.workDirPrefix + QLatin1String(kVersionFileName);
    std::weak_ptr<int> alive = m_alive;
    platform::Transfer::shared().downloadInBackground(
        webRoot() + u'/' + QLatin1String(kVersionFileName), versionFile,
        [this, alive, versionFile](bool ok) {
            if (!alive.expired() && ok)
                takeVersionFile(versionFile);
        });
}

void Catalogue::takeVersionFile(const QString &versionFile)
{
    const QStringList fields = readFields(tf::readAll(versionFile).value_or(QByteArray()));
    if (fields.value(0) == QLatin1String(kProgramVersion)) {
        w.Aggiornare = QStringLiteral(" ");
        w.AggiornareAvvisato = false;
        m_hooks.markProgramCurrent();
    }
    // A file without the collections edition says nothing about collections.
    if (fields.size() < 2)
        return;
    const QString serverEdition = fields[1];

    const QString localFile =
        QDir(w.Cirrolith_Collections_Dir).filePath(QLatin1String(kLocalCollectionFileName));
    if (!QFile::exists(localFile))
        tf::writeAtomic(localFile, QByteArray(kFirstCollectionEdition));
    const QString localEdition = readFields(tf::readAll(localFile).value_or(QByteArray())).value(0);

    if (serverEdition == localEdition) {
        w.collectionsAvailable = 0;
    } else if (!w.AggiornareAvvisato) {
        w.Aggiornare += QLatin1String(kCollectionsNotice);
        w.collectionsAvailable = -1;
        w.AggiornareAvvisato = true;
    }
}

void Catalogue::DownloadCollections()
{
    if (w.collectionsAvailable) {
        const QString folder = w.Cirrolith_Collections_Dir;
        const QString package = QDir(folder).filePath(QLatin1String(kCollectionsPackageName));
        if (platform::DownloadFile(webRoot() + u'/' + QLatin1String(kCollectionsPackageName),
                                   package)) {
            platform::DialogService::current().MsgBox(collectionsUpdatedMessage(w.Lingua, package),
                                                      platform::MsgButtons::OK);
            unpackCollections(package, folder);
        }
    }
    w.collectionsAvailable = 0;
    w.Aggiornare = QStringLiteral(" ");
}
