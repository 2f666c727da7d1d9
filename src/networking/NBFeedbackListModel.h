#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "networking/JsonRecordCodec.h"

// One feedback of the feedback list ("page_datas"). Every field optional and settable.
class NBFeedbackListModel : public JsonRecord<NBFeedbackListModel>
{
public:
    // The declared keys, each once (fromJson and toJson come from it).
    static const JsonRecordCodec<NBFeedbackListModel> &codec();

    std::optional<QString> content;
    std::optional<QString> createdTime;     // "created_at"
    std::optional<qint64> id;
    std::optional<QStringList> imageUrl;    // "image_url"
    std::optional<qint64> isRead;           // "is_read"
    std::optional<qint64> kind;
};
