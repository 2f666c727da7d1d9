#pragma once

#include <QTcpServer>
#include <QTcpSocket>

// Stands where the engine's listener would be, with no engine behind it: takes every connection,
// counts it and closes it, so a request that went there fails at once and is seen.
class DeadListenerTrap : public QTcpServer
{
public:
    DeadListenerTrap()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                ++taken;
                socket->abort();
                socket->deleteLater();
            }
        });
    }

    int taken = 0;
};
