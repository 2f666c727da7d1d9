// The request lines and reply ids the client and the helper share, read the one way both use.
#include "common/HelperProtocol.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

using HelperProtocol::parseRequest;

TEST(HelperProtocolTest, RequestLines)
{
    EXPECT_FALSE(parseRequest("").has_value());
    EXPECT_FALSE(parseRequest("  \r").has_value()) << "a blank line gets no reply";

    const auto good = parseRequest(R"({"id":7,"method":"disableProxy","params":{"filterInterface":true}})");
    ASSERT_TRUE(good.has_value());
    EXPECT_TRUE(good->error.isEmpty());
    EXPECT_EQ(good->id, QJsonValue(7));
    EXPECT_EQ(good->method, HelperProtocol::kDisableProxy);
    EXPECT_TRUE(good->params.value(QStringLiteral("filterInterface")).toBool());

    const auto noParams = parseRequest(R"({"id":"a","method":"getVersion"})");
    ASSERT_TRUE(noParams.has_value());
    EXPECT_TRUE(noParams->error.isEmpty());
    EXPECT_EQ(noParams->id, QJsonValue(QStringLiteral("a")));

    // Each malformed line is answered, with the id when one could be read.
    for (const QByteArray &line : {QByteArray("not json"), QByteArray("[1,2]"), QByteArray(R"({"id":3})"),
                                  QByteArray(R"({"id":3,"method":5})"), QByteArray(R"({"id":3,"method":"x","params":[1]})")}) {
        const auto request = parseRequest(line);
        ASSERT_TRUE(request.has_value()) << line.constData();
        EXPECT_EQ(request->error, QStringLiteral("malformed request")) << line.constData();
    }
    EXPECT_EQ(parseRequest(R"({"id":3,"method":5})")->id, QJsonValue(3));
    EXPECT_TRUE(parseRequest(R"({"id":{"x":1},"method":"getVersion"})")->id.isNull()) << "only numbers and texts are echoed";
}

TEST(HelperProtocolTest, ReplyIdsAreTheClientsCallNumbers)
{
    EXPECT_EQ(HelperProtocol::replyId(QJsonValue(1)), 1);
    EXPECT_EQ(HelperProtocol::replyId(QJsonValue(9007199254740992.0)), 9007199254740992LL);
    for (const QJsonValue &id : {QJsonValue(0), QJsonValue(-1), QJsonValue(1.5), QJsonValue(QStringLiteral("1")),
                                QJsonValue(1e300), QJsonValue(true), QJsonValue()})
        EXPECT_FALSE(HelperProtocol::replyId(id).has_value());
}

TEST(HelperProtocolTest, PeerIdentityComesFromTheKernel)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    const qint64 uid = HelperProtocol::peerUid(pair[0]);
    EXPECT_EQ(uid, static_cast<qint64>(::geteuid()));
    EXPECT_TRUE(HelperProtocol::helperAcceptsPeer(uid));
    EXPECT_TRUE(HelperProtocol::clientTrustsPeer(uid));
    ::close(pair[0]);
    ::close(pair[1]);
    EXPECT_EQ(HelperProtocol::peerUid(-1), -1);
    EXPECT_FALSE(HelperProtocol::helperAcceptsPeer(-1));
    EXPECT_FALSE(HelperProtocol::clientTrustsPeer(-1));
    EXPECT_TRUE(HelperProtocol::clientTrustsPeer(0)) << "a helper run by root is believed";
    if (::geteuid() != 0) {
        EXPECT_FALSE(HelperProtocol::helperAcceptsPeer(0));
    }
}
