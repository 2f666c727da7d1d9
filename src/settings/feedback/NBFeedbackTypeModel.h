#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// One feedback type of the form's picker: its shown name, its kind and whether it is marked.
class NBFeedbackTypeModel
{
public:
    // "name" and "kind" are required; "mark" is optional.
    static std::optional<NBFeedbackTypeModel> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    // The fixed types, the first marked: "加速异常" 10, "账号问题" 11, "充值问题" 12, "其他问题" 13.
    static QList<NBFeedbackTypeModel> defaultTypes();

    QString name;
    qint64 kind = 0;
    std::optional<bool> mark;
};
