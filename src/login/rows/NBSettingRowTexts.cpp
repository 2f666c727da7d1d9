#include "login/rows/NBSettingRowTexts.h"

namespace {

std::optional<qint64> levelOf(const std::optional<HHUserInfo> &user)
{
    if (!user || !user->user)
        return std::nullopt;
    return user->user->userLevel;
}

bool bothTimesKnown(const MKUser &user)
{
    return !user.vipInvalidTime.value_or(QString()).isEmpty() && !user.svipInvalidTime.value_or(QString()).isEmpty();
}

} // namespace

std::optional<QString> NBSettingRowTexts::maskedEmail(const QString &address)
{
    if (address.size() < 8)
        return std::nullopt;
    return address.left(1) + QStringLiteral("*****") + address.right(7);
}

std::optional<QString> NBSettingRowTexts::maskedPhone(const QString &regionCode, const QString &phone)
{
    if (phone.size() < 5)
        return std::nullopt;
    return regionCode + QStringLiteral("******") + phone.right(4);
}

QString NBSettingRowTexts::userId(const std::optional<HHUserInfo> &user)
{
    if (user && user->user && user->user->username)
        return *user->user->username;
    return placeholderUserId();
}

NBSettingRowTexts::Expiry NBSettingRowTexts::expiry(const std::optional<HHUserInfo> &user)
{
    const QString senior = QStringLiteral(" 高级到期");
    const QString ordinary = QStringLiteral(" 普通到期");
    if (user && user->user && bothTimesKnown(*user->user))
        return {*user->user->svipInvalidTime + senior, *user->user->vipInvalidTime + ordinary};
    // Without both times the user's type picks the line: 1 ordinary, 2 senior.
    const std::optional<qint64> type = user && user->user ? user->user->userType : std::nullopt;
    switch (type.value_or(0)) {
    case 1:
        return {user->user->vipInvalidTime.value_or(QString()) + ordinary, std::nullopt};
    case 2:
        return {user->user->svipInvalidTime.value_or(QString()) + senior, std::nullopt};
    default:
        return {QStringLiteral("已到期"), std::nullopt};
    }
}

QString NBSettingRowTexts::statusText(const std::optional<HHUserInfo> &user)
{
    switch (levelOf(user).value_or(0)) {
    case 1:
        return QStringLiteral("普通会员");
    case 2:
        return QStringLiteral("高级会员");
    default:
        return QStringLiteral("非会员");
    }
}
