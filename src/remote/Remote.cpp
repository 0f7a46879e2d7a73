#include "remote/Remote.h"

#include "remote/MqttLink.h"
#include "remote/RemoteLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>

Q_LOGGING_CATEGORY(lcRemote, "cirrolith.remote", QtWarningMsg)

namespace remote {

namespace {

const QByteArray kOnline = "online";
const QByteArray kOffline = "offline";

// A payload as it may be shown on one line: short, printable.
QString shown(const QByteArray &payload)
{
    if (payload.size() > kMaxPayload)
        return QStringLiteral("a payload of more than %1 bytes").arg(kMaxPayload);
    QString text;
    for (char c : payload.left(60))
        text += (c >= 0x20 && c < 0x7f) ? QChar::fromLatin1(c) : QChar(u'?');
    return u'"' + text + (payload.size() > 60 ? QStringLiteral("...\"") : QStringLiteral("\""));
}

} // namespace

std::unique_ptr<Remote> Remote::fromEnvironment(const QString &collectionsDir)
{
    const QString address = qEnvironmentVariable("CIRROLITH_MQTT");
    if (address.isEmpty())
        return nullptr;
    QString error;
    const auto broker = parseBrokerAddress(address, &error);
    if (!broker) {
        qCWarning(lcRemote, "remote control off: CIRROLITH_MQTT is no mqtt:// or mqtts:// address (%s)",
                  qPrintable(error));
        return nullptr;
    }
    const QString named = qEnvironmentVariable("CIRROLITH_MQTT_ID");
    const QString id = screenId(named.isEmpty() ? QHostInfo::localHostName() : named);
    return std::make_unique<Remote>(*broker, id, collectionsDir);
}

Remote::Remote(const BrokerAddress &broker, const QString &id, const QString &collectionsDir)
    : m_topics(id), m_collectionsDir(collectionsDir)
{
    MqttLink::Options options;
    options.broker = broker;
    options.clientId = QStringLiteral("cirrolith_") + id;
    options.willTopic = m_topics.availability;
    options.willPayload = kOffline;
    options.subscriptions = m_topics.subscriptions();
    m_link = std::make_unique<MqttLink>(std::move(options));
    connect(m_link.get(), &MqttLink::connected, this, &Remote::onConnected);
    connect(m_link.get(), &MqttLink::messageArrived, this, &Remote::onMessage);

    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &Remote::checkState);
    m_later.setSingleShot(true);
    connect(&m_later, &QTimer::timeout, this, &Remote::checkState);
    if (QFileInfo(collectionsDir).isDir())
        m_watch.addPath(collectionsDir);
    connect(&m_watch, &QFileSystemWatcher::directoryChanged, this, &Remote::checkCollections);
    // Every quit that reaches the event loop's end says goodbye.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &Remote::goOffline);
}

Remote::~Remote() { goOffline(); }

void Remote::start()
{
    qCInfo(lcRemote, "remote control as %s", qPrintable(m_topics.id));
    m_collections = collectionFiles();
    m_link->start();
    m_poll.start();
}

void Remote::goOffline()
{
    if (m_offline)
        return;
    m_offline = true;
    m_poll.stop();
    m_later.stop();
    m_link->close(m_topics.availability, kOffline, 500);
}

void Remote::onConnected()
{
    if (m_offline)
        return;
    m_link->publish(m_topics.availability, kOnline, true);
    m_collections = collectionFiles();
    for (const Publication &p : discoveryConfigs(m_topics, m_collections))
        m_link->publish(p.topic, p.payload, true);
    m_link->publish(m_topics.collectionOptions, collectionOptionsJson(m_collections), true);
    m_published.reset();   // the broker may have lost it
    checkState();
}

void Remote::onMessage(const QString &topic, const QByteArray &payload)
{
    if (m_offline)
        return;
    QString refusal;
    if (topic == m_topics.command || topic == m_topics.allCommand) {
        const auto command = parseCommand(payload);
        if (!command)
            return refuse(topic, payload, QStringLiteral("no such command"));
        qCInfo(lcRemote, "command %s", commandName(*command));
        refusal = hooks.command(*command);
    } else if (topic == m_topics.collectionSet) {
        const auto name = collectionFileName(payload);
        if (!name)
            return refuse(topic, payload, QStringLiteral("not the name of a collection file"));
        const QString path = QDir(m_collectionsDir).filePath(*name);
        const QFileInfo info(path);
        // The file itself, in the folder itself: a link would lead elsewhere.
        if (!info.isFile() || info.isSymLink() || info.absolutePath() != QFileInfo(m_collectionsDir).absoluteFilePath())
            return refuse(topic, payload, QStringLiteral("no such collection in %1").arg(m_collectionsDir));
        qCInfo(lcRemote, "collection %s", qPrintable(*name));
        refusal = hooks.loadCollection(path, *name);
    } else if (topic == m_topics.slideSecondsSet) {
        const auto seconds = slideSeconds(payload);
        if (!seconds)
            return refuse(topic, payload,
                          QStringLiteral("not a whole number of seconds from %1 to %2")
                              .arg(kMinSlideSeconds)
                              .arg(kMaxSlideSeconds));
        qCInfo(lcRemote, "slide seconds %d", *seconds);
        refusal = hooks.setSlideSeconds(*seconds);
    } else {
        return;
    }
    if (!refusal.isEmpty())
        return refuse(topic, payload, refusal);
    stateMayHaveChanged();
}

void Remote::refuse(const QString &topic, const QByteArray &payload, const QString &why)
{
    qCWarning(lcRemote, "refused %s on %s: %s", qPrintable(shown(payload)), qPrintable(topic), qPrintable(why));
}

void Remote::stateMayHaveChanged()
{
    // After whatever is queued now (a command carried out) has run.
    if (!m_offline)
        QTimer::singleShot(0, this, &Remote::checkState);
}

void Remote::checkState()
{
    if (m_offline || !m_link->isConnected() || !hooks.snapshot)
        return;
    const StateSnapshot now = hooks.snapshot();
    if (m_published && *m_published == now)
        return;
    if (m_sincePublished.isValid() && m_sincePublished.elapsed() < kMinGapMs) {
        if (!m_later.isActive())
            m_later.start(int(kMinGapMs - m_sincePublished.elapsed()));
        return;
    }
    publishState(now);
}

void Remote::publishState(const StateSnapshot &snapshot)
{
    if (!m_link->publish(m_topics.state, stateJson(snapshot), true))
        return;
    m_published = snapshot;
    m_sincePublished.start();
}

void Remote::checkCollections()
{
    const QStringList files = collectionFiles();
    if (files == m_collections || !m_link->isConnected())
        return;
    m_collections = files;
    m_link->publish(m_topics.collectionOptions, collectionOptionsJson(files), true);
    // The select offers the new list.
    for (const Publication &p : discoveryConfigs(m_topics, files)) {
        if (p.topic.startsWith(QLatin1String("homeassistant/select/")))
            m_link->publish(p.topic, p.payload, true);
    }
}

QStringList Remote::collectionFiles() const
{
    return QDir(m_collectionsDir).entryList({QStringLiteral("*.xml"), QStringLiteral("*.XML")},
                                            QDir::Files | QDir::Readable, QDir::Name);
}

} // namespace remote
