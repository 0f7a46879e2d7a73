#pragma once

#include "platform/ScreenPower.h"
#include "remote/RemoteProtocol.h"

#include <QString>

class FormPicture;
class QWidget;

// What the remote control asks of the program. Requests are queued in the
// state beside the keys and carried out by the run control between ticks;
// the state message is read from here.
class RemoteRequests {
public:
    explicit RemoteRequests(FormPicture &form);
    ~RemoteRequests();

    // Connects the remote control, when the environment names a broker.
    void startRemote();

    // Called by the run control between ticks. True when something was done.
    bool carryOut();

    // Empty when the request is queued, else why it is refused.
    QString command(remote::Command command);
    QString loadCollection(const QString &path);
    QString setSlideSeconds(int seconds);

    remote::StateSnapshot snapshot();

private:
    QString refusal() const;
    void setScreenOff(bool off);
    void showCollection(const QString &path);
    void applySlideSeconds(int seconds);

    FormPicture &w;
    QWidget *m_black = nullptr;
    bool m_animationWasVisible = false;
    platform::ScreenPower m_power;
    QString m_lastUpdateSeen;
    QString m_refreshed;
};
