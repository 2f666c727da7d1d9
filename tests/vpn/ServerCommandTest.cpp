#include "vpn/EngineLineBuffer.h"
#include "vpn/ServerCommand.h"

#include <gtest/gtest.h>

TEST(ServerCommandTest, CodeAndMarkerTable)
{
    struct Case
    {
        const char *line;
        int cmd;
        const char *cmdDes;
        bool start;
    };
    const Case cases[] = {
        {"12:user_service_expired", 12, "会员过期", false},
        {"3:user_service_expired", 3, "会员过期", false},
        {"start_success", -1, "", true},
        {"0:start_success", 0, "", true},
        // Two markers: the first of the table wins.
        {"1:server_connect_fail token_handshake_failed", 1, "token失效", false},
        {"abc:dns_data_err", 0, "服务器dns数据异常", false},
        {"  -2:vpn_service_restart", -2, "VPN服务重启", false},
        {"4:http_tls_handshake_failed", 4, "没有安装证书", false},
        {"2:user_level_not_match_server", 2, "用户等级变更", false},
        {"5:servers_domain_name_update", 5, "服务器dns更新", false},
        {"7:server_connect_success", 7, "VPN连接成功", false},
        // Engine log lines are not commands, even when they begin with digits and a colon.
        {"07:15:02 INFO listening on 127.0.0.1:9999", -1, "", false},
        {"2024-01-01T07:15:02 WARN something", -1, "", false},
        // ... nor when they mention a marker: the clock's digits are no code.
        {"07:15:02 INFO server_connect_fail to 1.2.3.4:8388", -1, "服务连接异常", false},
        {"07:15:02 INFO start_success", -1, "", true},
        {"5: user_service_expired", 5, "会员过期", false},
        // An unknown event word after a code still travels as a command, without description,
        // whatever follows the colon.
        {"6:some_new_event", 6, "", false},
        {"5: new_event", 5, "", false},
        {"5:Foo", 5, "", false},
        {"3:1 user_service_expired", 3, "会员过期", false},
        // An address is no code, and neither is a date-stamped line mentioning a marker.
        {"1.2.3.4:8388 connected", -1, "", false},
        {"2024-01-01 07:15:02 dns_data_err", -1, "服务器dns数据异常", false},
        {"plain text", -1, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const ServerCommand command = ServerCommand::parseLine(QString::fromUtf8(c.line));
        EXPECT_EQ(command.cmd, c.cmd);
        EXPECT_EQ(command.cmdDes, QString::fromUtf8(c.cmdDes));
        EXPECT_EQ(command.startSuccess, c.start);
    }
}

TEST(ServerCommandTest, LeadingCodeRules)
{
    EXPECT_EQ(ServerCommand::leadingCode(QStringLiteral("no colon")), -1);
    EXPECT_EQ(ServerCommand::leadingCode(QStringLiteral("x1:y")), 0);
    EXPECT_EQ(ServerCommand::leadingCode(QStringLiteral(" +9:y")), 9);
    EXPECT_EQ(ServerCommand::leadingCode(QStringLiteral("99999999999999:y")), INT_MAX);
}

TEST(ServerCommandTest, LineBufferJoinsSplitReadsAndSplitsJoinedOnes)
{
    EngineLineBuffer buffer;
    EXPECT_TRUE(buffer.append("0:start_su").isEmpty());
    EXPECT_EQ(buffer.append("ccess\n3:user_service_expired\r\n\n4:tok"), (QStringList{"0:start_success", "3:user_service_expired"}));
    EXPECT_EQ(buffer.append("en_handshake_failed\n"), QStringList{"4:token_handshake_failed"});
    EXPECT_FALSE(buffer.flush().has_value());

    // A character split across two reads decodes whole.
    const QByteArray word = QStringLiteral("服务").toUtf8();
    EXPECT_TRUE(buffer.append(word.left(2)).isEmpty());
    EXPECT_EQ(buffer.append(word.mid(2) + "\n"), QStringList{"服务"});

    buffer.append("tail without end");
    EXPECT_EQ(buffer.flush(), QStringLiteral("tail without end"));
}

TEST(ServerCommandTest, LineBufferCutsEndlessLines)
{
    EngineLineBuffer buffer;
    const QStringList lines = buffer.append(QByteArray(EngineLineBuffer::kMaxLine + 10, 'a'));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().size(), EngineLineBuffer::kMaxLine);
    EXPECT_EQ(buffer.flush().value().size(), 10);
}
