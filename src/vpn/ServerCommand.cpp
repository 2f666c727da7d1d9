#include "vpn/ServerCommand.h"

#include <QRegularExpression>

#include <array>
#include <climits>
#include <utility>

namespace {

// In this order: a line with two markers takes the first of the table.
const std::array<std::pair<const char *, const char *>, 10> kMarkers{{
    {"start_success", ""},
    {"token_handshake_failed", "token失效"},
    {"http_tls_handshake_failed", "没有安装证书"},
    {"user_level_not_match_server", "用户等级变更"},
    {"user_service_expired", "会员过期"},
    {"servers_domain_name_update", "服务器dns更新"},
    {"dns_data_err", "服务器dns数据异常"},
    {"vpn_service_restart", "VPN服务重启"},
    {"server_connect_fail", "服务连接异常"},
    {"server_connect_success", "VPN连接成功"},
}};

// An event without a known marker: a decimal code directly followed by an event word.
bool looksLikeCommand(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?\\d+:[a-z_]+"));
    return pattern.match(line).hasMatch();
}

// A line carrying a marker is an event when its first colon introduces a word ("3:dns_data_err",
// "abc:dns_data_err"); in "07:15:02 INFO dns_data_err ..." the colon belongs to a clock time and
// the line is the engine's own log, whose leading digits are no command code.
bool markerLineIsEvent(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral("^[^:]*:\\s*[A-Za-z_]"));
    return pattern.match(line).hasMatch();
}

} // namespace

int ServerCommand::leadingCode(const QString &text)
{
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return -1;
    const QString head = text.left(colon);
    qsizetype i = 0;
    while (i < head.size() && head.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < head.size() && (head.at(i) == QLatin1Char('+') || head.at(i) == QLatin1Char('-'))) {
        negative = head.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < head.size() && head.at(i) >= QLatin1Char('0') && head.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (head.at(i).unicode() - '0');
        if (value > qint64(INT_MAX))
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}

ServerCommand ServerCommand::parseLine(const QString &line)
{
    ServerCommand command;
    bool hasMarker = false;
    for (const auto &[marker, description] : kMarkers) {
        if (line.contains(QLatin1String(marker))) {
            command.cmdDes = QString::fromUtf8(description);
            command.startSuccess = qstrcmp(marker, "start_success") == 0;
            hasMarker = true;
            break;
        }
    }
    if (hasMarker ? markerLineIsEvent(line) : looksLikeCommand(line))
        command.cmd = leadingCode(line);
    return command;
}
