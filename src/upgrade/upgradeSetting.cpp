#include "upgrade/upgradeSetting.h"

#include "common/JsonFields.h"

std::optional<upgradeSetting> upgradeSetting::fromJson(const QJsonObject &object)
{
    JsonFields fields(object);
    const std::optional<qint64> state = fields.integer(QStringLiteral("update_state"));
    const std::optional<qint64> isUpdate = fields.integer(QStringLiteral("is_update"));
    upgradeSetting setting;
    setting.update_url = fields.text(QStringLiteral("update_url"));
    setting.update_title = fields.text(QStringLiteral("update_title"));
    setting.update_content = fields.text(QStringLiteral("update_content"));
    setting.version = fields.text(QStringLiteral("version"));
    setting.jump_url = fields.text(QStringLiteral("jump_url"));
    if (!fields.ok() || !state || !isUpdate)
        return std::nullopt;
    setting.update_state = *state;
    setting.is_update = *isUpdate;
    return setting;
}

QJsonObject upgradeSetting::toJson() const
{
    QJsonObject object;
    JsonFields::put(object, QStringLiteral("update_state"), std::optional<qint64>(update_state));
    JsonFields::put(object, QStringLiteral("update_url"), update_url);
    JsonFields::put(object, QStringLiteral("update_title"), update_title);
    JsonFields::put(object, QStringLiteral("update_content"), update_content);
    JsonFields::put(object, QStringLiteral("version"), version);
    JsonFields::put(object, QStringLiteral("jump_url"), jump_url);
    JsonFields::put(object, QStringLiteral("is_update"), std::optional<qint64>(is_update));
    return object;
}

QVariantMap upgradeSetting::toDictionary() const
{
    return toJson().toVariantMap();
}

std::optional<upgradeSetting> upgradeSetting::fromDictionary(const QVariantMap &dictionary)
{
    return fromJson(QJsonObject::fromVariantMap(dictionary));
}
