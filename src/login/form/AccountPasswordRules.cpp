#include "login/form/AccountPasswordRules.h"

#include "common/OOTools.h"

std::optional<QString> AccountPasswordRules::checkNewPassword(const QString &password, const QString &again)
{
    if (password != again)
        return QStringLiteral("密码不一致");
    if (!OOTools::isValidPassword(password))
        return QStringLiteral("密码格式不对");
    return std::nullopt;
}
