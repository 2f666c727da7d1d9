#include "common/MKUser.h"

#include "common/JsonFields.h"

namespace {

// The visitor flag's type is not fixed by the service: a number reads as its truth value, and an
// unexpected type leaves the flag unknown instead of losing the whole user.
std::optional<bool> visitorFlag(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool();
    if (value.isDouble())
        return value.toDouble() != 0;
    return std::nullopt;
}

} // namespace

std::optional<MKUser> MKUser::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    MKUser user;
    user.id = fields.integer(QStringLiteral("id"));
    user.apiToken = fields.text(QStringLiteral("api_token"));
    user.userType = fields.integer(QStringLiteral("user_type"));
    user.userLevel = fields.integer(QStringLiteral("user_level"));
    user.username = fields.text(QStringLiteral("username"));
    user.phone = fields.text(QStringLiteral("phone"));
    user.emailAdress = fields.text(QStringLiteral("email_address"));
    user.regionCode = fields.text(QStringLiteral("region_code")).value_or(QString());
    user.vipInvalidTime = fields.text(QStringLiteral("vip_invalid_time"));
    user.svipInvalidTime = fields.text(QStringLiteral("svip_invalid_time"));
    if (!fields.ok())
        return std::nullopt;
    user.isVisitor = visitorFlag(json.value(QStringLiteral("is_visitor")));
    user.m_raw = json;
    return user;
}

QJsonObject MKUser::toJson() const
{
    QJsonObject json = m_raw;
    JsonFields::put(json, QStringLiteral("id"), id);
    JsonFields::put(json, QStringLiteral("api_token"), apiToken);
    JsonFields::put(json, QStringLiteral("user_type"), userType);
    JsonFields::put(json, QStringLiteral("user_level"), userLevel);
    JsonFields::put(json, QStringLiteral("username"), username);
    JsonFields::put(json, QStringLiteral("phone"), phone);
    JsonFields::put(json, QStringLiteral("email_address"), emailAdress);
    json.insert(QStringLiteral("region_code"), regionCode);
    JsonFields::put(json, QStringLiteral("vip_invalid_time"), vipInvalidTime);
    JsonFields::put(json, QStringLiteral("svip_invalid_time"), svipInvalidTime);
    // Kept in its received form unless it was changed.
    if (isVisitor != visitorFlag(m_raw.value(QStringLiteral("is_visitor"))))
        JsonFields::put(json, QStringLiteral("is_visitor"), isVisitor);
    return json;
}
