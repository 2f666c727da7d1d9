#include "networking/NBMessageListModel.h"

#include "common/JsonFields.h"

std::optional<NBMessageListModel> NBMessageListModel::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    NBMessageListModel model;
    model.isRead = fields.integer(QStringLiteral("isRead"));
    model.linkUrl = fields.text(QStringLiteral("linkUrl"));
    model.id = fields.integer(QStringLiteral("id"));
    model.textBody = fields.text(QStringLiteral("textBody"));
    model.title = fields.text(QStringLiteral("title"));
    model.body = fields.text(QStringLiteral("body"));
    model.createTime = fields.text(QStringLiteral("createTime"));
    model.topType = fields.integer(QStringLiteral("topType"));
    model.messageType = fields.integer(QStringLiteral("messageType"));
    if (!fields.ok())
        return std::nullopt;
    return model;
}

QJsonObject NBMessageListModel::toJson() const
{
    QJsonObject json;
    JsonFields::put(json, QStringLiteral("isRead"), isRead);
    JsonFields::put(json, QStringLiteral("linkUrl"), linkUrl);
    JsonFields::put(json, QStringLiteral("id"), id);
    JsonFields::put(json, QStringLiteral("textBody"), textBody);
    JsonFields::put(json, QStringLiteral("title"), title);
    JsonFields::put(json, QStringLiteral("body"), body);
    JsonFields::put(json, QStringLiteral("createTime"), createTime);
    JsonFields::put(json, QStringLiteral("topType"), topType);
    JsonFields::put(json, QStringLiteral("messageType"), messageType);
    return json;
}
