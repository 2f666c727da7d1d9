#pragma once

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>

// A port of 127.0.0.1 nothing listens on as this returns (0 when none could be had), for a peer a
// test starts as a separate process: the kernel picks it, so runs side by side pick different ones.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.setProxy(QNetworkProxy::NoProxy);
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}
