#pragma once

#include "remote/RemoteProtocol.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

struct mosquitto;
struct mosquitto_message;

namespace remote {

// One connection to the broker, kept up by a thread of its own: connecting,
// waiting for a broker that is away (one line on stderr, then again after a
// growing delay) and reading all happen there, so nothing on the network
// ever holds the window. What arrives is handed to this object's thread as
// queued signals; publishing from it only queues the packet.
class MqttLink : public QObject {
    Q_OBJECT
public:
    struct Options {
        BrokerAddress broker;
        QString clientId;
        QString willTopic;        // retained, published by the broker when we vanish
        QByteArray willPayload;
        QStringList subscriptions;
    };
    // The delays between attempts while the broker is away (real ms).
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLongestRetryMs = 30000;

    explicit MqttLink(Options options, QObject *parent = nullptr);
    ~MqttLink() override;

    void start();
    bool isConnected() const { return m_connected; }
    // False when there is no connection to publish on.
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    // Publishes the last words (retained) and leaves cleanly; waits at most
    // waitMs for them to go out.
    void close(const QString &topic, const QByteArray &payload, int waitMs);

signals:
    void connected();
    void disconnected();
    void messageArrived(const QString &topic, const QByteArray &payload);

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);
    void run();
    void lost(const QString &why);
    void pause(int ms);
    void stopThread(int waitMs);

    Options m_options;
    mosquitto *m_mosq = nullptr;
    std::thread m_thread;
    bool m_started = false;
    std::atomic<bool> m_connected{false};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_toldDown{false};
    std::atomic<bool> m_everConnected{false};
    std::atomic<int> m_retryMs{kFirstRetryMs};
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

} // namespace remote
