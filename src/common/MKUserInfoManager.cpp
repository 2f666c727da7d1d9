#include "common/MKUserInfoManager.h"

#include "common/Logger.h"
#include "common/MKConnection.h"
#include "common/MKUserTable.h"

MKUserInfoManager &MKUserInfoManager::shared()
{
    static MKUserInfoManager manager;
    return manager;
}

bool MKUserInfoManager::saveUser(const QJsonObject &data)
{
    const std::optional<HHUserInfo> info = HHUserInfo::fromJson(data);
    if (!info || !info->user)
        return false;
    return store(*info);
}

bool MKUserInfoManager::storeRefreshedAccount(const QJsonObject &data)
{
    QJsonObject user = data;
    user.remove(QStringLiteral("resource_version"));
    if (saveUser(user))
        return true;
    OSTREL_LOG(Logger::Error, QStringLiteral("refreshed account not stored"));
    return false;
}

bool MKUserInfoManager::store(const HHUserInfo &info)
{
    return MKUserTable().insertOrReplace(info.user->id, info.toJsonText());
}

bool MKUserInfoManager::clearUser()
{
    if (MKUserTable().deleteAll())
        return true;
    // A full disk takes no delete (the journal cannot grow), and a user left in the file would be
    // signed in again at the next start: the file goes aside instead, which needs no room.
    return MKConnection::shared().setAsideSignedOut();
}

std::optional<HHUserInfo> MKUserInfoManager::currentUser() const
{
    return MKUserTable().queryUser();
}

bool MKUserInfoManager::isVipValid() const
{
    const std::optional<HHUserInfo> info = currentUser();
    if (!info || !info->user)
        return false;
    const MKUser &user = *info->user;
    return !user.vipInvalidTime.value_or(QString()).isEmpty() && !user.svipInvalidTime.value_or(QString()).isEmpty();
}

bool MKUserInfoManager::updatePhone(const QString &regionCode, const QString &phone)
{
    std::optional<HHUserInfo> info = currentUser();
    if (!info || !info->user)
        return false;
    info->user->phone = phone;
    info->user->regionCode = regionCode;
    return store(*info);
}
