#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

#include "networking/JsonRecordCodec.h"

// One message of the message centre ("messages_v3"). Every field optional; the message centre
// sets `isRead` to 1 in place when the user opens it.
class NBMessageListModel : public JsonRecord<NBMessageListModel>
{
public:
    // The declared keys, each once (fromJson and toJson come from it).
    static const JsonRecordCodec<NBMessageListModel> &codec();

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
