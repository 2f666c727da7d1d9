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
    if (!user || !user->user)
        return {QStringLiteral("已到期"), std::nullopt};
    const MKUser &stored = *user->user;
    if (bothTimesKnown(stored))
        return {*stored.svipInvalidTime + senior, *stored.vipInvalidTime + ordinary};
    // Otherwise the membership level picks the line, as the status row and the more page's
    // header do: a level-1 member reads the ordinary date, a level-2 member the senior one.
    const QString vipTime = stored.vipInvalidTime.value_or(QString());
    const QString svipTime = stored.svipInvalidTime.value_or(QString());
    const qint64 level = stored.userLevel.value_or(0);
    if (level != 1 && level != 2)
        return {QStringLiteral("已到期"), std::nullopt};
    // A suffix with no date before it tells nothing: the one date the record has is shown
    // under its own name, and with none the membership has no end to show.
    const bool ordinaryFirst = level == 1;
    const QString &firstTime = ordinaryFirst ? vipTime : svipTime;
    if (!firstTime.isEmpty())
        return {firstTime + (ordinaryFirst ? ordinary : senior), std::nullopt};
    const QString &otherTime = ordinaryFirst ? svipTime : vipTime;
    if (!otherTime.isEmpty())
        return {otherTime + (ordinaryFirst ? senior : ordinary), std::nullopt};
    return {QStringLiteral("已到期"), std::nullopt};
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
