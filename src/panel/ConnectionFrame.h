#pragma once

#include "platform/Controls.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

struct PanelContext;

// The connection frame: direct connection or a proxy server with its address,
// port, user name and password. Shown over the panel while the program waits
// for the user's choice.
class ConnectionFrame : public platform::Vb<QGroupBox> {
    Q_OBJECT
public:
    static constexpr float kWidth = 6855;
    static constexpr float kHeight = 3615;

    ConnectionFrame(PanelContext &context, QWidget *parent);

    platform::Vb<QRadioButton> *No_Proxy;
    platform::Vb<QRadioButton> *Proxy;
    platform::Vb<QLineEdit> *Proxy_Address;
    platform::Vb<QLineEdit> *Proxy_Port;
    platform::Vb<QLineEdit> *Proxy_Username;
    platform::Vb<QLineEdit> *Proxy_Password;
    platform::Vb<QPushButton> *Connection_Selected;
    platform::Vb<QPushButton> *Connection;
    platform::Vb<QPushButton> *TestReadProxy;

    void No_Proxy_Click();
    void Proxy_Click();
    void Connection_Selected_Click();
    void Connection_Click();
    void TestReadProxy_Click();

    // Selects an option as a click on it would.
    void selectOption(bool proxy);

private:
    void enableProxyBoxes(bool on);

    PanelContext &w;
};
