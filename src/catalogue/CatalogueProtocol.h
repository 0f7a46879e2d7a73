#pragma once

#include "state/AppState.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The catalogue server's request protocol, apart from the network: building
// the query strings, splitting a reply into items and storing the items into
// the catalogue lists.
namespace catalogue {

inline constexpr const char *kItemMarker = "<P>";
inline constexpr const char *kProbeMarker = "NWX_REPLY_TO_CLIENT";

// What a reply is stored as.
enum ReplyKind : int {
    KindAddresses = 2,
    KindServerMessage = 3,
    KindIds = 4,
    KindDescriptions = 5,
    KindCreditLines = 6,
};

// The opaque client values sent with every request.
struct ClientValues {
    QString y0000;
    QString y3333;
    QString y1111;
    std::int32_t y5555 = 0;

    static ClientValues of(const AppState &state);
};

// Query strings, appended as they are to the catalogue address (which ends
// with "?"). Values go in exactly as held, without any encoding.
QString probeQuery(const ClientValues &v);
QString serverMessageQuery(const ClientValues &v);
QString allAddressesQuery(const ClientValues &v);
QString idsQuery(const ClientValues &v);
QString descriptionsQuery(const ClientValues &v);
QString selectedAddressesQuery(const QString &ids, const ClientValues &v);
QString creditLinesQuery(const ClientValues &v);

// The items between "<P>" markers, in order. Text before the first marker and
// after the last is not an item.
QStringList splitReply(const QString &reply);

// True when one of the items begins with "ERR".
bool hasErrorItem(const QStringList &items);

// Puts the items into listData; the lists have room for kListSize items, the
// surplus is dropped.
void fillListData(AppState &state, const QStringList &items);

// The text after the last "/"; the whole address when it has none.
QString UrlNameOnly(const QString &url);

// A kind-4 item: its value when it is a whole number 0..32767, else kRefusedId.
std::int16_t idFromItem(const QString &item);

// Copies reply items into the catalogue lists of the given kind; items past
// the lists' end are dropped.
void storeReply(AppState &state, int kind, const QStringList &items);

// "[_" then each id followed by "_", then "]".
QString idsForBrowser(const QStringList &ids);

} // namespace catalogue
