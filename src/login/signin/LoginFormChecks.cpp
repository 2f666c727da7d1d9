#include "login/signin/LoginFormChecks.h"

#include "common/OOTools.h"

std::optional<QString> LoginFormChecks::checkEmailForm(const QString &email, const QString &password)
{
    if (email.isEmpty())
        return QStringLiteral("PLEASE_ENTER_PHONE_ACCOUNT");
    if (password.isEmpty())
        return QStringLiteral("PLEASE_ENTER_PWD");
    if (!OOTools::isValidEmail(email))
        return QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR");
    if (!OOTools::isValidPassword(password))
        return QStringLiteral("PLEASE_ENTER_CURRENT_PWD");
    return std::nullopt;
}

std::optional<QString> LoginFormChecks::checkPhoneForm(const QString &phone, const QString &password)
{
    if (phone.isEmpty())
        return QStringLiteral("PLEASE_ENTER_PHONE_ACCOUNT");
    if (!OOTools::isValidPhone(phone))
        return QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR");
    if (password.isEmpty())
        return QStringLiteral("PLEASE_ENTER_PWD");
    if (!OOTools::isValidPassword(password))
        return QStringLiteral("PLEASE_ENTER_CURRENT_PWD");
    return std::nullopt;
}

QJsonObject LoginFormChecks::emailParams(const QString &email, const QString &password)
{
    return QJsonObject{{QStringLiteral("signType"), QStringLiteral("4")},
                       {QStringLiteral("emailAddress"), email},
                       {QStringLiteral("password"), password}};
}

QJsonObject LoginFormChecks::phoneParams(const QString &phone, const QString &password, const QString &regionCode)
{
    return QJsonObject{{QStringLiteral("signType"), QStringLiteral("3")},
                       {QStringLiteral("phone"), phone},
                       {QStringLiteral("password"), password},
                       {QStringLiteral("region_code"), regionCode}};
}
