#pragma once

#include <QList>
#include <QString>

// Whether a proxy setting names the client's own local listener.
//
// The client's engine listens on loopback; a desktop or an environment may name that listener in
// more than one way: 127.0.0.1 or any other address of 127.0.0.0/8, ::1, `localhost`, with or
// without the brackets a URL puts around an IPv6 address. Once the engine is gone, every one of
// them leads nowhere, so the client leaves such a proxy out of its own route (LocalListeners) and
// the helper never keeps such a setting as the user's own (ProxySettings::namesListener). Both ask
// here, so the two never disagree on what counts.
class ListenerAddress
{
public:
    // The ports the client listens on (the enable's HTTP and SOCKS port, the same port where one
    // listener serves both) and the PAC address it handed to the desktop, if any.
    explicit ListenerAddress(QList<int> ports, QString pacUrl = {});

    // A proxy at `host`:`port`.
    bool isNamedBy(const QString &host, int port) const;
    // A PAC address: the one the client handed out, or one the listener itself would serve.
    bool isNamedByPac(const QString &url) const;

    // Loopback or `localhost`, brackets allowed.
    static bool isLoopbackHost(const QString &host);

private:
    QList<int> m_ports;
    QString m_pacUrl;
};
