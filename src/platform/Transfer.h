#pragma once

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;

namespace platform {

// All network traffic of the program: catalogue requests, file downloads, the
// proxy in use and whether the machine is online. One instance per process, so
// requests and downloads share the proxy settings.
class Transfer : public QObject {
    Q_OBJECT
public:
    // A reply body is cut at this length.
    static constexpr qsizetype kMaxReplyBytes = 200000;
    // A download that receives nothing for this long (nominal ms) is given up.
    static constexpr int kDownloadStallMs = 30000;
    // However data keeps coming, a download is given up after this long in
    // all (nominal ms): a host trickling a byte now and then must not hold
    // the slide set.
    static constexpr int kDownloadTotalMs = 60000;
    // A download larger than this fails instead of filling the disk.
    static constexpr qint64 kMaxDownloadBytes = 128LL * 1024 * 1024;

    // A request that receives nothing for this long (nominal ms) has failed.
    // A catalogue reply is made from memory in an instant: a server silent
    // this long is not there, and the show must not wait on it longer.
    static constexpr int kRequestStallMs = 15000;
    // A request without its complete reply after this long in all (nominal
    // ms) has failed, however data keeps coming.
    static constexpr int kRequestTotalMs = 30000;

    using Completion = std::function<void(const QString &body)>;
    // Why there was no answer, in a few words for the log ("HTTP 503",
    // "body cut at 1200 of 5000 bytes", "Connection refused").
    using Failure = std::function<void(const QString &reason)>;
    using DownloadDone = std::function<void(bool ok)>;

    static Transfer &shared();

    // Starts a GET and returns at once. onComplete runs once, from the event
    // loop, when the answer has arrived: a 200 with its whole body (cut at
    // kMaxReplyBytes). Anything else is no answer and runs onFailure instead,
    // once: refused, reset, unreachable, nothing received for
    // kRequestStallMs, no complete reply within kRequestTotalMs, any other
    // HTTP status (a front end's or a proxy's error page, a redirect loop),
    // or a body cut short of its length. Without onFailure it never completes.
    // Starting a request abandons the one still in flight: its late reply is
    // dropped.
    void Execute(const QString &url, Completion onComplete, Failure onFailure = {});
    // Abandons the request in flight, if any.
    void cancelRequest();
    bool requestInFlight() const { return !m_request.isNull(); }
    // The address of the last request started.
    QString lastUrl() const { return m_lastUrl; }

    // Blocking download for the caller, while window events keep being
    // processed. Always fetched from the network, never from a cache. True
    // only when the whole body of a successful response has been written to
    // localFile; on failure an existing localFile is left as it was.
    // Gives up when no data arrives for kDownloadStallMs, when the whole body
    // has not arrived within kDownloadTotalMs, or when the program quits.
    // Only http and https addresses are fetched (see isWebAddress).
    bool download(const QString &url, const QString &localFile);
    // The same download without waiting: returns at once, and done runs once
    // from the event loop with the outcome. Used where nothing may wait, as
    // during start-up.
    void downloadInBackground(const QString &url, const QString &localFile, DownloadDone done);

    // Proxy used by every later request and download; an empty host means a
    // direct connection.
    void setProxy(const QString &host, quint16 port, const QString &user,
                  const QString &password);
    void clearProxy();
    QNetworkProxy proxy() const { return m_proxy; }

    // Closes the connections kept open for reuse, e.g. before a server the
    // program talked to goes away.
    void closeConnections();

    // True when the machine reports a usable network connection. Without
    // NetworkManager the interfaces are looked at once in kInterfacesMs.
    bool connected() const;
    static constexpr int kInterfacesMs = 5000;
    // Tests only: force the connection state (nullopt goes back to the real one).
    void overrideConnected(std::optional<bool> state) { m_connectedOverride = state; }

private:
    explicit Transfer(QObject *parent = nullptr);
    QNetworkRequest makeRequest(const QString &url) const;
    void startDownload(const QString &url, const QString &localFile, DownloadDone done);
    void finishRequest();
    void failRequest(const QString &reason);

    QNetworkAccessManager *m_nam;
    QNetworkProxy m_proxy{QNetworkProxy::NoProxy};
    QPointer<QNetworkReply> m_request;
    QByteArray m_body;
    qint64 m_received = 0;   // bytes of the body read, whether kept or not
    Completion m_onComplete;
    Failure m_onFailure;
    std::uint64_t m_generation = 0;
    QString m_lastUrl;
    std::optional<bool> m_connectedOverride;
    mutable QElapsedTimer m_interfacesAsked;
    mutable bool m_interfacesUp = false;
};

// Why a finished reply is no answer, or nothing when it is one: a 200
// whose body arrived whole (received bytes against its Content-Length).
std::optional<QString> noAnswerReason(QNetworkReply &reply, qint64 received);

// True for the addresses the program fetches: http or https with a host.
// Catalogue replies may name anything; file:, data:, qrc: and the like would
// read the user's own files, so they are never fetched.
bool isWebAddress(const QUrl &url);
bool isWebAddress(const QString &url);

// The program's download entry point: Transfer::shared().download(url, localFile).
bool DownloadFile(const QString &url, const QString &localFile);

} // namespace platform
