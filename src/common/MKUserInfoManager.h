#pragma once

#include "common/HHUserInfo.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// The signed-in user, kept in the "User" table. Every answer is read from the table, so all
// screens and threads see the same user.
class MKUserInfoManager
{
public:
    static MKUserInfoManager &shared();

    // Decodes a sign-in or account reply's "data" object and stores it as the current user.
    // True only when it held a user and the row was written.
    [[nodiscard]] bool saveUser(const QJsonObject &data);
    // Stores the "data" of an account refresh ("accountInfo") as the current user, without the
    // resource versions it also carries: those have their own table, and a user row with them
    // would differ from the one a sign-in leaves. The screens show the reply either way, so a
    // record that could not be stored is only logged; the stored user then stays as it was.
    bool storeRefreshedAccount(const QJsonObject &data);
    // Deletes every row: the user is signed out locally. Where the delete fails (a full disk) the
    // database is set aside instead (MKConnection::setAsideSignedOut). False only when the user
    // may still be there at the next start.
    [[nodiscard]] bool clearUser();

    std::optional<HHUserInfo> currentUser() const;
    // The stored user has both membership expiry times, non-empty.
    bool isVipValid() const;
    // Sets the stored user's phone and calling code and stores the record again; nothing
    // without a stored user.
    [[nodiscard]] bool updatePhone(const QString &regionCode, const QString &phone);

private:
    MKUserInfoManager() = default;
    bool store(const HHUserInfo &info);
};
