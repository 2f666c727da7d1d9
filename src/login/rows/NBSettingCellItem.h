#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// What a settings or account row shows and how it reacts to a click.
enum class NBSettingCellType { email = 0, phone = 1, passWord = 2, userId = 3, status = 4, expiredTime = 5, switchAccount = 6 };
enum class NBSettingPushType { show = 0, push = 1, showAndPush = 2 };

// Nothing for a raw value outside the enumeration.
std::optional<NBSettingCellType> settingCellTypeFromRaw(qint64 raw);
std::optional<NBSettingPushType> settingPushTypeFromRaw(qint64 raw);

// The row record of the account list and the settings value rows. Filled from a dictionary by
// key ("title", "subTitle", "cellType", "pushType", "infoHasSet"); the two kinds arrive as
// integers, and a key that is missing, of another type or out of range keeps the field's default.
class NBSettingCellItem
{
public:
    static NBSettingCellItem fromDictionary(const QJsonObject &dictionary);
    QJsonObject toDictionary() const;

    std::optional<QString> title;
    std::optional<QString> subTitle;
    NBSettingCellType cellType = NBSettingCellType::email;
    NBSettingPushType pushType = NBSettingPushType::show;
    bool infoHasSet = true;
};
