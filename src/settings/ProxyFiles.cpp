#include "settings/ProxyFiles.h"

#include "platform/TextFile.h"
#include "platform/Transfer.h"
#include "state/AppState.h"
#include "state/DiagnosticsSink.h"

#include <QFile>
#include <QUrl>

namespace tf = platform::textfile;

QString Invert_Password_Chars(const QString &text)
{
    QByteArray bytes = tf::toCp1252(text);
    for (char &c : bytes)
        c = static_cast<char>(255 - static_cast<unsigned char>(c));
    return tf::fromCp1252(bytes);
}

QByteArray formatProxyFile(const ProxyFields &fields)
{
    tf::Writer out;
    if (fields.enabled) {
        out.line(fields.address)
            .line(fields.port)
            .line(fields.username)
            .line(Invert_Password_Chars(fields.password))
            .line(QStringLiteral("1"));
    } else {
        out.line().line().line().line().line(QStringLiteral("0"));
    }
    return out.bytes();
}

ProxyFileContent parseProxyFile(const QByteArray &bytes)
{
    ProxyFileContent content;
    tf::LineReader reader(bytes);
    content.address = reader.next();
    content.port = content.address ? reader.next() : std::nullopt;
    content.username = content.port ? reader.next() : std::nullopt;
    content.password = content.username ? reader.next() : std::nullopt;
    if (content.password) {
        content.password = Invert_Password_Chars(*content.password);
        const auto flag = reader.next();
        content.enabled = flag && *flag == QLatin1String("1");
    }
    return content;
}

ProxyEndpoint proxyEndpoint(const QString &address, const QString &portText)
{
    ProxyEndpoint endpoint;
    bool portOk = false;
    const int boxPort = portText.trimmed().toInt(&portOk);
    if (portOk && boxPort > 0 && boxPort <= 65535)
        endpoint.port = static_cast<std::uint16_t>(boxPort);

    const QString text = address.trimmed();
    if (text.isEmpty())
        return endpoint;
    const QUrl url = QUrl::fromUserInput(text.contains(QLatin1String("://"))
                                             ? text
                                             : QStringLiteral("http://") + text);
    if (!url.isValid() || url.host().isEmpty()) {
        endpoint.host = text;
        return endpoint;
    }
    endpoint.host = url.host();
    if (url.port() > 0)
        endpoint.port = static_cast<std::uint16_t>(url.port());
    return endpoint;
}

QString ProxyFiles::proxyPath() const { return s.workDirPrefix + QLatin1String(kProxyFileName); }
QString ProxyFiles::backupPath() const { return s.workDirPrefix + QLatin1String(kProxyBackupName); }

void ProxyFiles::ReadProxyFile() { readInto(proxyPath()); }

void ProxyFiles::ReadProxyBackup()
{
    if (QFile::exists(backupPath()))
        readInto(backupPath());
}

void ProxyFiles::WriteProxyFile() { writeTo(proxyPath()); }
void ProxyFiles::WriteProxyBackup() { writeTo(backupPath()); }

void ProxyFiles::readInto(const QString &path)
{
    // A missing or unreadable file reads as an empty one: direct connection.
    const ProxyFileContent content = parseProxyFile(tf::readAll(path).value_or(QByteArray()));
    hooks.showProxyFields(content);
}

ProxyFields ProxyFiles::current() const
{
    ProxyFields fields = hooks.typedProxyFields();
    fields.enabled = s.Proxy_Enabled;
    return fields;
}

void ProxyFiles::writeTo(const QString &path)
{
    // After a confirmed reset the files it removed stay removed.
    if (s.restartPending)
        return;
    // The password can be recovered from the file: owner only.
    tf::writeIfChanged(path, formatProxyFile(current()), nullptr, {.privateToOwner = true});
}

void ProxyFiles::ApplyProxySettings()
{
    platform::Transfer &transfer = platform::Transfer::shared();
    const ProxyFields fields = current();
    if (fields.enabled) {
        const ProxyEndpoint endpoint = proxyEndpoint(fields.address, fields.port);
        transfer.setProxy(endpoint.host, endpoint.port, fields.username, fields.password);
    } else {
        transfer.clearProxy();
    }
    showInDiagnostics(transfer.proxy());
    s.Wait_Type_Connection = true;
    WriteProxyFile();
    WriteProxyBackup();
}

void ProxyFiles::showInDiagnostics(const QNetworkProxy &proxy)
{
    if (!diagnostics)
        return;
    const bool used = !proxy.hostName().isEmpty();
    diagnostics->showProxy(proxy.hostName(), used ? QString::number(proxy.port()) : QString(), proxy.user(),
                           proxy.password());
}

void ProxyFiles::LoadProxySettings()
{
    if (!QFile::exists(proxyPath())) {
        // After a reset the last settings come back from the backup; the user
        // confirms them once.
        ReadProxyBackup();
        if (!hooks.askConnectionType())
            return;   // closed unanswered: no proxy file is made up
    } else {
        ReadProxyFile();
    }
    ApplyProxySettings();
}
