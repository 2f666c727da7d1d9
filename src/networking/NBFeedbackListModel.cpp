#include "networking/NBFeedbackListModel.h"

#include <QJsonArray>

#include "common/JsonFields.h"

std::optional<NBFeedbackListModel> NBFeedbackListModel::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    NBFeedbackListModel model;
    model.content = fields.text(QStringLiteral("content"));
    model.createdTime = fields.text(QStringLiteral("created_at"));
    model.id = fields.integer(QStringLiteral("id"));
    model.isRead = fields.integer(QStringLiteral("is_read"));
    model.kind = fields.integer(QStringLiteral("kind"));
    if (!fields.ok())
        return std::nullopt;
    const QJsonValue images = json.value(QStringLiteral("image_url"));
    if (images.isUndefined() || images.isNull())
        return model;
    if (!images.isArray())
        return std::nullopt;
    QStringList urls;
    for (const QJsonValue &item : images.toArray()) {
        if (!item.isString())
            return std::nullopt;
        urls << item.toString();
    }
    model.imageUrl = urls;
    return model;
}

QJsonObject NBFeedbackListModel::toJson() const
{
    QJsonObject json;
    JsonFields::put(json, QStringLiteral("content"), content);
    JsonFields::put(json, QStringLiteral("created_at"), createdTime);
    JsonFields::put(json, QStringLiteral("id"), id);
    if (imageUrl)
        json.insert(QStringLiteral("image_url"), QJsonArray::fromStringList(*imageUrl));
    JsonFields::put(json, QStringLiteral("is_read"), isRead);
    JsonFields::put(json, QStringLiteral("kind"), kind);
    return json;
}
