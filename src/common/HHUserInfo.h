#pragma once

#include "common/MKUser.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// The signed-in user's record as the sign-in replies return it ("kind", "exist_new_message",
// "proxy_session_id", "user"), stored as JSON in the "User" table.
//
// Like MKUser, it keeps every key it came with: toJson() is the received object with the
// modelled fields written over, so re-saving a record never drops what we do not model.
class HHUserInfo
{
public:
    // Nothing when a declared key has the wrong type or the user part does not decode.
    static std::optional<HHUserInfo> fromJson(const QJsonObject &json);
    static std::optional<HHUserInfo> fromJsonText(const QString &text);
    QJsonObject toJson() const;
    QString toJsonText() const;

    // The phone ("+86******1234") or e-mail ("a*****ple.com") shown for the account; nothing
    // without a user or when neither is long enough to mask.
    std::optional<QString> maskedAccount() const;

    // Signed in: a user with a token (any value, the empty text included).
    bool hasToken() const { return user && user->apiToken.has_value(); }

    std::optional<qint64> kind;
    std::optional<qint64> existNewMessage;   // "exist_new_message"
    std::optional<QString> proxySessionId;   // "proxy_session_id"
    std::optional<MKUser> user;

private:
    QJsonObject m_raw;
};
