#pragma once

#include <QString>

// What the subsystems below the diagnostic windows write into them. The
// diagnostics subsystem implements it; the status window exists in every
// run, shown only in debug mode.
class DiagnosticsSink {
public:
    virtual ~DiagnosticsSink() = default;

    // Writes the list dump again, when the status window's box asks for it.
    virtual void refreshDump() = 0;
    // A catalogue reply arrived (debug mode).
    virtual void replyArrived() = 0;
    // The proxy now in use; an empty host for none.
    virtual void showProxy(const QString &host, const QString &port, const QString &user,
                           const QString &password) = 0;

    // A slide-set build in debug mode lists its entries: the list is cleared,
    // written line by line, and closed with the slide interval it set.
    virtual void slideListCleared() = 0;
    virtual void slideListLine(const QString &line) = 0;
    virtual void slideListDone(int slideIntervalMs) = 0;

    // The address of the slide now on screen.
    virtual void showSlideAddress(const QString &address) = 0;
};
