#include "support/LocalRelay.h"
#include "support/WantedSkip.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>

#include "support/EndsWithTheTest.h"
#include "support/LoopbackPort.h"
#include "support/OwnNetwork.h"

namespace {

constexpr int kStartBoundMs = 15000;

bool writePrivate(const QString &path, const QJsonObject &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        && file.write(QJsonDocument(content).toJson()) > 0;
}

bool accepts(quint16 port)
{
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

} // namespace

LocalRelay::LocalRelay()
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    endsWithTheTest(m_process);
}

LocalRelay::~LocalRelay()
{
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

std::optional<std::string> LocalRelay::unavailable(quint16 listener)
{
    for (const char *program : {"ss-server", "ss-local"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return WantedSkip::tool("shadowsocks-libev (ss-server, ss-local) is not installed");
    }
    return OwnNetwork::listenerUnavailable(listener);
}

QString LocalRelay::password()
{
    return QStringLiteral("relay-test-secret");
}

QString LocalRelay::method()
{
    return QStringLiteral("chacha20-ietf-poly1305");
}

QString LocalRelay::scenarioFile() const
{
    return m_folder.filePath(QStringLiteral("standin-relay.json"));
}

bool LocalRelay::start(const QStringList &extra)
{
    m_port = freeLoopbackPort();
    if (!m_folder.isValid() || m_port == 0)
        return false;
    const QJsonObject ss{{"port", m_port}, {"password", password()}, {"method", method()}};
    const QString config = m_folder.filePath(QStringLiteral("ss-server.json"));
    if (!writePrivate(config, {{"server", "127.0.0.1"}, {"server_port", m_port}, {"password", password()},
                               {"method", method()}})
        || !writePrivate(scenarioFile(), {{"ss", ss}}))
        return false;
    m_process.start(QStandardPaths::findExecutable(QStringLiteral("ss-server")), QStringList{QStringLiteral("-c"), config} + extra);
    if (!m_process.waitForStarted(5000))
        return false;
    return QTest::qWaitFor([this] { return m_process.state() == QProcess::Running && accepts(m_port); }, kStartBoundMs);
}
