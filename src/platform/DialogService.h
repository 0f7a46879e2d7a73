#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace platform {

enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, RetryCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgResult { OK, Cancel, Yes, No, Retry };

// An open-file request: the dialog's title, the starting folder and the filter
// pairs ("JPG files", "*.jpg"). An empty answer means the user cancelled.
struct OpenFileRequest {
    QString title;
    QString folder;
    QStringList filterNames;
    QStringList filterPatterns;
};

// Every message box and file dialog of the program goes through one service so
// that tests can answer them and check what the user would have read.
class DialogService {
public:
    virtual ~DialogService() = default;

    // The caption used when a message gives no title of its own.
    static QString defaultTitle();

    virtual MsgResult MsgBox(const QString &text, MsgButtons buttons = MsgButtons::OK,
                             MsgIcon icon = MsgIcon::None, const QString &title = QString()) = 0;
    virtual QString ShowOpenFile(const OpenFileRequest &request) = 0;

    // A message on the unattended slideshow's path: OK only, and it closes by
    // itself after nominalMs, so nobody has to be there to click it.
    virtual void Notice(const QString &text, MsgIcon icon, const QString &title, int nominalMs) = 0;

    static DialogService &current();
    // Installs a service (not owned); nullptr goes back to the interactive one.
    static void install(DialogService *service);
};

// Qt dialogs, modal; timers keep running while they are up.
class InteractiveDialogs : public DialogService {
public:
    MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString ShowOpenFile(const OpenFileRequest &request) override;
    void Notice(const QString &text, MsgIcon icon, const QString &title, int nominalMs) override;
};

// Answers from a script and records everything shown.
class ScriptedDialogs : public DialogService {
public:
    struct Shown {
        QString text;
        QString title;
        MsgButtons buttons;
        MsgIcon icon;
        MsgResult answer;
        int closesAfterMs = 0;   // a notice that closes by itself; 0 waits for a click
    };

    // Queued answers are used in order; when none is queued the first button
    // (OK or Yes) is taken, which is what pressing Enter does.
    void answer(MsgResult result) { m_answers.push_back(result); }
    void answerFile(const QString &path) { m_files.push_back(path); }

    MsgResult MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title) override;
    QString ShowOpenFile(const OpenFileRequest &request) override;
    void Notice(const QString &text, MsgIcon icon, const QString &title, int nominalMs) override;

    const std::vector<Shown> &shown() const { return m_shown; }
    const std::vector<OpenFileRequest> &fileRequests() const { return m_fileRequests; }
    QStringList texts() const;
    void clear() { m_shown.clear(); m_fileRequests.clear(); }

    // Called while a message is "up", as a modal dialog would process events.
    std::function<void(const Shown &)> onShow;

private:
    std::deque<MsgResult> m_answers;
    std::deque<QString> m_files;
    std::vector<Shown> m_shown;
    std::vector<OpenFileRequest> m_fileRequests;
};

// Installs a scripted service for the lifetime of a scope.
class ScopedDialogs {
public:
    explicit ScopedDialogs(DialogService *service) { DialogService::install(service); }
    ~ScopedDialogs() { DialogService::install(nullptr); }
    ScopedDialogs(const ScopedDialogs &) = delete;
    ScopedDialogs &operator=(const ScopedDialogs &) = delete;
};

} // namespace platform
