#pragma once

#include <QString>

#include <optional>

// The checks made before a password is set from the account screens (change password, binding
// with a new password): the two entries must be equal ("密码不一致"), then follow the rule the
// sign-in forms enforce ("密码格式不对"), so that nobody sets a password he cannot sign in with.
class AccountPasswordRules
{
public:
    // The error text to show, or nothing when the password may be sent.
    static std::optional<QString> checkNewPassword(const QString &password, const QString &again);

private:
    AccountPasswordRules() = delete;
};
