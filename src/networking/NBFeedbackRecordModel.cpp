#include "networking/NBFeedbackRecordModel.h"

#include <cmath>

const JsonRecordCodec<NBFeedbackRecordModel> &NBFeedbackRecordModel::codec()
{
    using M = NBFeedbackRecordModel;
    static const JsonRecordCodec<M> fields{
        {QStringLiteral("content"), &M::content},   {QStringLiteral("createTime"), &M::createTime},
        {QStringLiteral("id"), &M::id},             {QStringLiteral("imageUrl"), &M::imageUrl},
        {QStringLiteral("userId"), &M::userId},     {QStringLiteral("userType"), &M::userType},
        {QStringLiteral("username"), &M::username},
    };
    return fields;
}

qreal NBFeedbackRecordModel::rowHeight(const std::function<qreal(const QString &)> &contentTextHeight) const
{
    qreal height = kTopMargin + kRowBase;
    if (content && !content->isEmpty() && contentTextHeight)
        height += std::ceil(contentTextHeight(*content));
    if (imageUrl && !imageUrl->isEmpty())
        height += kPictureHeight;
    return height;
}
