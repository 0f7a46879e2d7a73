#include "remote/RemoteProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QUrl>

namespace remote {

std::optional<BrokerAddress> parseBrokerAddress(const QString &text, QString *error)
{
    const auto fail = [error](const char *why) -> std::optional<BrokerAddress> {
        if (error)
            *error = QString::fromLatin1(why);
        return std::nullopt;
    };
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return fail("not an address");
    BrokerAddress a;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mqtts"))
        a.tls = true;
    else if (scheme != QLatin1String("mqtt"))
        return fail("the scheme is neither mqtt nor mqtts");
    a.host = url.host();
    if (a.host.isEmpty())
        return fail("no host");
    if (!url.path().isEmpty() && url.path() != QLatin1String("/"))
        return fail("an address with a path");
    a.port = url.port(a.tls ? 8883 : 1883);
    if (a.port <= 0 || a.port > 65535)
        return fail("no such port");
    a.user = url.userName();
    a.password = url.password();
    return a;
}

QString screenId(const QString &text)
{
    QString id;
    for (QChar c : text.toLower()) {
        const bool keep = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        id += keep ? c : u'_';
    }
    return id.isEmpty() ? QStringLiteral("cirrolith") : id;
}

Topics::Topics(const QString &screen) : id(screen)
{
    const QString base = QStringLiteral("cirrolith/") + id + u'/';
    availability = base + QStringLiteral("availability");
    state = base + QStringLiteral("state");
    command = base + QStringLiteral("cmd");
    allCommand = QStringLiteral("cirrolith/all/cmd");
    collectionSet = base + QStringLiteral("collection/set");
    collectionOptions = base + QStringLiteral("collection/options");
    slideSecondsSet = base + QStringLiteral("slide_seconds/set");
}

QStringList Topics::subscriptions() const { return {command, allCommand, collectionSet, slideSecondsSet}; }

namespace {

struct Word {
    const char *text;
    Command command;
};
constexpr Word kWords[] = {
    {"next", Command::Next},           {"previous", Command::Previous}, {"pause", Command::Pause},
    {"resume", Command::Resume},       {"reload", Command::Reload},     {"screen_off", Command::ScreenOff},
    {"screen_on", Command::ScreenOn},
};

// A short payload of printable text, with blanks around it dropped (a shell's
// echo adds a line end); nothing for anything else.
std::optional<QString> plainText(const QByteArray &payload)
{
    if (payload.size() > kMaxPayload)
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(payload);
    if (utf8.hasError())
        return std::nullopt;
    const QString trimmed = text.trimmed();
    for (QChar c : trimmed) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return std::nullopt;
    }
    return trimmed;
}

} // namespace

std::optional<Command> parseCommand(const QByteArray &payload)
{
    const auto text = plainText(payload);
    if (!text)
        return std::nullopt;
    for (const Word &w : kWords) {
        if (*text == QLatin1String(w.text))
            return w.command;
    }
    return std::nullopt;
}

const char *commandName(Command command)
{
    for (const Word &w : kWords) {
        if (w.command == command)
            return w.text;
    }
    return "";
}

