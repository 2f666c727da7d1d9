#include "app/HHAdModel.h"

#include "common/JsonFields.h"

std::optional<HHAdModel> HHAdModel::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    HHAdModel model;
    model.advFlag = fields.text(QStringLiteral("adv_flag"));
    model.closeSeconds = fields.text(QStringLiteral("close_seconds"));
    model.customlizeFlag = fields.text(QStringLiteral("customlize_flag"));
    model.id = fields.integer(QStringLiteral("id"));
    model.imgUrl = fields.text(QStringLiteral("img_url"));
    model.linkUrl = fields.text(QStringLiteral("link_url"));
    model.showSeconds = fields.text(QStringLiteral("show_seconds"));
    model.type = fields.integer(QStringLiteral("type"));
    if (!fields.ok())
        return std::nullopt;
    return model;
}

QJsonObject HHAdModel::toJson() const
{
    QJsonObject json;
    JsonFields::put(json, QStringLiteral("adv_flag"), advFlag);
    JsonFields::put(json, QStringLiteral("close_seconds"), closeSeconds);
    JsonFields::put(json, QStringLiteral("customlize_flag"), customlizeFlag);
    JsonFields::put(json, QStringLiteral("id"), id);
    JsonFields::put(json, QStringLiteral("img_url"), imgUrl);
    JsonFields::put(json, QStringLiteral("link_url"), linkUrl);
    JsonFields::put(json, QStringLiteral("show_seconds"), showSeconds);
    JsonFields::put(json, QStringLiteral("type"), type);
    return json;
}
