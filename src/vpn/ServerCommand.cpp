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

// The engine's own log lines start with a clock time ("07:15:02 INFO ...") or a date: their
// leading digits and colon are no command code, whatever the rest of the line says.
bool isLogLine(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,2}:\\d{2}:\\d{2}|\\d{4}-\\d{2}-\\d{2})"));
    return pattern.match(line).hasMatch();
}

// An event: a decimal code, then the colon, then anything ("5:foo", "5: new_event", "5:Foo",
// "3:1 user_service_expired"). An address such as "1.2.3.4:8388" is no code.
bool startsWithCode(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?\\d+\\s*:"));
    return pattern.match(line).hasMatch();
}

// A line carrying a marker without a leading code is an event when its first colon introduces a
// word ("abc:dns_data_err" gives 0, as the text before the colon has no digits).
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
    if (isLogLine(line))
        return command;
    if (startsWithCode(line) || (hasMarker && markerLineIsEvent(line)))
        command.cmd = leadingCode(line);
    return command;
}
