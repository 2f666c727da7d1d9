#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// The user's own HTTP proxy on loopback: keeps the first line of each request (a CONNECT names the
// host and port asked for) and refuses it, as a proxy that leads nowhere from here.
class UsersOwnProxy : public QTcpServer
{
public:
    UsersOwnProxy()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    requests << QString::fromUtf8(head.left(head.indexOf('\r')));
                    socket->write("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    // As `http_proxy` names it.
    QByteArray asTheEnvironmentNamesIt() const { return "http://127.0.0.1:" + QByteArray::number(serverPort()); }
    // As Qt reads it from there.
    QNetworkProxy asQtNamesIt() const { return QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), serverPort()); }

    QStringList requests;
};
