#include "AniGifHost.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include "platform/Screen.h"

namespace anigif {

QVariant PropertyBag::read(const QString &key, const QVariant &defaultValue) const {
    for (const auto &e : m_entries)
        if (e.first == key) return e.second;
    return defaultValue;
}

void PropertyBag::write(const QString &key, const QVariant &value, const QVariant &defaultValue) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->first == key) {
            m_entries.erase(it);
            break;
        }
    }
    if (defaultValue.isValid() && value == defaultValue) return;
    m_entries.emplace_back(key, value);
}

bool PropertyBag::contains(const QString &key) const {
    for (const auto &e : m_entries)
        if (e.first == key) return true;
    return false;
}

QStringList PropertyBag::keys() const {
    QStringList k;
    for (const auto &e : m_entries) k << e.first;
    return k;
}

AniGifHost::AniGifHost() = default;

AniGifHost::~AniGifHost() {
    for (QNetworkReply *r : std::as_const(m_reads)) {
        r->disconnect();
        r->abort();
        r->deleteLater();
    }
}

double AniGifHost::pixelsToContainerWidth(double px) const {
    return px * platform::Screen::twipsPerPixelX();
}

double AniGifHost::pixelsToContainerHeight(double px) const {
    return px * platform::Screen::twipsPerPixelY();
}

QNetworkAccessManager *AniGifHost::manager() {
    if (!m_manager) m_manager = std::make_unique<QNetworkAccessManager>();
    return m_manager.get();
}

bool AniGifHost::startAsyncRead(const QString &path, const QString &propertyName, Progress progress,
                                Complete complete) {
    QUrl url(path);
    if (url.scheme().isEmpty() || QFileInfo(path).isAbsolute()) url = QUrl::fromLocalFile(path);
    if (!url.isValid()) return false;
    cancelAsyncRead(propertyName);
    QNetworkRequest request(url);
    // A cached copy serves when the network fails.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
    QNetworkReply *reply = manager()->get(request);
    if (!reply) return false;
    m_reads.insert(propertyName, reply);
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [this, reply, propertyName, progress, complete]() {
                         if (m_reads.value(propertyName) == reply) m_reads.remove(propertyName);
                         reply->deleteLater();
                         if (reply->error() != QNetworkReply::NoError) {
                             if (progress) progress(0);
                             return;
                         }
                         if (complete) complete(reply->readAll());
                     });
    return true;
}

void AniGifHost::cancelAsyncRead(const QString &propertyName) {
    QNetworkReply *r = m_reads.take(propertyName);
    if (!r) return;
    r->disconnect();
    r->abort();
    r->deleteLater();
}

} // namespace anigif
