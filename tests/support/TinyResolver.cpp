#include "support/TinyResolver.h"

#include <QNetworkDatagram>

#include <algorithm>

namespace {

constexpr int kHeaderBytes = 12;
constexpr quint16 kTypeA = 1;
constexpr quint16 kTypeAAAA = 28;

void appendUint16(QByteArray &out, quint16 value)
{
    out += char(value >> 8);
    out += char(value & 0xff);
}

// The name a question asks, its labels joined by dots.
QString askedName(const QByteArray &query)
{
    QStringList labels;
    int at = kHeaderBytes;
    while (at < query.size() && query.at(at) != 0) {
        const int length = quint8(query.at(at));
        labels << QString::fromLatin1(query.mid(at + 1, length));
        at += 1 + length;
    }
    return labels.join(QLatin1Char('.'));
}

} // namespace

TinyResolver::TinyResolver(QList<QHostAddress> addresses, bool answers)
    : m_addresses(std::move(addresses))
    , m_answers(answers)
{
    m_socket.bind(QHostAddress::LocalHost, 0);
    QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { read(); });
}

QString TinyResolver::server() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_socket.localPort());
}

bool TinyResolver::wasAsked(const QString &host) const
{
    return std::any_of(m_names.begin(), m_names.end(), [&host](const QString &name) {
        return name.compare(host, Qt::CaseInsensitive) == 0
            || name.startsWith(host + QLatin1Char('.'), Qt::CaseInsensitive);
    });
}

void TinyResolver::read()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram query = m_socket.receiveDatagram();
        ++m_questions;
        m_names << askedName(query.data());
        if (!m_answers)
            continue;
        const QByteArray reply = answer(query.data());
        if (!reply.isEmpty())
            m_socket.writeDatagram(reply, query.senderAddress(), quint16(query.senderPort()));
    }
}

QByteArray TinyResolver::answer(const QByteArray &query) const
{
    // The question follows the header: labels up to the root's empty one, then type and class.
    int end = kHeaderBytes;
    while (end < query.size() && query.at(end) != 0)
        end += 1 + quint8(query.at(end));
    end += 1 + 4;
    if (end > query.size())
        return {};
    const quint16 type = quint16(quint8(query.at(end - 4)) << 8 | quint8(query.at(end - 3)));
    QList<QHostAddress> records;
    for (const QHostAddress &address : m_addresses) {
        const bool v4 = address.protocol() == QAbstractSocket::IPv4Protocol;
        if ((type == kTypeA && v4) || (type == kTypeAAAA && !v4))
            records << address;
    }
    QByteArray reply = query.left(2);
    appendUint16(reply, 0x8180); // an answer, recursion available, no error
    appendUint16(reply, 1);
    appendUint16(reply, quint16(records.size()));
    appendUint16(reply, 0);
    appendUint16(reply, 0);
    reply += query.mid(kHeaderBytes, end - kHeaderBytes);
    for (const QHostAddress &address : records) {
        appendUint16(reply, 0xc00c); // the name asked
        appendUint16(reply, type);
        appendUint16(reply, 1); // IN
        reply += QByteArray::fromHex("0000003c"); // a minute
        if (type == kTypeA) {
            const quint32 ip = address.toIPv4Address();
            appendUint16(reply, 4);
            appendUint16(reply, quint16(ip >> 16));
            appendUint16(reply, quint16(ip & 0xffff));
        } else {
            const Q_IPV6ADDR ip = address.toIPv6Address();
            appendUint16(reply, 16);
            reply += QByteArray(reinterpret_cast<const char *>(ip.c), 16);
        }
    }
    return reply;
}
