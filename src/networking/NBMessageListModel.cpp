#include "networking/NBMessageListModel.h"

const JsonRecordCodec<NBMessageListModel> &NBMessageListModel::codec()
{
    using M = NBMessageListModel;
    static const JsonRecordCodec<M> fields{
        {QStringLiteral("isRead"), &M::isRead},       {QStringLiteral("linkUrl"), &M::linkUrl},
        {QStringLiteral("id"), &M::id},               {QStringLiteral("textBody"), &M::textBody},
        {QStringLiteral("title"), &M::title},         {QStringLiteral("body"), &M::body},
        {QStringLiteral("createTime"), &M::createTime}, {QStringLiteral("topType"), &M::topType},
        {QStringLiteral("messageType"), &M::messageType},
    };
    return fields;
}
