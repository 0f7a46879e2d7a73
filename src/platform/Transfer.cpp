#include "platform/Transfer.h"

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Log.h"
#include "platform/TextFile.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace platform {

namespace {
// A test clock sped up a hundredfold would leave a transfer a fraction of a
// second, which a loaded machine misses: no limit falls under two real seconds.
int limitMs(int nominalMs) { return std::max(Clock::toReal(nominalMs), 2000); }
} // namespace

namespace {

// One line a person looking after the screen can act on.
void logDownloadFailure(const QNetworkReply &reply, const QString &why)
{
    qCWarning(lcDownload, "download %s failed: %s", qPrintable(reply.url().toDisplayString()), qPrintable(why));
}

// Catalogue replies are 8-bit text unless the server says it sends UTF-8.
QString decodeBody(const QByteArray &body, QNetworkReply *reply)
{
    const QByteArray type =
        reply->header(QNetworkRequest::ContentTypeHeader).toByteArray().toLower();
    if (type.contains("charset=utf-8"))
        return QString::fromUtf8(body);
    return textfile::fromCp1252(body);
}

void dropReply(QNetworkReply *reply)
{
    if (!reply)
        return;
    reply->disconnect();
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

} // namespace

std::optional<QString> noAnswerReason(QNetworkReply &reply, qint64 received)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto error = reply.error();
    if (error == QNetworkReply::TooManyRedirectsError || error == QNetworkReply::InsecureRedirectError)
        return QStringLiteral("redirect loop");
    if (!status.isValid())
        return error == QNetworkReply::NoError ? QStringLiteral("no HTTP status") : reply.errorString();
    if (status.toInt() != 200)
        return QStringLiteral("HTTP %1").arg(status.toInt());
    // A compressed body's length counts the bytes on the wire, not the ones
    // read: only a plain body's length can be checked.
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    const bool lengthKnown = length.isValid() && length.toLongLong() >= 0 &&
                             (encoding.isEmpty() || encoding == "identity");
    if (lengthKnown && received < length.toLongLong())
        return QStringLiteral("body cut at %1 of %2 bytes").arg(received).arg(length.toLongLong());
    // A chunked body cut by a close shows only as an error after the status.
    if (error != QNetworkReply::NoError)
        return QStringLiteral("body cut at %1 bytes (%2)").arg(received).arg(reply.errorString());
    return std::nullopt;
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool isWebAddress(const QString &url) { return isWebAddress(QUrl(url, QUrl::TolerantMode)); }

Transfer &Transfer::shared()
{
    static Transfer *instance = nullptr;
    if (!instance) {
        instance = new Transfer;
        // Destroyed with the application so no reply outlives the event loop.
        if (auto *app = QCoreApplication::instance()) {
            QObject::connect(app, &QObject::destroyed, [] {
                delete instance;
                instance = nullptr;
            });
        }
    }
    return *instance;
}

Transfer::Transfer(QObject *parent) : QObject(parent), m_nam(new QNetworkAccessManager(this))
{
    m_nam->setProxy(m_proxy);
    // Credentials are offered once; a proxy that refuses them fails the request
    // instead of asking forever.
    connect(m_nam, &QNetworkAccessManager::proxyAuthenticationRequired, this,
            [this](const QNetworkProxy &, QAuthenticator *auth) {
                if (auth->user().isEmpty() && !m_proxy.user().isEmpty()) {
                    auth->setUser(m_proxy.user());
                    auth->setPassword(m_proxy.password());
                }
            });
}

QNetworkRequest Transfer::makeRequest(const QString &url) const
{
    QNetworkRequest request{QUrl(url, QUrl::TolerantMode)};
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Proxies on the way must not answer from their caches either.
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    return request;
}

void Transfer::Execute(const QString &url, Completion onComplete, Failure onFailure)
{
    cancelRequest();
    const std::uint64_t generation = ++m_generation;
    m_lastUrl = url;
    m_body.clear();
    m_received = 0;
    m_onComplete = std::move(onComplete);
    m_onFailure = std::move(onFailure);

    QNetworkRequest request = makeRequest(url);
    // A server that accepts and then says nothing must not hold the caller
    // forever.
    request.setTransferTimeout(limitMs(kRequestStallMs));
    QNetworkReply *reply = m_nam->get(request);
    m_request = reply;
    // The idle limit above resets with every byte; this one does not.
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, generation] {
        if (generation != m_generation)
            return;
        failRequest(QStringLiteral("no complete reply within %1 s").arg(kRequestTotalMs / 1000));
    });
    deadline->start(limitMs(kRequestTotalMs));
    connect(reply, &QNetworkReply::readyRead, this, [this, reply, generation] {
        if (generation != m_generation)
            return;
        const QByteArray chunk = reply->read(kMaxReplyBytes - m_body.size());
        m_body += chunk;
        m_received += chunk.size();
        // Nothing past the limit is ever used: complete now rather than
        // reading an endless body. Only a 200 gets this far; anything else
        // is no answer whatever its length.
        if (m_body.size() >= kMaxReplyBytes) {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (status.isValid() && status.toInt() == 200)
                finishRequest();
            else
                failRequest(status.isValid() ? QStringLiteral("HTTP %1").arg(status.toInt())
                                             : QStringLiteral("no HTTP status"));
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, generation] {
        if (generation != m_generation)
            return;
        const QByteArray chunk = reply->read(kMaxReplyBytes - m_body.size());
        m_body += chunk;
        m_received += chunk.size();
        if (const auto why = noAnswerReason(*reply, m_received))
            failRequest(*why);
        else
            finishRequest();
    });
}

