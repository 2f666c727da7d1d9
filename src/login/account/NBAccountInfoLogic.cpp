#include "login/account/NBAccountInfoLogic.h"

#include "common/Localization.h"

namespace {

QJsonObject row(const QString &titleKey, const QString &subTitle, NBSettingCellType cellType,
                NBSettingPushType pushType, bool infoHasSet)
{
    return QJsonObject{{QStringLiteral("title"), localizedByAppLanguage(titleKey)},
                       {QStringLiteral("subTitle"), subTitle},
                       {QStringLiteral("cellType"), int(cellType)},
                       {QStringLiteral("pushType"), int(pushType)},
                       {QStringLiteral("infoHasSet"), infoHasSet}};
}

QJsonObject userIdRow()
{
    return row(QStringLiteral("SETTING_ACCOUNT_USERID"), QStringLiteral("a1b2c3d4e5f6g7"), NBSettingCellType::userId,
               NBSettingPushType::show, true);
}

QJsonObject phoneRow(bool set)
{
    return row(QStringLiteral("SETTING_ACCOUNT_PHONE"), localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_BIND_REWAEDS")),
               NBSettingCellType::phone, NBSettingPushType::showAndPush, set);
}

QJsonObject emailRow(bool set)
{
    return row(QStringLiteral("SETTING_ACCOUNT_EMAIL"), localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_BIND_REWAEDS")),
               NBSettingCellType::email, NBSettingPushType::showAndPush, set);
}

QJsonObject passwordRow()
{
    return row(QStringLiteral("SETTING_ACCOUNT_PASSWORD"), localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_CHANGE_PWD")),
               NBSettingCellType::passWord, NBSettingPushType::showAndPush, false);
}

QJsonObject statusRow()
{
    return row(QStringLiteral("SETTING_ACCOUNT_STATUS"), localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_RESTORE_FREE")),
               NBSettingCellType::status, NBSettingPushType::show, true);
}

QJsonObject expiryRow()
{
    return row(QStringLiteral("SETTING_ACCOUNT_EXPIRATION_DATE"),
               localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_EXPIRATION_SUBTITLE")), NBSettingCellType::expiredTime,
               NBSettingPushType::show, true);
}

} // namespace

NBAccountInfoLogic::Rows NBAccountInfoLogic::rowItems(const std::optional<HHUserInfo> &user)
{
    Rows rows;
    const MKUser *u = user && user->user ? &*user->user : nullptr;
    rows.emailHasSet = u && !u->emailAdress.value_or(QString()).isEmpty();
    rows.phoneHasSet = u && !u->phone.value_or(QString()).isEmpty();
    if (!rows.emailHasSet && rows.phoneHasSet) {
        rows.dictionaries = {userIdRow(), phoneRow(true), emailRow(false), passwordRow(), statusRow(), expiryRow()};
    } else if (rows.emailHasSet) {
        rows.dictionaries = {userIdRow(), emailRow(true), phoneRow(rows.phoneHasSet), passwordRow(), statusRow(), expiryRow()};
    } else {
        rows.dictionaries = {userIdRow(), emailRow(false), phoneRow(false), statusRow(), expiryRow()};
    }
    return rows;
}

QList<NBSettingCellItem> NBAccountInfoLogic::items(const QList<QJsonObject> &dictionaries)
{
    QList<NBSettingCellItem> items;
    for (const QJsonObject &dictionary : dictionaries)
        items.append(NBSettingCellItem::fromDictionary(dictionary));
    return items;
}

int NBAccountInfoLogic::tableHeight(int rows, bool bothExpiryTimes)
{
    return kRowHeight * rows + (bothExpiryTimes ? kTwoLineRowHeight - kRowHeight : 0);
}

int NBAccountInfoLogic::rowHeight(int row, int rows, bool bothExpiryTimes)
{
    return row == rows - 1 && bothExpiryTimes ? kTwoLineRowHeight : kRowHeight;
}

bool NBAccountInfoLogic::isPushRow(const NBSettingCellItem &item)
{
    switch (item.cellType) {
    case NBSettingCellType::email:
    case NBSettingCellType::phone:
        return !item.infoHasSet;
    case NBSettingCellType::passWord:
        return true;
    default:
        return false;
    }
}

NBAccountInfoLogic::Opens NBAccountInfoLogic::clickTarget(const NBSettingCellItem &item)
{
    switch (item.cellType) {
    case NBSettingCellType::email:
        return item.infoHasSet ? Opens::Nothing : Opens::BindEmail;
    case NBSettingCellType::phone:
        return item.infoHasSet ? Opens::Nothing : Opens::BindPhone;
    case NBSettingCellType::passWord:
        return Opens::ChangePassword;
    default:
        return Opens::Nothing;
    }
}
