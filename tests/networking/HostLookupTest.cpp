// Name lookups through c-ares on the caller's event loop, against a resolver of the test's own
// on loopback: one that answers, and one that never does.
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "networking/HostLookup.h"

namespace {

// A resolver that answers every A question with `address` and every other one with no record.
class TinyResolver
{
public:
    explicit TinyResolver(bool answers, QHostAddress address = QHostAddress(QStringLiteral("127.0.0.2")))
        : m_answers(answers)
        , m_address(address)
    {
        m_socket.bind(QHostAddress::LocalHost, 0);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, &m_socket, [this] { read(); });
    }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_socket.localPort()); }
    int questions() const { return m_questions; }

private:
    void read()
    {
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram query = m_socket.receiveDatagram();
            ++m_questions;
            if (m_answers)
                m_socket.writeDatagram(answer(query.data()), query.senderAddress(), quint16(query.senderPort()));
        }
    }

    QByteArray answer(const QByteArray &query) const
    {
        // The header, then the question: labels up to the root's empty one, type, class.
        int end = 12;
        while (end < query.size() && query.at(end) != 0)
            end += 1 + quint8(query.at(end));
        end += 1 + 4;
        if (end > query.size())
            return {};
        const bool askedForA = query.at(end - 4) == 0 && query.at(end - 3) == 1;
        QByteArray reply = query.left(2);
        reply += QByteArray::fromHex("8180" "0001") + QByteArray::fromHex(askedForA ? "0001" : "0000")
            + QByteArray::fromHex("0000" "0000");
        reply += query.mid(12, end - 12);
        if (askedForA) {
            const quint32 ip = m_address.toIPv4Address();
            reply += QByteArray::fromHex("c00c" "0001" "0001" "0000003c" "0004");
            reply += char(ip >> 24);
            reply += char(ip >> 16);
            reply += char(ip >> 8);
            reply += char(ip);
        }
        return reply;
    }

    QUdpSocket m_socket;
    bool m_answers;
    QHostAddress m_address;
    int m_questions = 0;
};

struct Answer
{
    bool came = false;
    std::optional<QHostAddress> address;
    QString error;
};

HostLookup::Completion recordInto(std::shared_ptr<Answer> answer)
{
    return [answer](std::optional<QHostAddress> address, const QString &error) {
        answer->came = true;
        answer->address = address;
        answer->error = error;
    };
}

class HostLookupTest : public ::testing::Test
{
protected:
    void TearDown() override { HostLookup::setServersForTesting({}); }
};

} // namespace

TEST_F(HostLookupTest, AnAddressAnswersWithItselfAndANameWithTheResolversAnswerBothOnlyLater)
{
    TinyResolver resolver(true);
    HostLookup::setServersForTesting(resolver.server());
    HostLookup lookup;

    auto literal = std::make_shared<Answer>();
    auto literal6 = std::make_shared<Answer>();
    auto name = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("127.0.0.1"), recordInto(literal));
    lookup.lookup(QStringLiteral("::1"), recordInto(literal6));
    lookup.lookup(QStringLiteral("api.ostrel.test"), recordInto(name));
    EXPECT_FALSE(literal->came) << "answered inside the call";
    EXPECT_EQ(lookup.pending(), 1);

    QTRY_VERIFY_WITH_TIMEOUT(literal->came && literal6->came && name->came, 20000);
    EXPECT_EQ(literal->address, QHostAddress(QStringLiteral("127.0.0.1")));
    EXPECT_EQ(literal6->address, QHostAddress(QStringLiteral("::1")));
    ASSERT_TRUE(name->address.has_value()) << qPrintable(name->error);
    EXPECT_EQ(*name->address, QHostAddress(QStringLiteral("127.0.0.2")));
    EXPECT_GE(resolver.questions(), 1);
    EXPECT_EQ(lookup.pending(), 0);
}

TEST_F(HostLookupTest, GoingEndsTheLookupsUnderWayAndAnswersNone)
{
    TinyResolver silent(false);
    HostLookup::setServersForTesting(silent.server());
    auto answer = std::make_shared<Answer>();
    auto lookup = std::make_unique<HostLookup>();
    lookup->lookup(QStringLiteral("api.ostrel.test"), recordInto(answer));
    QTRY_VERIFY_WITH_TIMEOUT(silent.questions() >= 1, 20000);
    EXPECT_EQ(lookup->pending(), 1);

    // c-ares answers what is under way with "destruction" as it goes: that must reach no one.
    lookup.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(answer->came);
}

TEST_F(HostLookupTest, AServerListItCannotUseFailsEachLookupWithTheReason)
{
    HostLookup::setServersForTesting(QStringLiteral("not a server"));
    HostLookup lookup;
    auto answer = std::make_shared<Answer>();
    lookup.lookup(QStringLiteral("api.ostrel.test"), recordInto(answer));
    QTRY_VERIFY_WITH_TIMEOUT(answer->came, 5000);
    EXPECT_FALSE(answer->address.has_value());
    EXPECT_FALSE(answer->error.isEmpty());
}
