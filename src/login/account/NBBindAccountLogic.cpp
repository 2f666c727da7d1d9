#include "login/account/NBBindAccountLogic.h"

#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/OOTools.h"
#include "login/form/AccountPasswordRules.h"
#include "webcore/OOWebCommon.h"

bool NBBindAccountLogic::isBind(const std::optional<HHUserInfo> &user)
{
    if (!user || !user->user)
        return false;
    return !user->user->phone.value_or(QString()).isEmpty() || !user->user->emailAdress.value_or(QString()).isEmpty();
}

std::optional<QString> NBBindAccountLogic::checkPhoneForCode(const QString &phone)
{
    if (phone.isEmpty())
        return localizedByAppLanguage(QStringLiteral("PLEASE_ENTER_YOUR_MOBLE_PHONE"));
    if (!OOTools::isValidPhone(phone))
        return localizedByAppLanguage(QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"));
    return std::nullopt;
}

std::optional<QString> NBBindAccountLogic::checkEmailForCode(const QString &email)
{
    if (email.isEmpty())
        return localizedByAppLanguage(QStringLiteral("PLEASE_ENTER_YOUR_EMAIL_ADRESS"));
    if (!OOTools::isValidEmail(email))
        return localizedByAppLanguage(QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"));
    return std::nullopt;
}

QJsonObject NBBindAccountLogic::phoneCodeParams(const QString &regionCode, const QString &phone)
{
    return QJsonObject{{QStringLiteral("region_code"), regionCode},
                       {QStringLiteral("register_type"), kBindingRegisterType},
                       {QStringLiteral("phone"), phone}};
}

QJsonObject NBBindAccountLogic::emailCodeParams(const QString &email)
{
    return QJsonObject{{QStringLiteral("register_type"), kBindingRegisterType}, {QStringLiteral("emailAdress"), email}};
}

std::variant<QJsonObject, QString> NBBindAccountLogic::bindParams(const BindInput &input)
{
    QJsonObject params{{QStringLiteral("register_valid_code"), input.code},
                       {QStringLiteral("boundAccount"), input.account}};
    if (input.type == BindAccountType::phone)
        params.insert(QStringLiteral("region_code"), input.regionCode);
    if (!input.isBind) {
        if (const std::optional<QString> problem = AccountPasswordRules::checkNewPassword(input.password, input.again))
            return *problem;
        params.insert(QStringLiteral("new_password"), input.password);
    }
    return params;
}

bool NBBindAccountLogic::storeBoundAccount(BindAccountType type, const QString &regionCode, const QString &account)
{
    MKUserInfoManager &manager = MKUserInfoManager::shared();
    if (type == BindAccountType::phone)
        return manager.updatePhone(regionCode, account);
    std::optional<HHUserInfo> info = manager.currentUser();
    if (!info || !info->user)
        return false;
    info->user->emailAdress = account;
    // The record is its received JSON with this one field written over, so nothing else is lost.
    const std::optional<QJsonObject> dictionary = OOWebCommon::userInfoDictionary(info);
    return dictionary && manager.saveUser(*dictionary);
}
