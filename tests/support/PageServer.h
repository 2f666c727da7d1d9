#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <utility>

// A web server of a test's: answers every request with one page, on a port of its own at
// `address`, and keeps the paths it was asked for (its count says how many requests it served).
class PageServer : public QTcpServer
{
public:
    explicit PageServer(QByteArray page, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                        QByteArray contentType = "text/plain")
        : m_page(std::move(page))
        , m_contentType(std::move(contentType))
    {
        setProxy(QNetworkProxy::NoProxy);
        listen(address, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                serve(socket);
        });
    }

    QStringList paths;

private:
    void serve(QTcpSocket *socket)
    {
        auto head = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
            *head += socket->readAll();
            if (!head->contains("\r\n\r\n"))
                return;
            paths << QString::fromUtf8(head->split(' ').value(1));
            socket->write("HTTP/1.0 200 OK\r\nContent-Type: " + m_contentType
                          + "\r\nContent-Length: " + QByteArray::number(m_page.size()) + "\r\n\r\n" + m_page);
            socket->disconnectFromHost();
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    const QByteArray m_page;
    const QByteArray m_contentType;
};
