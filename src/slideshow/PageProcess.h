#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

class QProcess;

// The page helper of one capture, as the capture drives it. Nothing here
// waits: answers arrive through the event loop while the capture's own waits
// run it.
class PageProcess {
public:
    enum class Grab { None, Pending, Saved, Blank, NotSaved };

    PageProcess();
    ~PageProcess();   // a helper still running is killed

    // The helper beside the program, where the package puts it, or in the
    // build tree; empty when there is none.
    static QString program();

    // Starts the helper on address; loaded(ok) comes with every completion
    // the page reports. False when it cannot be started.
    bool start(const QString &address, const QString &bitmap, const QRect &geometry, const QSize &grabSize,
               bool silent, std::function<void(bool)> loaded);
    bool running() const;
    qint64 processId() const;

    void show();
    void raise();
    // Asks for the bitmap; grab() tells how it went once the answer is in.
    void requestGrab(bool onlyIfDrawn);
    Grab grab() const { return m_grab; }

    // Asks the helper to end; it hides its window and ends its engine.
    void finish();
    // Ends the helper and every process it started, at once.
    void kill();

private:
    void send(const char *command);
    void readAnswers();

    std::unique_ptr<QProcess> m_process;
    QByteArray m_pending;
    std::function<void(bool)> m_loaded;
    Grab m_grab = Grab::None;
};
