#include "login/form/AccountReply.h"

#include "networking/OONetWorkTool.h"

AccountReply AccountReply::read(const std::optional<QJsonObject> &reply)
{
    AccountReply result;
    if (!reply) {
        result.m_message = OONetWorkTool::serverDataError();
        return result;
    }
    if (OONetWorkTool::isSuccess(*reply)) {
        result.m_kind = Kind::Success;
        result.m_reply = *reply;
        return result;
    }
    if (OONetWorkTool::isAccountException(*reply)) {
        result.m_kind = Kind::Silent;
        return result;
    }
    const QJsonValue message = reply->value(QStringLiteral("message"));
    result.m_message = message.isString() && !message.toString().isEmpty() ? message.toString() : OONetWorkTool::serverDataError();
    return result;
}

AccountReply AccountReply::readSignIn(const std::optional<QJsonObject> &reply)
{
    AccountReply result = read(reply);
    if (!result.isSuccess())
        return result;
    if (OONetWorkTool::storeSignedInUser(*reply))
        return result;
    AccountReply failure;
    failure.m_message = OONetWorkTool::serverDataError();
    return failure;
}
