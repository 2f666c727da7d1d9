#pragma once

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>

// A port of 127.0.0.1 nothing listens on as this returns (0 when none could be had), for a peer a
// test starts as a separate process. The kernel picks it, from the ports nothing holds; it is
// free again once this returns, so the peer must bind it soon, and a run beside may still take it.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.setProxy(QNetworkProxy::NoProxy);
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// Whether nothing listens on 127.0.0.1:`port` as this returns.
inline bool isFreeLoopbackPort(quint16 port)
{
    QTcpServer probe;
    probe.setProxy(QNetworkProxy::NoProxy);
    return probe.listen(QHostAddress::LocalHost, port);
}