void Transfer::failRequest(const QString &reason)
{
    QNetworkReply *reply = m_request.data();
    Failure failed = std::move(m_onFailure);
    m_request = nullptr;
    m_onComplete = nullptr;
    m_onFailure = nullptr;
    m_body.clear();
    ++m_generation;
    dropReply(reply);
    if (failed)
        failed(reason);
}

void Transfer::finishRequest()
{
    QNetworkReply *reply = m_request.data();
    Completion done = std::move(m_onComplete);
    m_onComplete = nullptr;
    m_onFailure = nullptr;
    m_request = nullptr;
    ++m_generation;   // nothing more from this reply may arrive
    const QString text = reply ? decodeBody(m_body, reply) : QString();
    m_body.clear();
    dropReply(reply);
    if (done)
        done(text);
}

void Transfer::cancelRequest()
{
    ++m_generation;
    dropReply(m_request.data());
    m_request = nullptr;
    m_onComplete = nullptr;
    m_onFailure = nullptr;
    m_body.clear();
}

bool Transfer::download(const QString &url, const QString &localFile)
{
    if (!QCoreApplication::instance())
        return false;
    auto outcome = std::make_shared<std::optional<bool>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    startDownload(url, localFile, [outcome, waiting](bool ok) {
        *outcome = ok;
        if (waiting)
            waiting->quit();
    });
    // The download ends itself on a stall or when the program quits. Once the
    // program is ending, every event loop returns at once, so the wait does
    // not go on either: the transfer is then dropped with its temporary file.
    while (!outcome->has_value() && !EventPump::quitRequested())
        loop.exec();
    return outcome->value_or(false);
}

void Transfer::downloadInBackground(const QString &url, const QString &localFile,
                                    DownloadDone done)
{
    startDownload(url, localFile, std::move(done));
}

