#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct AppState;
class DiagnosticsSink;
class QNetworkProxy;

// "Cirrolith4_Proxy.dat" and its backup "Cirrolith4_Proxy.bak": address,
// port, user name, scrambled password and "1" (proxy) or "0" (direct), one per
// line. A direct connection keeps none of the typed proxy values.
inline constexpr const char *kProxyFileName = "Cirrolith4_Proxy.dat";
inline constexpr const char *kProxyBackupName = "Cirrolith4_Proxy.bak";

struct ProxyFields {
    QString address;
    QString port;
    QString username;
    QString password;   // in clear
    bool enabled = false;
};

// Each character becomes the one whose 8-bit code is 255 minus its own; the
// operation is its own inverse. It only keeps the password from a casual look.
QString Invert_Password_Chars(const QString &text);

QByteArray formatProxyFile(const ProxyFields &fields);

// What a proxy file holds: the lines present (a short file leaves the later
// ones out) and whether line 5 is exactly "1".
struct ProxyFileContent {
    std::optional<QString> address;
    std::optional<QString> port;
    std::optional<QString> username;
    std::optional<QString> password;   // in clear
    bool enabled = false;
};
ProxyFileContent parseProxyFile(const QByteArray &bytes);

// Where requests go: the host and port of a proxy address, which may carry a
// scheme and its own port. Without a port in the address the port box is
// used, and 80 when that is not a port number either.
struct ProxyEndpoint {
    QString host;
    std::uint16_t port = 80;
};
ProxyEndpoint proxyEndpoint(const QString &address, const QString &portText);

// What the proxy settings need of the window above them.
struct ProxyHooks {
    // Puts the values a proxy file holds into the connection question: the
    // lines present, then the choice of proxy or direct.
    std::function<void(const ProxyFileContent &content)> showProxyFields;
    // The proxy values typed into the connection question (the choice
    // itself is Proxy_Enabled).
    std::function<ProxyFields()> typedProxyFields;
    // Asks proxy or direct and waits for the answer; false when the program
    // was closed unanswered.
    std::function<bool()> askConnectionType;
};

// The proxy settings of the running program: the connection question's
// values, the two files and the transfer service's proxy.
class ProxyFiles {
public:
    explicit ProxyFiles(AppState &state) : s(state) {}

    void LoadProxySettings();
    void ReadProxyFile();
    void ReadProxyBackup();
    void WriteProxyFile();
    void WriteProxyBackup();
    void ApplyProxySettings();

    QString proxyPath() const;
    QString backupPath() const;

    ProxyHooks hooks;
    // The status window shows the proxy in use.
    DiagnosticsSink *diagnostics = nullptr;

private:
    void readInto(const QString &path);
    void writeTo(const QString &path);
    ProxyFields current() const;
    // The request control's proxy as it holds it, for the status window.
    void showInDiagnostics(const QNetworkProxy &proxy);

    AppState &s;
};
