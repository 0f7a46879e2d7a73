#include "panel/ConnectionFrame.h"

#include "catalogue/Catalogue.h"
#include "panel/PanelContext.h"
#include "settings/ProxyFiles.h"

#include <QLabel>

namespace {
constexpr float kMargin = 240;
constexpr float kRow = 360;
constexpr float kBoxLeft = 2040;
constexpr float kBoxWidth = 4500;
constexpr float kBoxHeight = 315;
constexpr float kButtonTop = 2940;
constexpr float kButtonHeight = 435;
} // namespace

ConnectionFrame::ConnectionFrame(PanelContext &context, QWidget *parent)
    : platform::Vb<QGroupBox>(QStringLiteral("Frame_Select_Connection"), parent,
                              QStringLiteral("Connection")),
      w(context)
{
    setAutoFillBackground(true);
    Move(0, 0, kWidth, kHeight);

    No_Proxy = new platform::Vb<QRadioButton>(
        QStringLiteral("No_Proxy"), this,
        QStringLiteral("Connect to Internet through Adsl, Wi-Fi, Modem"));
    No_Proxy->Move(kMargin, 330, kWidth - 2 * kMargin, kBoxHeight);
    Proxy = new platform::Vb<QRadioButton>(
        QStringLiteral("Proxy"), this,
        QStringLiteral("Connect to Internet through Proxy Server - Lan"));
    Proxy->Move(kMargin, 330 + kRow, kWidth - 2 * kMargin, kBoxHeight);

    struct Field {
        platform::Vb<QLineEdit> **box;
        const char *name;
        const char *caption;
        const char *designText;
    };
    const Field fields[] = {
        {&Proxy_Address, "Proxy_Address", "Address", "proxy.example.com"},
        {&Proxy_Port, "Proxy_Port", "Port", "80"},
        {&Proxy_Username, "Proxy_Username", "Username", "username"},
        {&Proxy_Password, "Proxy_Password", "Password", "password"},
    };
    float top = 330 + 2 * kRow + 120;
    for (const Field &f : fields) {
        auto *caption = new platform::Label(QString::fromLatin1(f.name) + QStringLiteral("Caption"), this);
        caption->setText(QString::fromLatin1(f.caption));
        caption->Move(kMargin + 240, top, kBoxLeft - kMargin - 300, kBoxHeight);
        *f.box = new platform::Vb<QLineEdit>(QString::fromLatin1(f.name), this);
        (*f.box)->setText(QString::fromLatin1(f.designText));
        (*f.box)->Move(kBoxLeft, top, kBoxWidth - 240, kBoxHeight);
        top += kRow + 60;
    }
    Proxy_Password->setEchoMode(QLineEdit::Password);
    Proxy_Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));   // "*"

    Connection = new platform::Vb<QPushButton>(QStringLiteral("Connection"), this,
                                               QStringLiteral("Modif. Connection"));
    Connection->Move(kMargin, kButtonTop, 2000, kButtonHeight);
    TestReadProxy = new platform::Vb<QPushButton>(QStringLiteral("TestReadProxy"), this,
                                                  QStringLiteral("Test Read Proxy"));
    TestReadProxy->Move(kMargin + 2120, kButtonTop, 2000, kButtonHeight);
    Connection_Selected = new platform::Vb<QPushButton>(QStringLiteral("Connection_Selected"),
                                                        this, QStringLiteral("OK - GO!"));
    Connection_Selected->Move(kWidth - kMargin - 1800, kButtonTop, 1800, kButtonHeight);
    Connection_Selected->hide();

    connect(No_Proxy, &QRadioButton::clicked, this, [this] { No_Proxy_Click(); });
    connect(Proxy, &QRadioButton::clicked, this, [this] { Proxy_Click(); });
    connect(Connection_Selected, &QPushButton::clicked, this,
            [this] { Connection_Selected_Click(); });
    connect(Connection, &QPushButton::clicked, this, [this] { Connection_Click(); });
    connect(TestReadProxy, &QPushButton::clicked, this, [this] { TestReadProxy_Click(); });
}

void ConnectionFrame::enableProxyBoxes(bool on)
{
    for (QLineEdit *box : {Proxy_Address, Proxy_Port, Proxy_Username, Proxy_Password})
        box->setEnabled(on);
}

void ConnectionFrame::No_Proxy_Click()
{
    enableProxyBoxes(false);
    Connection_Selected->show();
    w.state.Proxy_Enabled = false;
}

void ConnectionFrame::Proxy_Click()
{
    enableProxyBoxes(true);
    Connection_Selected->show();
    w.state.Proxy_Enabled = true;
}

void ConnectionFrame::selectOption(bool proxy)
{
    if (proxy) {
        Proxy->setChecked(true);
        Proxy_Click();
    } else {
        No_Proxy->setChecked(true);
        No_Proxy_Click();
    }
}

void ConnectionFrame::Connection_Selected_Click()
{
    hide();
    w.state.Wait_Type_Connection = true;
}

void ConnectionFrame::Connection_Click() { w.catalogue->ReconfigureConnection(); }

void ConnectionFrame::TestReadProxy_Click() { w.proxyFiles->ReadProxyFile(); }
