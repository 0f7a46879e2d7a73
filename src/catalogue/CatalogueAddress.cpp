#include "catalogue/CatalogueAddress.h"

#include <QUrl>

#include <cstdio>

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

QString startingCatalogueAddress(const QString &builtIn, const QString &fromEnvironment)
{
    const QString value = fromEnvironment.trimmed();
    if (value.isEmpty())
        return builtIn;
    const QUrl url(value, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return builtIn;
    return value;
}

QString startingCatalogueAddress()
{
    const QString builtIn = QStringLiteral(CIRROLITH_CATALOGUE_URL);
    const QString value = qEnvironmentVariable("CIRROLITH_CATALOGUE_URL");
    const QString address = startingCatalogueAddress(builtIn, value);
    if (!value.trimmed().isEmpty() && address == builtIn && value.trimmed() != builtIn)
        std::fprintf(stderr, "cirrolith: CIRROLITH_CATALOGUE_URL is not an http address, using %s\n",
                     qPrintable(builtIn));
    return address;
}
