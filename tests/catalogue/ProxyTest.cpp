// Catalogue requests and downloads through a real tinyproxy that wants a user
// name and password.

#include "CatalogueFixture.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueProtocol.h"
#include "panel/ConnectionFrame.h"
#include "settings/ProxyFiles.h"
#include "support/Tinyproxy.h"


using namespace cattest;

namespace {

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
