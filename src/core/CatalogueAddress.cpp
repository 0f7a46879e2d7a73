#include "core/CatalogueAddress.h"

#include <QUrl>

namespace {
constexpr const char *kLocalServer = "http://127.0.0.1:8473";
}

QString webRootOf(const QString &address)
{
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment |
                        QUrl::RemoveUserInfo)
        .toString(QUrl::StripTrailingSlash);
}

QString onLocalMachine(const QString &address)
{
    const QString root = webRootOf(address);
    const QString rest = root.isEmpty() ? address : address.mid(root.size());
    return QString::fromLatin1(kLocalServer) + rest;
}
