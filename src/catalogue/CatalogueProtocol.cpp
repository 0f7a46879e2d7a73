#include "catalogue/CatalogueProtocol.h"

#include "platform/Log.h"

#include <algorithm>

namespace catalogue {

namespace {

// The client pairs in the order most requests send them.
QString clientPairs(const ClientValues &v)
{
    return QStringLiteral("&x00=y0000") + v.y0000 + QStringLiteral("&x00=y3333") + v.y3333 +
           QStringLiteral("&x00=y1111") + v.y1111 + QStringLiteral("&x00=y5555") +
           QString::number(v.y5555);
}

QString command(const char *code, const ClientValues &v)
{
    return QStringLiteral("p=1&x00=") + QLatin1String(code) + clientPairs(v);
}

int storedCount(const QStringList &items)
{
    return static_cast<int>(std::min<qsizetype>(items.size(), kListSize));
}

} // namespace

ClientValues ClientValues::of(const AppState &state)
{
    return ClientValues{state.paramY0000, state.paramY3333, state.paramY1111, state.paramY5555};
}

QString probeQuery(const ClientValues &v)
{
    return QStringLiteral("p=1&x00=x8888&x00=y0000") + v.y0000 + QStringLiteral("&x00=y3333") +
           v.y3333 + QStringLiteral("&x00=y1111") + v.y1111;
}

QString serverMessageQuery(const ClientValues &v)
{
    return QStringLiteral("p=1&x00=y0000") + v.y0000 + QStringLiteral("&x00=x5555") +
           QStringLiteral("&x00=y3333") + v.y3333 + QStringLiteral("&x00=y1111") + v.y1111 +
           QStringLiteral("&x00=y5555") + QString::number(v.y5555);
}

QString allAddressesQuery(const ClientValues &v) { return command("x4444", v); }
QString idsQuery(const ClientValues &v) { return command("x6666", v); }
QString descriptionsQuery(const ClientValues &v) { return command("x7777", v); }
QString creditLinesQuery(const ClientValues &v) { return command("x9999", v); }

QString selectedAddressesQuery(const QString &ids, const ClientValues &v)
{
    // This one sends y1111 before y3333.
    return QStringLiteral("p=1&x00=y2222") + ids + QStringLiteral("&x00=y0000") + v.y0000 +
           QStringLiteral("&x00=y1111") + v.y1111 + QStringLiteral("&x00=y3333") + v.y3333 +
           QStringLiteral("&x00=y5555") + QString::number(v.y5555);
}

QStringList splitReply(const QString &reply)
{
    const QLatin1String marker(kItemMarker);
    QStringList items;
    qsizetype open = reply.indexOf(marker);
    while (open >= 0) {
        const qsizetype start = open + marker.size();
        const qsizetype close = reply.indexOf(marker, start);
        if (close < 0)
            break;
        items << reply.mid(start, close - start);
        open = close;
    }
    return items;
}

bool hasErrorItem(const QStringList &items)
{
    return std::any_of(items.begin(), items.end(),
                       [](const QString &item) { return item.startsWith(QLatin1String("ERR")); });
}

void fillListData(AppState &state, const QStringList &items)
{
    std::fill(state.listData.begin(), state.listData.begin() + kListLoopEnd, QString());
    const int n = storedCount(items);
    for (int k = 0; k < n; ++k)
        state.listData[k] = items[k];
}

QString UrlNameOnly(const QString &url)
{
    const qsizetype slash = url.lastIndexOf(u'/');
    return slash < 0 ? url : url.mid(slash + 1);
}

std::int16_t idFromItem(const QString &item)
{
    bool ok = false;
    const short value = item.trimmed().toShort(&ok);
    return ok && value >= 0 ? value : kRefusedId;
}

void storeReply(AppState &state, int kind, const QStringList &items)
{
    const int n = storedCount(items);
    switch (kind) {
    case KindAddresses:
        std::fill(state.listURL.begin(), state.listURL.begin() + kListLoopEnd, QString());
        std::fill(state.listURLnameOnly.begin(), state.listURLnameOnly.begin() + kListLoopEnd,
                  QString());
        for (int k = 0; k < n; ++k) {
            state.listURL[k] = items[k];
            state.listURLnameOnly[k] = UrlNameOnly(items[k]);
        }
        break;
    case KindServerMessage: {
        const QString first = n > 0 ? items[0] : QString();
        if (first.size() >= 8)
            state.serverMessage =
                first.startsWith(QLatin1String("outmsg")) ? first.mid(7) : QString();
        break;
    }
    case KindIds:
    {
        QStringList refused;
        for (int k = 0; k < n; ++k) {
            state.listIdUrl[k] = idFromItem(items[k]);
            if (state.listIdUrl[k] == kRefusedId)
                refused << QStringLiteral("%1 (\"%2\")").arg(k).arg(items[k].left(40));
        }
        if (!refused.isEmpty())
            qCWarning(lcCatalogue).noquote() << "catalogue entries refused, their id is no number 0..32767:"
                                             << refused.join(QStringLiteral(", "));
        break;
    }
    case KindDescriptions:
        for (int k = 0; k < n; ++k)
            state.listURLcomment[k] = items[k];
        break;
    case KindCreditLines:
        // A credit line is one line under the picture: a CR or LF in it
        // would break the bar's single line in two.
        for (int k = 0; k < n; ++k)
            state.listCopyright[k] = QString(items[k]).replace(u'\r', u' ').replace(u'\n', u' ');
        break;
    default:
        break;
    }
}

QString idsForBrowser(const QStringList &ids)
{
    QString text = QStringLiteral("[_");
    for (const QString &id : ids)
        text += id + u'_';
    return text + u']';
}

} // namespace catalogue
