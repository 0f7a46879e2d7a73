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

#include <QDir>
#include <QFile>

using platform::EventPump;
namespace tf = platform::textfile;

namespace {

// A probe is retried at every tick while the server is away: the first
// failure and then one line a minute or so, not one a second.
void logProbeFailure(const QString &root)
{
    static int failures = 0;
    if (failures++ % 60 == 0)
        qCWarning(lcCatalogue, "no valid answer to the probe from %s (%d tries); trying again",
                  qPrintable(root), failures);
}

} // namespace

Catalogue::Catalogue(AppState &state, WindowClocks &clocks, SettingsFiles &settings)
    : w(state), m_clocks(clocks), m_settings(settings)
{
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
        [this, alive, ticket] {
            // No answer at all (refused, reset, unreachable, stalled): a reply
            // without any item, so the probe retries and a request fails
            // instead of waiting for ever.
            if (alive.expired())
                return;
            w.replyText.clear();
            m_replyFailed = true;
            m_replyTicket = ticket;
            w.replyReady = 1;
        });
}

bool Catalogue::RequestCatalogue(const QString &address, int kind)
{
    std::fill(w.listData.begin(), w.listData.begin() + kListLoopEnd, QString());
    startRequest(address);
    const std::uint64_t ticket = m_ticket;
    m_lastNoAnswer = true;
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
    if (m_replyTicket != ticket || m_replyFailed) {
        qCWarning(lcCatalogue, "catalogue request %d: no answer from the server", kind);
        return false;
    }
    m_lastNoAnswer = false;

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
    RequestCatalogue(base + catalogue::serverMessageQuery(values), catalogue::KindServerMessage);
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
        }
    } else {
        if (!RequestCatalogue(base + catalogue::selectedAddressesQuery(w.strIdForBrowser, values),
                              catalogue::KindAddresses)) {
            // The set shown stays; the next refresh asks again.
            qCWarning(lcCatalogue) << "the selected addresses did not arrive; the slide set is kept";
            return;
        }
        m_hooks.buildSlideSet(2);
    }
    RequestCatalogue(base + catalogue::creditLinesQuery(values), catalogue::KindCreditLines);

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
        if (auto text = waitingMessage(w.Lingua))
            m_hooks.setStatusText(*text + QString::number(w.probeCountdown));
        m_hooks.statusToFront();
        const std::int16_t was = w.probeCountdown--;
        if (was == 1) {
            // No tick of this clock runs while the user is asked: the
            // question stays until answered and no probe goes out meanwhile.
            ReconfigureConnection();
            w.probeCountdown = 10;
            if (giveUpWaiting())
                return;
        }
        m_hooks.showStatus();
        m_hooks.statusToFront();
        showWaitingBar();
        return;
    }
    if (w.replyText.contains(QLatin1String(catalogue::kProbeMarker))) {
        qCInfo(lcCatalogue, "the catalogue server answered the probe (%s)", qPrintable(webRoot()));
        m_hooks.hideStatus();
        showReadyBar();
        m_clocks.utilityTmr.setEnabled(true);
    } else {
        // A captive portal or a wrong address: start over on the next tick.
        logProbeFailure(webRoot());
        if (auto text = retryMessage(w.Lingua))
            m_hooks.setStatusText(*text);
        m_hooks.statusToFront();
        w.probeState = 0;
    }
}

bool Catalogue::RequestUntilAnswered(const QString &address, int kind)
{
    if (RequestCatalogue(address, kind))
        return true;
    if (!m_lastNoAnswer)
        return false;
    // No answer is no refusal: every file stays, the user reads it once on
    // the status line, and the request is sent again every ten half-second
    // counts, as the connection clock counts.
    qCWarning(lcCatalogue) << "the catalogue server does not answer; asking again until it does";
    // The loading caption would cover the status line meanwhile.
    const std::int16_t loading = w.webLoading;
    w.webLoading = 0;
    const auto answered = [&](bool result) {
        w.webLoading = loading;
        return result;
    };
    if (auto text = retryMessage(w.Lingua))
        m_hooks.setStatusText(*text);
    m_hooks.showStatus();
    m_hooks.statusToFront();
    for (;;) {
        for (int count = 10; count > 0; --count) {
            if (giveUpWaiting())
                return answered(false);
            if (auto text = waitingMessage(w.Lingua); text && count < 10)
                m_hooks.setStatusText(*text + QString::number(count));
            EventPump::Sleep(500);
        }
        if (RequestCatalogue(address, kind)) {
            qCInfo(lcCatalogue) << "the catalogue server answers again";
            return answered(true);
        }
        if (!m_lastNoAnswer)
            return answered(false);
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
