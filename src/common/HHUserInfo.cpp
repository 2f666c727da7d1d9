#include "common/HHUserInfo.h"

#include "common/JsonFields.h"
#include "common/JsonUtils.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// The service's types for these two are not fixed: take a number or a Boolean, and leave the
// field unknown for anything else rather than refusing the whole record.
std::optional<qint64> lenientInteger(const QJsonValue &value)
{
    if (value.isBool() || value.isDouble())
        return JsonUtils::intValue(value);
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().toLongLong(&ok);
        if (ok)
            return number;
    }
    return std::nullopt;
}

} // namespace

std::optional<HHUserInfo> HHUserInfo::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    HHUserInfo info;
    info.kind = lenientInteger(json.value(QStringLiteral("kind")));
    info.existNewMessage = lenientInteger(json.value(QStringLiteral("exist_new_message")));
    info.proxySessionId = fields.text(QStringLiteral("proxy_session_id"));
    const std::optional<QJsonObject> userJson = fields.object(QStringLiteral("user"));
    if (!fields.ok())
        return std::nullopt;
    if (userJson) {
        info.user = MKUser::fromJson(*userJson);
        if (!info.user)
            return std::nullopt;
    }
    info.m_raw = json;
    return info;
}

std::optional<HHUserInfo> HHUserInfo::fromJsonText(const QString &text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return fromJson(document.object());
}

QJsonObject HHUserInfo::toJson() const
{
    QJsonObject json = m_raw;
    // Fields we only read leniently keep their received form unless they were changed.
    if (kind != lenientInteger(m_raw.value(QStringLiteral("kind"))))
        JsonFields::put(json, QStringLiteral("kind"), kind);
    if (existNewMessage != lenientInteger(m_raw.value(QStringLiteral("exist_new_message"))))
        JsonFields::put(json, QStringLiteral("exist_new_message"), existNewMessage);
    JsonFields::put(json, QStringLiteral("proxy_session_id"), proxySessionId);
    if (user)
        json.insert(QStringLiteral("user"), user->toJson());
    else
        json.remove(QStringLiteral("user"));
    return json;
}

QString HHUserInfo::toJsonText() const
{
    return QString::fromUtf8(QJsonDocument(toJson()).toJson(QJsonDocument::Compact));
}

std::optional<QString> HHUserInfo::maskedAccount() const
{
    if (!user)
        return std::nullopt;
    const QString phone = user->phone.value_or(QString());
    if (phone.size() >= 5)
        return user->regionCode + QStringLiteral("******") + phone.right(4);
    const QString email = user->emailAdress.value_or(QString());
    if (email.size() >= 8)
        return email.left(1) + QStringLiteral("*****") + email.right(7);
    return std::nullopt;
}
