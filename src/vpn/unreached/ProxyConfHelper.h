#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

// Nothing in the client calls this yet; it is kept for desktops switched by the proxy tool.
// A second way of switching the desktop proxy: a command-line tool in the engine folder that
// takes the mode, the local SOCKS5 listener, the network services and the exceptions as options.
// The helper daemon is the road in use; this driver is kept for the tool.
class ProxyConfHelper
{
public:
    static const QString kDefaultToolPath;
    static constexpr int kToolTimeoutMs = 10000;

    static ProxyConfHelper &shared();

    QPointer<QObject> myView; // kept for callers that hand one in; not used

    static QString toolPath();
    static void setToolPathForTesting(const QString &path);

    // The tool's "-v" answer is at least "1.9.1", compared part by part as numbers.
    static bool isVersionOk();
    static bool isVersionAtLeast(const QString &version, const QString &minimum);
    static void install();

    // Runs the tool and logs what it prints; waits for it (bounded), as its callers expect.
    static void callHelper(const QStringList &arguments);
    static void addArguments4ManualSpecifyNetworkServices(QStringList &arguments);
    static void addArguments4ManualSpecifyProxyExceptions(QStringList &arguments);

    static void enableGlobalProxy();
    static void enableTunProxy(const QString &dnsServer);
    static void disableTunProxy(const QString &dnsServer);
    static void disableProxy();

    // The command lines the four actions run; empty when the action would run nothing.
    static QStringList enableGlobalProxyArguments();
    static QStringList enableTunProxyArguments(const QString &dnsServer);
    static QStringList disableTunProxyArguments(const QString &dnsServer);
    static QStringList disableProxyArguments();

private:
    ProxyConfHelper() = default;
};
