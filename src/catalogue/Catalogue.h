#pragma once

#include "catalogue/RetrySchedule.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

struct AppState;
struct WindowClocks;
class DiagnosticsSink;
class LanguageFiles;
class ProxyFiles;
class SettingsFiles;
class TownFiles;

// What the catalogue asks of the window and the subsystems above it. Each is
// called where the catalogue needs it, at once.
struct CatalogueHooks {
    // The status line: its text, shown, hidden, put in front of the slide.
    std::function<void(const QString &)> setStatusText;
    std::function<void()> showStatus;
    std::function<void()> hideStatus;
    std::function<void()> statusToFront;
    // The bar while the server is awaited (wait, quit and reset only), and
    // when it has answered.
    std::function<void()> showWaitingBar;
    std::function<void()> showReadyBar;
    // The bar's logo as the portable edition shows it, after a synchronisation.
    std::function<void()> showPortableLogo;
    // The connection sign: connected or not.
    std::function<void(bool)> showConnectionState;
    // The program's own logo as the slide, while the server is awaited.
    std::function<void()> showLogoSlide;
    // Builds the slide set from the catalogue just received (mode as the
    // slide-set builder takes it).
    std::function<bool(int)> buildSlideSet;
    // The credit line's colour when the program is the current version.
    std::function<void()> markProgramCurrent;
    // The connection question: shown over the panel, kept in front while it
    // waits, hidden once answered.
    std::function<void()> showConnectionQuestion;
    std::function<void()> keepConnectionQuestionUp;
    std::function<void()> hideConnectionQuestion;
};

// The exchange with the catalogue server: requests and their replies, the
// connection clock that waits for the server at start-up, the synchronisation
// of the catalogue lists, the connection icon and question, the version check
// and the collections update.
class Catalogue {
public:
    // While waiting for a reply the window keeps running; this is how often
    // the wait looks (nominal ms).
    static constexpr int kReplyPollMs = 200;

    Catalogue(AppState &state, WindowClocks &clocks, SettingsFiles &settings);
    ~Catalogue();

    // Set once, when every subsystem exists.
    void setHooks(CatalogueHooks hooks) { m_hooks = std::move(hooks); }
    void useSettingsFiles(LanguageFiles &language, ProxyFiles &proxy, TownFiles &town);
    void useDiagnostics(DiagnosticsSink &diagnostics) { m_diagnostics = &diagnostics; }

    // Sends one request and waits for its reply, then stores the items by
    // kind. False when the reply holds an "ERR" item, or when the program is
    // quitting before the reply came.
    bool RequestCatalogue(const QString &address, int kind);
    // The last request got no answer (no reply, an error page, a cut body,
    // not sent because the server is not due to be asked yet, or closing).
    bool lastRequestUnanswered() const { return m_lastNoAnswer; }

    // One schedule for asking the server again, shared by the probe, the
    // synchronisation and the panel's requests: true when nothing failed, or
    // when the wait after the last failure is over.
    bool retryDue() const;
    // While the server is unavailable: the status line says so, and when it
    // is asked again.
    void showUnavailable();
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
    // A tick of the connection clock while the server is awaited: the
    // status line, the bar with its quit button and, every ten such ticks,
    // the connection question.
    void waitingTick();
    void noteAnswer();
    void noteNoAnswer(const QString &reason);
    // Nominal ms until the next attempt; 0 when due.
    qint64 msUntilRetry() const;
    void takeVersionFile(const QString &versionFile);
    void showReadyBar();

    AppState &w;
    WindowClocks &m_clocks;
    SettingsFiles &m_settings;
    LanguageFiles *m_languageFiles = nullptr;
    ProxyFiles *m_proxyFiles = nullptr;
    TownFiles *m_townFiles = nullptr;
    DiagnosticsSink *m_diagnostics = nullptr;
    CatalogueHooks m_hooks;
    // Numbers each request; a reply carries its request's number so a wait
    // never takes another request's reply for its own.
    std::uint64_t m_ticket = 0;
    std::uint64_t m_replyTicket = 0;
    bool m_replyFailed = false;   // the last reply was no answer at all
    QString m_failureReason;      // and why
    RetrySchedule m_retry;
    QElapsedTimer m_monotonic;
    qint64 m_retryAtMs = 0;       // real ms on m_monotonic
    bool m_noticeShown = false;   // the status line carries the unavailable notice
    bool m_versionChecked = false;
    bool m_lastNoAnswer = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
