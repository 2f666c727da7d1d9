#include "networking/NBFeedbackRecordModel.h"

#include "common/JsonFields.h"

std::optional<NBFeedbackRecordModel> NBFeedbackRecordModel::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    NBFeedbackRecordModel model;
    model.content = fields.text(QStringLiteral("content"));
    model.createTime = fields.text(QStringLiteral("createTime"));
    model.id = fields.integer(QStringLiteral("id"));
    model.imageUrl = fields.text(QStringLiteral("imageUrl"));
    model.userId = fields.integer(QStringLiteral("userId"));
    model.userType = fields.integer(QStringLiteral("userType"));
    model.username = fields.text(QStringLiteral("username"));
    if (!fields.ok())
        return std::nullopt;
    return model;
}

QJsonObject NBFeedbackRecordModel::toJson() const
{
    QJsonObject json;
    JsonFields::put(json, QStringLiteral("content"), content);
    JsonFields::put(json, QStringLiteral("createTime"), createTime);
    JsonFields::put(json, QStringLiteral("id"), id);
    JsonFields::put(json, QStringLiteral("imageUrl"), imageUrl);
    JsonFields::put(json, QStringLiteral("userId"), userId);
    JsonFields::put(json, QStringLiteral("userType"), userType);
    JsonFields::put(json, QStringLiteral("username"), username);
    return json;
}
