#include "login/form/AccountReply.h"

#include "common/Localization.h"
#include "common/MKUserInfoManager.h"

namespace {

bool successIsTrue(const QJsonObject &reply)
{
    const QJsonValue value = reply.value(QStringLiteral("success"));
    if (value.isBool())
        return value.toBool();
    return value.isDouble() && value.toDouble() == 1;
}

bool isAccountException(const QJsonObject &reply)
{
    const QJsonValue code = reply.value(QStringLiteral("error_code"));
    return code.isDouble() && code.toDouble() == 101;
}

} // namespace

QString AccountReply::serverDataError()
{
    return localizedByAppLanguage(QStringLiteral("SERVER_DATA_ERROR"));
}

AccountReply AccountReply::read(const std::optional<QJsonObject> &reply)
{
    AccountReply result;
    if (!reply) {
        result.m_message = serverDataError();
        return result;
    }
    if (successIsTrue(*reply)) {
        result.m_kind = Kind::Success;
        result.m_reply = *reply;
        return result;
    }
    if (isAccountException(*reply)) {
        result.m_kind = Kind::Silent;
        return result;
    }
    const QJsonValue message = reply->value(QStringLiteral("message"));
    result.m_message = message.isString() && !message.toString().isEmpty() ? message.toString() : serverDataError();
    return result;
}

AccountReply AccountReply::readSignIn(const std::optional<QJsonObject> &reply)
{
    AccountReply result = read(reply);
    if (!result.isSuccess())
        return result;
    const QJsonValue data = reply->value(QStringLiteral("data"));
    if (data.isObject() && MKUserInfoManager::shared().saveUser(data.toObject()))
        return result;
    AccountReply failure;
    failure.m_message = serverDataError();
    return failure;
}
