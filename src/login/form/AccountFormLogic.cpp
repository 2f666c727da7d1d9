#include "login/form/AccountFormLogic.h"

#include "common/Localization.h"
#include "common/OOTools.h"

namespace {

AccountFormLogic::Problem error(const char *key)
{
    return {AccountFormLogic::Problem::Toast::Error, localizedByAppLanguage(QString::fromUtf8(key))};
}

} // namespace

bool AccountFormLogic::allFilled(const QStringList &texts)
{
    for (const QString &text : texts) {
        if (text.isEmpty())
            return false;
    }
    return true;
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkNewPassword(const QString &password,
                                                                          const QString &again)
{
    if (password.isEmpty() || again.isEmpty())
        return error("PLEASE_ENTER_PWD");
    if (password != again)
        return error("REGISTER_EMAIL_PWD_NOT_THE_SAME");
    if (!OOTools::isValidPassword(password))
        return error("PLEASE_ENTER_CURRENT_PASSWORD");
    return std::nullopt;
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkPhoneRegistration(const QString &phone,
                                                                                const QString &password,
                                                                                const QString &again)
{
    if (phone.isEmpty())
        return error("PLEASE_ENTER_YOUR_MOBLE_PHONE");
    if (!OOTools::isValidPhone(phone))
        return error("ENTER_PHONE_ACCOUNT_ERROR");
    return checkNewPassword(password, again);
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkEmailRegistration(const QString &email,
                                                                                const QString &password,
                                                                                const QString &again)
{
    if (const auto problem = checkEmailForCode(email))
        return problem;
    return checkNewPassword(password, again);
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkEmailForCode(const QString &email)
{
    if (!OOTools::isValidEmail(email))
        return error("ENTER_PHONE_ACCOUNT_ERROR");
    return std::nullopt;
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkRetrievalEmailForCode(const QString &email)
{
    if (email.isEmpty())
        return error("PLEASE_ENTER_YOUR_EMAIL_ADRESS");
    return checkEmailForCode(email);
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkRetrievalPhoneForCode(const QString &phone)
{
    if (phone.isEmpty())
        return error("PLEASE_ENTER_YOUR_MOBLE_PHONE");
    if (!OOTools::isValidPhone(phone))
        return error("ENTER_PHONE_ACCOUNT_ERROR");
    return std::nullopt;
}

std::optional<AccountFormLogic::Problem> AccountFormLogic::checkRetrieval(const QString &password, const QString &again)
{
    if (password != again)
        return Problem{Problem::Toast::Warn, QStringLiteral("密码不一致")};
    return checkNewPassword(password, again);
}

QJsonObject AccountFormLogic::phoneCodeParams(RegisterType type, const QString &regionCode, const QString &phone)
{
    return QJsonObject{{QStringLiteral("register_type"), int(type)},
                       {QStringLiteral("region_code"), regionCode},
                       {QStringLiteral("phone"), phone}};
}

QJsonObject AccountFormLogic::emailCodeParams(RegisterType type, const QString &email)
{
    return QJsonObject{{QStringLiteral("register_type"), int(type)}, {QStringLiteral("emailAdress"), email}};
}

QJsonObject AccountFormLogic::phoneRegisterParams(const QString &code, const QString &regionCode, const QString &phone,
                                                  const QString &password, const QString &invitation)
{
    QJsonObject params{{QStringLiteral("register_valid_code"), code},
                       {QStringLiteral("region_code"), regionCode},
                       {QStringLiteral("phone"), phone},
                       {QStringLiteral("password"), password}};
    if (!invitation.isEmpty())
        params.insert(QStringLiteral("invitation_code"), invitation);
    return params;
}

QJsonObject AccountFormLogic::emailRegisterParams(const QString &code, const QString &email, const QString &password,
                                                  const QString &invitation)
{
    QJsonObject params{{QStringLiteral("register_valid_code"), code},
                       {QStringLiteral("emailAddress"), email},
                       {QStringLiteral("password"), password}};
    if (!invitation.isEmpty())
        params.insert(QStringLiteral("invitation_code"), invitation);
    return params;
}

QJsonObject AccountFormLogic::phoneResetParams(const QString &code, const QString &regionCode, const QString &phone,
                                               const QString &password, const QString &again)
{
    return QJsonObject{{QStringLiteral("register_valid_code"), code},
                       {QStringLiteral("region_code"), regionCode},
                       {QStringLiteral("account"), phone},
                       {QStringLiteral("new_password"), password},
                       {QStringLiteral("new_password_again"), again},
                       {QStringLiteral("register_type"), int(Retrieval)}};
}

QJsonObject AccountFormLogic::emailResetParams(const QString &code, const QString &email, const QString &password,
                                               const QString &again)
{
    return QJsonObject{{QStringLiteral("register_valid_code"), code},
                       {QStringLiteral("account"), email},
                       {QStringLiteral("new_password"), password},
                       {QStringLiteral("new_password_again"), again},
                       {QStringLiteral("register_type"), int(Retrieval)}};
}
