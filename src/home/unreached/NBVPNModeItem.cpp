#include "home/unreached/NBVPNModeItem.h"

#include <QDebug>

#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "home/HomeLog.h"

std::optional<NBVPNModeItem> NBVPNModeItem::fromJson(const QJsonObject &json)
{
    const QJsonValue title = json.value(QStringLiteral("title"));
    const QJsonValue subTitle = json.value(QStringLiteral("subTitle"));
    const QJsonValue type = json.value(QStringLiteral("type"));
    const QJsonValue imageName = json.value(QStringLiteral("imageName"));
    if (!title.isString() || !subTitle.isString() || !type.isDouble() || !imageName.isString())
        return std::nullopt;
    NBVPNModeItem item;
    item.title = title.toString();
    item.subTitle = subTitle.toString();
    item.type = type.toInt();
    item.imageName = imageName.toString();
    const QJsonValue selected = json.value(QStringLiteral("isSelected"));
    if (selected.isBool())
        item.isSelected = selected.toBool();
    return item;
}

QJsonObject NBVPNModeItem::toJson() const
{
    QJsonObject json{{QStringLiteral("title"), title},
                     {QStringLiteral("subTitle"), subTitle},
                     {QStringLiteral("type"), type},
                     {QStringLiteral("imageName"), imageName}};
    if (isSelected)
        json.insert(QStringLiteral("isSelected"), *isSelected);
    return json;
}

QList<NBVPNModeItem> NBVPNModeItem::loadModes(const UserDefaults &defaults)
{
    const QList<QJsonObject> records = {
        {{QStringLiteral("title"), QStringLiteral("智能模式")},
         {QStringLiteral("subTitle"), QStringLiteral("仅对海外应用加速，开启后不影响国内应用")},
         {QStringLiteral("type"), 0},
         {QStringLiteral("imageName"), QStringLiteral("AI")},
         {QStringLiteral("isSelected"), false}},
        {{QStringLiteral("title"), QStringLiteral("全局模式")},
         {QStringLiteral("subTitle"), QStringLiteral("全局加速，开启后国内部分应用将无法使用")},
         {QStringLiteral("type"), 1},
         {QStringLiteral("imageName"), QStringLiteral("all")},
         {QStringLiteral("isSelected"), false}}};
    const QVariant stored = defaults.object(DefaultsKeys::kProxyMode);
    const std::optional<qint64> mode = defaults.integerValue(DefaultsKeys::kProxyMode);
    qCDebug(lcHome) << "模式哈哈哈 " << stored;
    QList<NBVPNModeItem> items;
    for (const QJsonObject &record : records) {
        NBVPNModeItem item = *fromJson(record);
        if (!stored.isValid())
            item.isSelected = item.type == 0;
        else if (mode)
            item.isSelected = *mode == item.type;
        items.append(item);
    }
    return items;
}
