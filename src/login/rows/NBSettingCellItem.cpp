#include "login/rows/NBSettingCellItem.h"

#include <cmath>

namespace {

std::optional<qint64> wholeNumber(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::floor(number) != number)
        return std::nullopt;
    return static_cast<qint64>(number);
}

} // namespace

std::optional<NBSettingCellType> settingCellTypeFromRaw(qint64 raw)
{
    if (raw < 0 || raw > 6)
        return std::nullopt;
    return static_cast<NBSettingCellType>(raw);
}

std::optional<NBSettingPushType> settingPushTypeFromRaw(qint64 raw)
{
    if (raw < 0 || raw > 2)
        return std::nullopt;
    return static_cast<NBSettingPushType>(raw);
}

NBSettingCellItem NBSettingCellItem::fromDictionary(const QJsonObject &dictionary)
{
    NBSettingCellItem item;
    if (const QJsonValue title = dictionary.value(QStringLiteral("title")); title.isString())
        item.title = title.toString();
    if (const QJsonValue subTitle = dictionary.value(QStringLiteral("subTitle")); subTitle.isString())
        item.subTitle = subTitle.toString();
    if (const auto raw = wholeNumber(dictionary.value(QStringLiteral("cellType")))) {
        if (const auto type = settingCellTypeFromRaw(*raw))
            item.cellType = *type;
    }
    if (const auto raw = wholeNumber(dictionary.value(QStringLiteral("pushType")))) {
        if (const auto type = settingPushTypeFromRaw(*raw))
            item.pushType = *type;
    }
    if (const QJsonValue infoHasSet = dictionary.value(QStringLiteral("infoHasSet")); infoHasSet.isBool())
        item.infoHasSet = infoHasSet.toBool();
    return item;
}

QJsonObject NBSettingCellItem::toDictionary() const
{
    QJsonObject dictionary{{QStringLiteral("cellType"), int(cellType)},
                           {QStringLiteral("pushType"), int(pushType)},
                           {QStringLiteral("infoHasSet"), infoHasSet}};
    if (title)
        dictionary.insert(QStringLiteral("title"), *title);
    if (subTitle)
        dictionary.insert(QStringLiteral("subTitle"), *subTitle);
    return dictionary;
}
