#include "settings/feedback/NBFeedbackTypeModel.h"

#include "common/JsonFields.h"

std::optional<NBFeedbackTypeModel> NBFeedbackTypeModel::fromJson(const QJsonObject &json)
{
    JsonFields reader(json);
    const std::optional<QString> name = reader.text(QStringLiteral("name"));
    const std::optional<qint64> kind = reader.integer(QStringLiteral("kind"));
    const std::optional<bool> mark = reader.boolean(QStringLiteral("mark"));
    if (!reader.ok() || !name || !kind)
        return std::nullopt;
    NBFeedbackTypeModel model;
    model.name = *name;
    model.kind = *kind;
    model.mark = mark;
    return model;
}

QJsonObject NBFeedbackTypeModel::toJson() const
{
    QJsonObject json{{QStringLiteral("name"), name}, {QStringLiteral("kind"), kind}};
    JsonFields::put(json, QStringLiteral("mark"), mark);
    return json;
}

QList<NBFeedbackTypeModel> NBFeedbackTypeModel::defaultTypes()
{
    const QList<QJsonObject> entries{
        {{QStringLiteral("name"), QStringLiteral("加速异常")}, {QStringLiteral("kind"), 10}, {QStringLiteral("mark"), true}},
        {{QStringLiteral("name"), QStringLiteral("账号问题")}, {QStringLiteral("kind"), 11}},
        {{QStringLiteral("name"), QStringLiteral("充值问题")}, {QStringLiteral("kind"), 12}},
        {{QStringLiteral("name"), QStringLiteral("其他问题")}, {QStringLiteral("kind"), 13}},
    };
    QList<NBFeedbackTypeModel> types;
    for (const QJsonObject &entry : entries) {
        if (const std::optional<NBFeedbackTypeModel> model = fromJson(entry))
            types << *model;
    }
    return types;
}
