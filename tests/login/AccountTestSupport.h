#pragma once

// Shared by the account screen tests: stored users of each kind, written straight to the table.

#include <QJsonObject>

#include "common/MKUserInfoManager.h"
#include "common/RequestLogTable.h"

namespace AccountTest {

// A signed-in record with a token and a key the client does not model, so tests can check that
// nothing of it is lost when the record is patched.
inline QJsonObject record(const QJsonObject &userFields)
{
    QJsonObject user{{QStringLiteral("id"), 4242},
                     {QStringLiteral("api_token"), QStringLiteral("token-kept-4242")},
                     {QStringLiteral("username"), QStringLiteral("u4242")},
                     {QStringLiteral("region_code"), QStringLiteral("+86")},
                     {QStringLiteral("future_field"), QStringLiteral("kept")}};
    for (auto it = userFields.begin(); it != userFields.end(); ++it)
        user.insert(it.key(), it.value());
    return QJsonObject{{QStringLiteral("kind"), 1}, {QStringLiteral("proxy_session_id"), QStringLiteral("abc")},
                       {QStringLiteral("user"), user}};
}

// A reply to that path has come in (every reply that reaches the client leaves a log row).
inline bool replyLogged(const QString &path)
{
    for (const RequestLogTable::Record &record : RequestLogTable().fetchOldest(RequestLogTable::kMaxRows)) {
        if (record.path == path)
            return true;
    }
    return false;
}

inline bool storeUser(const QJsonObject &userFields)
{
    return MKUserInfoManager::shared().clearUser() && MKUserInfoManager::shared().saveUser(record(userFields));
}

inline QJsonObject visitor()
{
    return {{QStringLiteral("user_type"), 1}, {QStringLiteral("user_level"), 0}, {QStringLiteral("is_visitor"), true},
            {QStringLiteral("vip_invalid_time"), QString()}, {QStringLiteral("svip_invalid_time"), QString()}};
}

inline QJsonObject memberWithBothDates()
{
    return {{QStringLiteral("user_type"), 2}, {QStringLiteral("user_level"), 2},
            {QStringLiteral("phone"), QStringLiteral("13812345678")},
            {QStringLiteral("vip_invalid_time"), QStringLiteral("2030-01-01")},
            {QStringLiteral("svip_invalid_time"), QStringLiteral("2031-02-02")}};
}

inline QJsonObject expiredMember()
{
    return {{QStringLiteral("user_type"), 2}, {QStringLiteral("user_level"), 0},
            {QStringLiteral("email_address"), QStringLiteral("someone@example.com")},
            {QStringLiteral("vip_invalid_time"), QStringLiteral("2020-01-01")},
            {QStringLiteral("svip_invalid_time"), QString()}};
}

} // namespace AccountTest

#include <QTest>

// Waits on a condition from the event loop and fails the test when it never holds. (Qt's QTRY
// macros return silently from a GoogleTest body when they fail.)
#define ACCOUNT_WAIT(condition, ms)                                                                  \
    ASSERT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, ms)) << #condition
