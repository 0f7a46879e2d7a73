// Catalogue requests and downloads through a real tinyproxy that wants a user
// name and password.

#include "CatalogueFixture.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueProtocol.h"
#include "panel/ConnectionFrame.h"
#include "settings/ProxyFiles.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <sys/prctl.h>

#include <csignal>

using namespace cattest;

namespace {

class Tinyproxy {
public:
    ~Tinyproxy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(1000);
        }
    }

    bool start(const QString &user, const QString &password)
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return false;
        m_port = probe.serverPort();
        probe.close();
        QFile conf(m_dir.filePath(QStringLiteral("tinyproxy.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write(QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                                  "BasicAuth %2 %3\nLogFile \"%4\"\nLogLevel Info\n"
                                  "Allow 127.0.0.1\n")
                       .arg(m_port)
                       .arg(user, password, logPath())
                       .toUtf8());
        conf.close();
        // The proxy ends with the test, however the test ends.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"),
                                                      conf.fileName()});
        if (!m_process.waitForStarted(3000))
            return false;
        // Ready once it accepts connections.
        for (int i = 0; i < 100; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_port);
            if (s.waitForConnected(100))
                return true;
            QThread::msleep(30);
        }
        return false;
    }
    quint16 port() const { return m_port; }
    QString logPath() const { return m_dir.filePath(QStringLiteral("tinyproxy.log")); }
    QByteArray log() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

class ProxyTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(proxy.start(QStringLiteral("alice"), QStringLiteral("s3cret")));
        form->catalogueAddress = server.catalogueAddress();
    }
    void useProxy(const QString &address, const QString &port, const QString &password)
    {
        ConnectionFrame *f = form->Frame_Select_Connection;
        f->Proxy->click();
        f->Proxy_Address->setText(address);
        f->Proxy_Port->setText(port);
        f->Proxy_Username->setText(QStringLiteral("alice"));
        f->Proxy_Password->setText(password);
        form->proxyFiles->ApplyProxySettings();
    }

    TestServer server;
    Tinyproxy proxy;
};

TEST_F(ProxyTest, RequestsAndDownloadsGoThroughTheProxy)
{
    useProxy(QStringLiteral("127.0.0.1:%1").arg(proxy.port()), QStringLiteral("1"),
             QStringLiteral("s3cret"));
    const QString query = catalogue::idsQuery(catalogue::ClientValues::of(*form));
    EXPECT_TRUE(form->catalogue->RequestCatalogue(form->catalogueAddress + query,
                                                  catalogue::KindIds));
    EXPECT_EQ(form->listIdUrl[1], 205);
    EXPECT_TRUE(proxy.log().contains(("/public/catalogue?" + query).toLatin1()));

    server.putFile(QStringLiteral("v.txt"), "via proxy");
    const QString local = portable.work(QStringLiteral("v.txt"));
    ASSERT_TRUE(platform::DownloadFile(server.root() + QStringLiteral("/v.txt"), local));
    EXPECT_EQ(portable.read(QStringLiteral("v.txt")), "via proxy");
    EXPECT_TRUE(proxy.log().contains("/v.txt"));
}

// Behind a mandatory proxy the start-up version check arrives too: the
// connection clock applies the stored proxy before it asks the web site.
TEST_F(ProxyTest, StartUpVersionCheckGoesThroughTheStoredProxy)
{
    writeStartFiles();
    ProxyFields fields;
    fields.address = QStringLiteral("127.0.0.1");
    fields.port = QString::number(proxy.port());
    fields.username = QStringLiteral("alice");
    fields.password = QStringLiteral("s3cret");
    fields.enabled = true;
    portable.write(QStringLiteral("Cirrolith4_Proxy.dat"), formatProxyFile(fields));
    server.putFile(QStringLiteral("currentversion.html"), "0.0.1");
    form->releaseTimers();
    form->generalClock.fire();
    form->generalClock.setEnabled(false);
    EXPECT_TRUE(pumpUntil([&] { return proxy.log().contains("/currentversion.html"); }));
}

TEST_F(ProxyTest, PortBoxServesAnAddressWithoutPort)
{
    useProxy(QStringLiteral("127.0.0.1"), QString::number(proxy.port()), QStringLiteral("s3cret"));
    EXPECT_TRUE(form->catalogue->RequestCatalogue(
        form->catalogueAddress + catalogue::idsQuery(catalogue::ClientValues::of(*form)),
        catalogue::KindIds));
    EXPECT_EQ(form->listIdUrl[0], 101);
}

TEST_F(ProxyTest, WrongPasswordNeverReachesTheServer)
{
    useProxy(QStringLiteral("127.0.0.1:%1").arg(proxy.port()), QString(),
             QStringLiteral("wrong"));
    form->listIdUrl[0] = 42;
    form->catalogue->RequestCatalogue(
        form->catalogueAddress + catalogue::idsQuery(catalogue::ClientValues::of(*form)),
        catalogue::KindIds);
    EXPECT_EQ(form->listIdUrl[0], 42);
    EXPECT_FALSE(platform::DownloadFile(server.root() + QStringLiteral("/none.txt"),
                                        portable.work(QStringLiteral("none.txt"))));
    EXPECT_TRUE(server.targets().isEmpty());
}

} // namespace