void Transfer::startDownload(const QString &url, const QString &localFile, DownloadDone done)
{
    const QUrl address(url, QUrl::TolerantMode);
    // The temporary file is made when the first bytes arrive, so a download
    // that never gets any leaves nothing behind while it waits.
    auto out = std::make_shared<textfile::AtomicFile>(localFile);
    auto opened = std::make_shared<bool>(false);
    if (!isWebAddress(address) || localFile.isEmpty()) {
        if (!localFile.isEmpty())
            qCWarning(lcDownload).noquote() << "address refused, not http or https:" << url.left(200);
        QTimer::singleShot(0, this, [done] { done(false); });
        return;
    }
    QNetworkReply *reply = m_nam->get(makeRequest(url));
    // Given up when nothing arrives for kDownloadStallMs, when it is not
    // complete within kDownloadTotalMs, above kMaxDownloadBytes, or when the
    // program quits.
    auto *stall = new QTimer(reply);
    stall->setSingleShot(true);
    stall->setInterval(limitMs(kDownloadStallMs));
    auto *deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    deadline->setInterval(limitMs(kDownloadTotalMs));
    auto *quitWatch = new QTimer(reply);
    quitWatch->setInterval(100);
    auto failed = std::make_shared<bool>(false);
    auto received = std::make_shared<qint64>(0);

    auto take = [reply, out, opened, failed, received] {
        if (!reply->isOpen())   // aborted: nothing more to read
            return;
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty() || *failed)
            return;
        *received += chunk.size();
        if (!*opened)
            *opened = out->open();
        if (!*opened || *received > kMaxDownloadBytes || !out->write(chunk)) {
            *failed = true;
            reply->abort();
        }
    };
    auto giveUp = [reply, failed] {
        *failed = true;
        reply->abort();
    };
    connect(reply, &QNetworkReply::readyRead, reply, [take, stall] {
        take();
        stall->start();
    });
    connect(stall, &QTimer::timeout, reply, giveUp);
    connect(deadline, &QTimer::timeout, reply, [giveUp, url] {
        qCWarning(lcDownload).noquote()
            << "download given up: not complete within" << kDownloadTotalMs / 1000 << "s:" << url.left(200);
        giveUp();
    });
    connect(quitWatch, &QTimer::timeout, reply, [giveUp] {
        if (EventPump::quitRequested())
            giveUp();
    });
    connect(reply, &QNetworkReply::finished, this, [reply, out, opened, failed, received, take, done] {
        take();
        // The same rule as for catalogue replies: a 200 with its whole body.
        const std::optional<QString> why =
            *failed ? std::optional<QString>(QStringLiteral(
                          "given up (no data in time, too large, not writable, or quitting)"))
                    : noAnswerReason(*reply, *received);
        bool ok = !why;
        if (why)
            logDownloadFailure(*reply, *why);
        reply->disconnect();
        // Its limits end with it: none may fire before it is gone.
        for (QTimer *limit : reply->findChildren<QTimer *>())
            limit->stop();
        reply->deleteLater();
        if (ok && !*opened)   // an empty body is an empty file
            ok = *opened = out->open();
        if (ok)
            ok = out->commit();
        else
            out->cancel();   // the temporary file goes, localFile stays as it was
        done(ok);
    });
    stall->start();
    deadline->start();
    quitWatch->start();
}

void Transfer::setProxy(const QString &host, quint16 port, const QString &user,
                        const QString &password)
{
    if (host.isEmpty()) {
        clearProxy();
        return;
    }
    m_proxy = QNetworkProxy(QNetworkProxy::HttpProxy, host, port, user, password);
    m_nam->setProxy(m_proxy);
    // Connections opened through the old settings must not be reused.
    m_nam->clearConnectionCache();
    m_nam->clearAccessCache();
}

void Transfer::clearProxy()
{
    m_proxy = QNetworkProxy(QNetworkProxy::NoProxy);
    m_nam->setProxy(m_proxy);
    m_nam->clearConnectionCache();
    m_nam->clearAccessCache();
}

void Transfer::closeConnections()
{
    m_nam->clearConnectionCache();
}

bool Transfer::connected() const
{
    if (m_connectedOverride)
        return *m_connectedOverride;

    // NetworkManager's word when it runs. Not the GLib backend: it loads GIO and
    // its modules for good, megabytes a small board keeps, to tell what the
    // interfaces below tell too.
    static const bool haveBackend = QNetworkInformation::loadBackendByName(u"networkmanager");
    if (haveBackend) {
        if (const auto *info = QNetworkInformation::instance()) {
            const auto reach = info->reachability();
            if (reach != QNetworkInformation::Reachability::Unknown)
                return reach != QNetworkInformation::Reachability::Disconnected;
        }
    }
    // No usable backend: an interface that is up, running and not the
    // loopback. Listing them asks the kernel for every link and address, too
    // dear for each tick of the connection clock.
    if (m_interfacesAsked.isValid() && !m_interfacesAsked.hasExpired(kInterfacesMs))
        return m_interfacesUp;
    m_interfacesAsked.start();
    m_interfacesUp = false;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) &&
            flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack) && !iface.addressEntries().isEmpty()) {
            m_interfacesUp = true;
            break;
        }
    }
    return m_interfacesUp;
}

bool DownloadFile(const QString &url, const QString &localFile)
{
    return Transfer::shared().download(url, localFile);
}

} // namespace platform