std::optional<QString> collectionFileName(const QByteArray &payload)
{
    const auto name = plainText(payload);
    if (!name || name->isEmpty() || name->size() > 200)
        return std::nullopt;
    // A name, never a path: no folder separator, no way up, nothing hidden.
    if (name->contains(u'/') || name->contains(u'\\') || name->contains(QLatin1String("..")) ||
        name->startsWith(u'.'))
        return std::nullopt;
    if (!name->endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        return std::nullopt;
    return name;
}

std::optional<int> slideSeconds(const QByteArray &payload)
{
    const auto text = plainText(payload);
    if (!text || text->isEmpty() || text->size() > 9)
        return std::nullopt;
    for (QChar c : *text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int n = text->toInt();
    if (n < kMinSlideSeconds || n > kMaxSlideSeconds)
        return std::nullopt;
    return n;
}

QByteArray stateJson(const StateSnapshot &s)
{
    const QJsonObject o{
        {QStringLiteral("state"), s.state},
        {QStringLiteral("slide"), s.slide},
        {QStringLiteral("slides"), s.slides},
        {QStringLiteral("credit"), s.credit},
        {QStringLiteral("kind"), s.kind},
        {QStringLiteral("refreshed"), s.refreshed},
        {QStringLiteral("not_available"), s.notAvailable},
        {QStringLiteral("server"), s.serverUnavailable ? QStringLiteral("unavailable") : QStringLiteral("ok")},
        {QStringLiteral("collection"), s.collection},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray collectionOptionsJson(const QStringList &files)
{
    return QJsonDocument(QJsonArray::fromStringList(files)).toJson(QJsonDocument::Compact);
}

QList<Publication> discoveryConfigs(const Topics &t, const QStringList &collections)
{
    const QString node = QStringLiteral("cirrolith_") + t.id;
    const QJsonObject device{
        {QStringLiteral("identifiers"), QJsonArray{node}},
        {QStringLiteral("name"), QStringLiteral("Cirrolith ") + t.id},
        {QStringLiteral("manufacturer"), QStringLiteral("Cirrolith")},
        {QStringLiteral("model"), QStringLiteral("Weather slideshow")},
    };
    QList<Publication> out;
    const auto add = [&](const char *component, const char *object, const char *name, QJsonObject config) {
        config.insert(QStringLiteral("name"), QString::fromLatin1(name));
        config.insert(QStringLiteral("unique_id"), node + u'_' + QLatin1String(object));
        config.insert(QStringLiteral("object_id"), node + u'_' + QLatin1String(object));
        config.insert(QStringLiteral("availability_topic"), t.availability);
        config.insert(QStringLiteral("device"), device);
        out.append({QStringLiteral("homeassistant/%1/%2/%3/config")
                        .arg(QLatin1String(component), node, QLatin1String(object)),
                    QJsonDocument(config).toJson(QJsonDocument::Compact)});
    };
    for (const char *press : {"next", "previous", "reload"}) {
        QString name = QString::fromLatin1(press);
        name[0] = name[0].toUpper();
        add("button", press, name.toLatin1().constData(),
            {{QStringLiteral("command_topic"), t.command}, {QStringLiteral("payload_press"), QLatin1String(press)}});
    }
    const auto stateSwitch = [&](const char *object, const char *name, const char *on, const char *off,
                                 const char *onWhen) {
        add("switch", object, name,
            {{QStringLiteral("command_topic"), t.command},
             {QStringLiteral("payload_on"), QLatin1String(on)},
             {QStringLiteral("payload_off"), QLatin1String(off)},
             {QStringLiteral("state_topic"), t.state},
             {QStringLiteral("value_template"), QString::fromLatin1(onWhen)},
             {QStringLiteral("state_on"), QStringLiteral("ON")},
             {QStringLiteral("state_off"), QStringLiteral("OFF")}});
    };
    stateSwitch("pause", "Pause", "pause", "resume", "{{ 'ON' if value_json.state == 'paused' else 'OFF' }}");
    stateSwitch("screen", "Screen", "screen_on", "screen_off", "{{ 'OFF' if value_json.state == 'off' else 'ON' }}");
    add("select", "collection", "Collection",
        {{QStringLiteral("command_topic"), t.collectionSet},
         {QStringLiteral("state_topic"), t.state},
         {QStringLiteral("value_template"), QStringLiteral("{{ value_json.collection }}")},
         {QStringLiteral("options"), QJsonArray::fromStringList(collections)}});
    add("number", "slide_seconds", "Slide seconds",
        {{QStringLiteral("command_topic"), t.slideSecondsSet},
         {QStringLiteral("min"), kMinSlideSeconds},
         {QStringLiteral("max"), kMaxSlideSeconds},
         {QStringLiteral("step"), 1},
         {QStringLiteral("mode"), QStringLiteral("box")},
         {QStringLiteral("unit_of_measurement"), QStringLiteral("s")}});
    const auto sensor = [&](const char *object, const char *name, const char *field) {
        add("sensor", object, name,
            {{QStringLiteral("state_topic"), t.state},
             {QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(QLatin1String(field))}});
    };
    sensor("credit", "Credit", "credit");
    sensor("slide", "Slide", "slide");
    sensor("state", "State", "state");
    sensor("server", "Server", "server");
    return out;
}

} // namespace remote
