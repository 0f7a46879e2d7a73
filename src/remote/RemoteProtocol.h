#pragma once
// What a screen says and hears on the broker: the broker address, the
// screen's id, the topics, the commands and the JSON it publishes. Plain
// values, no network and no widgets.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace remote {

// CIRROLITH_MQTT: mqtt://[user[:password]@]host[:port] or mqtts://...
struct BrokerAddress {
    bool tls = false;
    QString host;
    int port = 1883;
    QString user;
    QString password;
};
// Nothing when the text is no such address; *error says why.
std::optional<BrokerAddress> parseBrokerAddress(const QString &text, QString *error = nullptr);

// The screen's id: the text lower-cased with every character outside
// [a-z0-9_] made "_"; "cirrolith" when nothing is left.
QString screenId(const QString &text);

struct Topics {
    explicit Topics(const QString &id);
    QString id;
    QString availability;
    QString state;
    QString command;
    QString allCommand;
    QString collectionSet;
    QString collectionOptions;
    QString slideSecondsSet;
    // What the screen subscribes to.
    QStringList subscriptions() const;
};

enum class Command { Next, Previous, Pause, Resume, Reload, ScreenOff, ScreenOn };
std::optional<Command> parseCommand(const QByteArray &payload);
const char *commandName(Command command);

// The longest payload looked at; anything longer is refused unread.
constexpr int kMaxPayload = 256;
// A collection file named from the network: a plain ".xml" name in the
// collections folder, never a path.
std::optional<QString> collectionFileName(const QByteArray &payload);
// Slide seconds from the network: a whole number within the panel's bounds.
constexpr int kMinSlideSeconds = 1;
constexpr int kMaxSlideSeconds = 65;   // the slide clock holds at most 65 535 ms
std::optional<int> slideSeconds(const QByteArray &payload);

// What the state message tells.
struct StateSnapshot {
    QString state;          // running, paused, panel, waiting, off
    int slide = 0;          // 1-based; 0 before the first slide
    int slides = 0;
    QString credit;
    QString kind;           // picture, page, animation
    QString refreshed;      // ISO-8601, empty before the first refresh
    int notAvailable = 0;
    bool serverUnavailable = false;
    QString collection;
    bool operator==(const StateSnapshot &) const = default;
};
QByteArray stateJson(const StateSnapshot &snapshot);

QByteArray collectionOptionsJson(const QStringList &files);

// Home Assistant discovery: one retained config per entity, one device per
// screen, every entity following the availability topic.
struct Publication {
    QString topic;
    QByteArray payload;
};
QList<Publication> discoveryConfigs(const Topics &topics, const QStringList &collections);

} // namespace remote
