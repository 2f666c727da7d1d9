#include "support/HttpsPeer.h"

#include <QDeadlineTimer>

namespace {

const QString kSupport = QStringLiteral(OSTREL_TEST_SUPPORT_DIR);
constexpr int kBoundMs = 30000;

} // namespace

QString HttpsPeer::certifiedName()
{
    return QStringLiteral("api.ostrel.test");
}

QString HttpsPeer::certificateFile()
{
    return kSupport + QStringLiteral("/tls/api.ostrel.test.crt");
}

QString HttpsPeer::otherCertificateFile()
{
    return kSupport + QStringLiteral("/tls/other.ostrel.test.crt");
}

std::unique_ptr<HttpsPeer> HttpsPeer::server(const QHostAddress &host, quint16 port, int answerAfterMs)
{
    return std::make_unique<HttpsPeer>(
        QStringList{QStringLiteral("server"), certifiedName(), certificateFile(),
                    kSupport + QStringLiteral("/tls/api.ostrel.test.key"), host.toString(), QString::number(port)},
        QMap<QString, QString>{{QStringLiteral("PEER_ANSWER_AFTER_MS"), QString::number(answerAfterMs)}});
}

std::unique_ptr<HttpsPeer> HttpsPeer::impostor(const QHostAddress &host)
{
    return std::make_unique<HttpsPeer>(QStringList{QStringLiteral("server"), certifiedName(), otherCertificateFile(),
                                                   kSupport + QStringLiteral("/tls/other.ostrel.test.key"),
                                                   host.toString()});
}

std::unique_ptr<HttpsPeer> HttpsPeer::proxy(const QMap<QString, QString> &names, const QString &credentials)
{
    QStringList arguments{QStringLiteral("proxy"), QStringLiteral("127.0.0.1")};
    for (auto it = names.constBegin(); it != names.constEnd(); ++it)
        arguments << it.key() + QLatin1Char('=') + it.value();
    return std::make_unique<HttpsPeer>(arguments,
                                       QMap<QString, QString>{{QStringLiteral("PEER_PROXY_CREDENTIALS"), credentials}});
}

HttpsPeer::HttpsPeer(const QStringList &arguments, const QMap<QString, QString> &environment)
{
    QProcessEnvironment knobs = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.constBegin(); it != environment.constEnd(); ++it)
        knobs.insert(it.key(), it.value());
    m_process.setProcessEnvironment(knobs);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setReadChannel(QProcess::StandardOutput);
    m_process.start(QStringLiteral("node"), QStringList{kSupport + QStringLiteral("/https_peers.js")} + arguments);
    if (!m_process.waitForStarted(kBoundMs)) {
        m_error = QStringLiteral("node did not start: ") + m_process.errorString();
        return;
    }
    const QDeadlineTimer bound(kBoundMs);
    while (m_port == 0 && m_process.state() == QProcess::Running && !bound.hasExpired()) {
        m_process.waitForReadyRead(int(bound.remainingTime()));
        for (const QString &line : seen()) {
            if (line.startsWith(QLatin1String("listening ")))
                m_port = quint16(line.mid(10).toUInt());
        }
    }
    if (m_port == 0)
        m_error = QStringLiteral("the peer did not listen: ") + QString::fromLocal8Bit(m_process.readAllStandardError());
    m_seen.removeIf([](const QString &line) { return line.startsWith(QLatin1String("listening ")); });
}

HttpsPeer::~HttpsPeer()
{
    // It ends with its standard input.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(kBoundMs)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QStringList HttpsPeer::seen()
{
    while (m_process.waitForReadyRead(0)) {
    }
    m_pending += m_process.readAllStandardOutput();
    const qsizetype end = m_pending.lastIndexOf('\n');
    if (end >= 0) {
        for (const QByteArray &line : m_pending.left(end).split('\n'))
            m_seen << QString::fromUtf8(line);
        m_pending.remove(0, end + 1);
    }
    return m_seen;
}

int HttpsPeer::count(const QString &prefix)
{
    const QStringList lines = seen();
    return int(std::count_if(lines.begin(), lines.end(), [&](const QString &line) {
        return line.startsWith(prefix + QLatin1Char(' '));
    }));
}
