#include "remote/MqttLink.h"

#include "remote/RemoteLog.h"

#include <QMetaObject>

#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace remote {

namespace {

constexpr int kKeepAliveSeconds = 30;

void initLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

} // namespace

MqttLink::MqttLink(Options options, QObject *parent) : QObject(parent), m_options(std::move(options))
{
    initLibrary();
    m_mosq = mosquitto_new(m_options.clientId.toUtf8().constData(), true, this);
    if (!m_mosq)
        return;
    // Published from this thread while the link's own one reads.
    mosquitto_threaded_set(m_mosq, true);
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_mosq, &MqttLink::onConnect);
    mosquitto_message_callback_set(m_mosq, &MqttLink::onMessage);
    const QByteArray will = m_options.willTopic.toUtf8();
    mosquitto_will_set(m_mosq, will.constData(), int(m_options.willPayload.size()), m_options.willPayload.constData(),
                       1, true);
    const BrokerAddress &b = m_options.broker;
    if (!b.user.isEmpty())
        mosquitto_username_pw_set(m_mosq, b.user.toUtf8().constData(),
                                  b.password.isEmpty() ? nullptr : b.password.toUtf8().constData());
    if (b.tls) {
        // The system's certificate authorities, and the host name checked.
        mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        mosquitto_tls_opts_set(m_mosq, 1, nullptr, nullptr);
    }
}

MqttLink::~MqttLink()
{
    stopThread(500);
    if (m_finished || !m_started) {
        if (m_mosq)
            mosquitto_destroy(m_mosq);
    }
    // Else the thread is stuck in a connect and the process is ending: the
    // handle stays with it.
}

void MqttLink::start()
{
    if (!m_mosq) {
        qCWarning(lcRemote, "remote control off: no MQTT client could be made");
        return;
    }
    m_started = true;
    m_thread = std::thread([this] { run(); });
}

void MqttLink::run()
{
    const QByteArray host = m_options.broker.host.toUtf8();
    const int port = m_options.broker.port;
    while (!m_stop) {
        const int rc = mosquitto_connect(m_mosq, host.constData(), port, kKeepAliveSeconds);
        if (rc == MOSQ_ERR_SUCCESS) {
            int loop = MOSQ_ERR_SUCCESS;
            while (!m_stop && loop == MOSQ_ERR_SUCCESS)
                loop = mosquitto_loop(m_mosq, 100, 1);
            if (m_stop) {
                // The last words and the leaving are queued: let them out.
                for (int i = 0; i < 10 && loop == MOSQ_ERR_SUCCESS; ++i)
                    loop = mosquitto_loop(m_mosq, 20, 1);
                break;
            }
            lost(loop == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                        : QString::fromUtf8(mosquitto_strerror(loop)));
        } else {
            lost(rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                      : QString::fromUtf8(mosquitto_strerror(rc)));
        }
        const int wait = m_retryMs;
        m_retryMs = std::min(wait * 2, kLongestRetryMs);
        pause(wait);
    }
    m_connected = false;
    m_finished = true;
}

void MqttLink::lost(const QString &why)
{
    if (m_connected.exchange(false))
        QMetaObject::invokeMethod(this, [this] { emit disconnected(); }, Qt::QueuedConnection);
    // Said once per outage; the show goes on meanwhile.
    if (!m_toldDown.exchange(true))
        qCWarning(lcRemote, "the MQTT broker %s:%d cannot be reached (%s); trying again by itself",
                  qPrintable(m_options.broker.host), m_options.broker.port, qPrintable(why));
}

void MqttLink::pause(int ms)
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop.load(); });
}

void MqttLink::onConnect(mosquitto *mosq, void *obj, int rc)
{
    auto *self = static_cast<MqttLink *>(obj);
    if (rc != 0) {
        // Refused (a wrong password, say): the loop sees the closed
        // connection and tries again later.
        if (!self->m_toldDown.exchange(true))
            qCWarning(lcRemote, "the MQTT broker %s:%d refused the connection: %s",
                      qPrintable(self->m_options.broker.host), self->m_options.broker.port,
                      mosquitto_connack_string(rc));
        return;
    }
    for (const QString &topic : self->m_options.subscriptions)
        mosquitto_subscribe(mosq, nullptr, topic.toUtf8().constData(), 1);
    const bool wasDown = self->m_toldDown.exchange(false);
    self->m_retryMs = kFirstRetryMs;
    self->m_connected = true;
    const bool before = self->m_everConnected.exchange(true);
    if (wasDown)
        qCWarning(lcRemote, "connected to the MQTT broker %s:%d %s", qPrintable(self->m_options.broker.host),
                  self->m_options.broker.port, before ? "again" : "at last");
    else
        qCInfo(lcRemote, "connected to the MQTT broker %s:%d", qPrintable(self->m_options.broker.host),
               self->m_options.broker.port);
    QMetaObject::invokeMethod(self, [self] { emit self->connected(); }, Qt::QueuedConnection);
}

void MqttLink::onMessage(mosquitto *, void *obj, const mosquitto_message *message)
{
    auto *self = static_cast<MqttLink *>(obj);
    const QString topic = QString::fromUtf8(message->topic);
    // Whatever is longer than a payload can be is refused unread: one byte
    // more than the limit says so.
    const int length = std::min(message->payloadlen, kMaxPayload + 1);
    const QByteArray payload(static_cast<const char *>(message->payload), std::max(length, 0));
    QMetaObject::invokeMethod(self, [self, topic, payload] { emit self->messageArrived(topic, payload); },
                              Qt::QueuedConnection);
}

bool MqttLink::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!m_connected || !m_mosq)
        return false;
    return mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()),
                             payload.constData(), 1, retain) == MOSQ_ERR_SUCCESS;
}

void MqttLink::close(const QString &topic, const QByteArray &payload, int waitMs)
{
    if (!m_thread.joinable() || m_stop)
        return;
    if (m_connected) {
        publish(topic, payload, true);
        mosquitto_disconnect(m_mosq);
    }
    stopThread(waitMs);
}

void MqttLink::stopThread(int waitMs)
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (!m_finished && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (m_finished)
        m_thread.join();
    else
        m_thread.detach();
}

} // namespace remote
