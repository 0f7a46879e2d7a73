#pragma once

#include "remote/RemoteProtocol.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace remote {

class MqttLink;

// What the remote control asks of the program. Each request returns an empty
// text when it was taken, else why it was refused (said on stderr).
struct RemoteHooks {
    std::function<QString(Command)> command;
    // A collection file that exists in the collections folder.
    std::function<QString(const QString &path, const QString &name)> loadCollection;
    std::function<QString(int seconds)> setSlideSeconds;
    std::function<StateSnapshot()> snapshot;
};

// Remote control and status over MQTT: commands in, the state, the
// collection list and Home Assistant discovery out.
class Remote : public QObject {
    Q_OBJECT
public:
    // The state is looked at this often (real ms), and published at most once
    // in each kMinGapMs.
    static constexpr int kPollMs = 250;
    static constexpr int kMinGapMs = 200;

    // Nothing when CIRROLITH_MQTT is unset; an address that is none says so
    // on stderr and leaves the remote control off.
    static std::unique_ptr<Remote> fromEnvironment(const QString &collectionsDir);

    Remote(const BrokerAddress &broker, const QString &id, const QString &collectionsDir);
    ~Remote() override;

    RemoteHooks hooks;
    // Connects, once the hooks are set.
    void start();
    // Publishes the state soon when it changed.
    void stateMayHaveChanged();
    // The retained "offline" and a clean leave, before the program ends.
    void goOffline();

    const Topics &topics() const { return m_topics; }

private:
    void onConnected();
    void onMessage(const QString &topic, const QByteArray &payload);
    void refuse(const QString &topic, const QByteArray &payload, const QString &why);
    void checkState();
    void publishState(const StateSnapshot &snapshot);
    void checkCollections();
    QStringList collectionFiles() const;

    Topics m_topics;
    QString m_collectionsDir;
    std::unique_ptr<MqttLink> m_link;
    QTimer m_poll;
    QTimer m_later;
    QElapsedTimer m_sincePublished;
    std::optional<StateSnapshot> m_published;
    QStringList m_collections;
    bool m_collectionsPublished = false;
    QFileSystemWatcher m_watch;
    bool m_offline = false;
};

} // namespace remote
