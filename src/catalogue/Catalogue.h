#pragma once

#include <QString>

#include <cstdint>
#include <memory>

class FormPicture;

// The exchange with the catalogue server: requests and their replies, the
// connection clock that waits for the server at start-up, the synchronisation
// of the catalogue lists, the connection icon and question, the version check
// and the collections update.
class Catalogue {
public:
    // While waiting for a reply the window keeps running; this is how often
    // the wait looks (nominal ms).
    static constexpr int kReplyPollMs = 200;

    explicit Catalogue(FormPicture &form);
    ~Catalogue();

    // Sends one request and waits for its reply, then stores the items by
    // kind. False when the reply holds an "ERR" item, or when the program is
    // quitting before the reply came.
    bool RequestCatalogue(const QString &address, int kind);
    // RequestCatalogue, but a server that does not answer at all is asked
    // again until it answers (or the program closes). False for a reply with
    // an "ERR" item, or when closing.
    bool RequestUntilAnswered(const QString &address, int kind);
    // The last request got no reply at all (network failure, or closing).
    bool lastRequestUnanswered() const { return m_lastNoAnswer; }
    // Starts a GET of the address without waiting; its reply sets replyText
    // and replyReady.
    void startRequest(const QString &address);

    void SyncCatalogue(int mode);
    void generalClock_Timer();

    bool connActive() const;
    void ShowConnectionState();
    // True when the user chose; false when the program is closing instead.
    bool AskConnectionType();
    void ReconfigureConnection();

    void CheckVersion();
    // The same check without waiting: returns at once, and the version file
    // is read when it has arrived.
    void CheckVersionInBackground();
    void DownloadCollections();

    // Scheme, host and port of the catalogue address: where the version
    // file and the collections package lie.
    QString webRoot() const;

    // The bar while the server is awaited: wait, quit and reset only.
    void showWaitingBar();

private:
    bool giveUpWaiting() const;
    void connectionTick();
    void takeVersionFile(const QString &versionFile);
    void showReadyBar();

    FormPicture &w;
    // Numbers each request; a reply carries its request's number so a wait
    // never takes another request's reply for its own.
    std::uint64_t m_ticket = 0;
    std::uint64_t m_replyTicket = 0;
    bool m_replyFailed = false;   // the last reply was no answer at all
    bool m_versionChecked = false;
    bool m_lastNoAnswer = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
