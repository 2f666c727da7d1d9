#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One message of the message centre ("messages_v3"). Every field optional; the message centre
// sets `isRead` to 1 in place when the user opens it.
class NBMessageListModel
{
public:
    static std::optional<NBMessageListModel> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    std::optional<qint64> isRead;        // 0 unread, 1 read
    std::optional<QString> linkUrl;
    std::optional<qint64> id;
    std::optional<QString> textBody;
    std::optional<QString> title;
    std::optional<QString> body;
    std::optional<QString> createTime;
    std::optional<qint64> topType;
    std::optional<qint64> messageType;   // 1 activity, other system
};
