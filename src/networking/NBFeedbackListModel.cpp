#include "networking/NBFeedbackListModel.h"

const JsonRecordCodec<NBFeedbackListModel> &NBFeedbackListModel::codec()
{
    using M = NBFeedbackListModel;
    static const JsonRecordCodec<M> fields{
        {QStringLiteral("content"), &M::content}, {QStringLiteral("created_at"), &M::createdTime},
        {QStringLiteral("id"), &M::id},           {QStringLiteral("image_url"), &M::imageUrl},
        {QStringLiteral("is_read"), &M::isRead},  {QStringLiteral("kind"), &M::kind},
    };
    return fields;
}
