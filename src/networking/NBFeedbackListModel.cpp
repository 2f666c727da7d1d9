#include "networking/NBFeedbackListModel.h"

#include "networking/JsonRecordCodec.h"

namespace {

const JsonRecordCodec<NBFeedbackListModel> &codec()
{
    using M = NBFeedbackListModel;
    static const JsonRecordCodec<M> fields{
        {QStringLiteral("content"), &M::content}, {QStringLiteral("created_at"), &M::createdTime},
        {QStringLiteral("id"), &M::id},           {QStringLiteral("image_url"), &M::imageUrl},
        {QStringLiteral("is_read"), &M::isRead},  {QStringLiteral("kind"), &M::kind},
    };
    return fields;
}

} // namespace

std::optional<NBFeedbackListModel> NBFeedbackListModel::fromJson(const QJsonObject &json)
{
    return codec().decode(json);
}

QJsonObject NBFeedbackListModel::toJson() const
{
    return codec().encode(*this);
}
