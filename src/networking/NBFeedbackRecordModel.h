#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One entry of a feedback conversation ("record"). Every field optional. The row height of
// the conversation cell depends on fonts and belongs to the screen that draws it.
class NBFeedbackRecordModel
{
public:
    static std::optional<NBFeedbackRecordModel> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;
    bool isWrittenByUser() const { return userType.value_or(-1) == 0; }

    std::optional<QString> content;
    std::optional<QString> createTime;
    std::optional<qint64> id;
    std::optional<QString> imageUrl;
    std::optional<qint64> userId;
    std::optional<qint64> userType;   // 0 = written by the user
    std::optional<QString> username;
};
