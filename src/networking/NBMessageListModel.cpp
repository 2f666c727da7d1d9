#include "networking/NBMessageListModel.h"

#include "networking/JsonRecordCodec.h"

namespace {

const JsonRecordCodec<NBMessageListModel> &codec()
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

} // namespace

std::optional<NBMessageListModel> NBMessageListModel::fromJson(const QJsonObject &json)
{
    return codec().decode(json);
}

QJsonObject NBMessageListModel::toJson() const
{
    return codec().encode(*this);
}
