#include "login/code/NBVerityCodeLogic.h"

#include "common/Localization.h"
#include "common/OOTools.h"

namespace {

VerityCodeType orFind(std::optional<VerityCodeType> type)
{
    return type.value_or(VerityCodeType::findPhone);
}

void putIfKnown(QJsonObject &params, const QString &key, const std::optional<QString> &value)
{
    if (value)
        params.insert(key, *value);
}

QString sixDigitsProblem()
{
    return localizedByAppLanguage(QStringLiteral("PLEASEURE_ENTER_SIX_CODE"));
}

} // namespace

int NBVerityCodeLogic::registerType(std::optional<VerityCodeType> type)
{
    switch (orFind(type)) {
    case VerityCodeType::bindPhone:
    case VerityCodeType::bindEmail:
        return 7;
    case VerityCodeType::registerPhone:
    case VerityCodeType::registerEmail:
        return 0;
    case VerityCodeType::findPhone:
    case VerityCodeType::findEmail:
        return 1;
    }
    return 1;
}

bool NBVerityCodeLogic::isPhone(std::optional<VerityCodeType> type)
{
    const VerityCodeType t = orFind(type);
    return t == VerityCodeType::bindPhone || t == VerityCodeType::registerPhone || t == VerityCodeType::findPhone;
}

QString NBVerityCodeLogic::titleKey(std::optional<VerityCodeType> type)
{
    switch (orFind(type)) {
    case VerityCodeType::bindPhone:
        return QStringLiteral("RECEIVE_VRITIFYCODE_BIND_PHONE_TITLE");
    case VerityCodeType::bindEmail:
        return QStringLiteral("RECEIVE_VRITIFYCODE_BIND_EMAIL_TITLE");
    case VerityCodeType::registerPhone:
    case VerityCodeType::registerEmail:
        return QStringLiteral("RECEIVE_VRITIFYCODE_VERITY_PHONE_TITLE");
    default:
        return QStringLiteral("RECEIVE_VRITIFYCODE_RE_EMAIL_TITLE");
    }
}

QString NBVerityCodeLogic::contentKey(std::optional<VerityCodeType> type)
{
    switch (orFind(type)) {
    case VerityCodeType::bindPhone:
        return QStringLiteral("RECEIVE_VRITIFYCODE_BIND_PHONE_TRIPS");
    case VerityCodeType::registerPhone:
    case VerityCodeType::findPhone:
        return QStringLiteral("RECEIVE_VRITIFYCODE_VERITY_PHONE_TRIPS");
    default:
        return QStringLiteral("RECEIVE_VRITIFYCODE_BIND_EMAIL_TRIPS");
    }
}

OONetWorkTool::AccountCall NBVerityCodeLogic::codeRequest(std::optional<VerityCodeType> type)
{
    return isPhone(type) ? &OONetWorkTool::sendRegisterCode : &OONetWorkTool::sendEmail;
}

QJsonObject NBVerityCodeLogic::codeParams(std::optional<VerityCodeType> type, const Known &known)
{
    QJsonObject params{{QStringLiteral("register_type"), registerType(type)}};
    const VerityCodeType t = orFind(type);
    const bool sendsPassword = t != VerityCodeType::findPhone && t != VerityCodeType::findEmail;
    if (sendsPassword)
        putIfKnown(params, QStringLiteral("password"), known.passWord);
    if (isPhone(type)) {
        putIfKnown(params, QStringLiteral("region_code"), known.regCode);
        putIfKnown(params, QStringLiteral("phone"), known.account);
    } else {
        putIfKnown(params, QStringLiteral("emailAdress"), known.account);
    }
    return params;
}

NBVerityCodeLogic::Continue NBVerityCodeLogic::continuation(std::optional<VerityCodeType> type)
{
    if (!type)
        return Continue::Register;
    switch (*type) {
    case VerityCodeType::bindPhone:
    case VerityCodeType::bindEmail:
        return Continue::Bind;
    case VerityCodeType::findPhone:
    case VerityCodeType::findEmail:
        return Continue::NewPassword;
    default:
        return Continue::Register;
    }
}

NBVerityCodeLogic::Outcome NBVerityCodeLogic::bindParams(VerityCodeType type, const QString &code, const Known &known)
{
    if (!OOTools::isValidCode(code))
        return sixDigitsProblem();
    if (!known.account || !known.passWord)
        return std::monostate{};
    // A password the sign-in forms would refuse must not become the account's password.
    if (!OOTools::isValidPassword(*known.passWord))
        return QStringLiteral("密码格式不对");
    QJsonObject params{{QStringLiteral("register_valid_code"), code},
                       {QStringLiteral("boundAccount"), *known.account},
                       {QStringLiteral("new_password"), *known.passWord}};
    if (type == VerityCodeType::bindPhone)
        params.insert(QStringLiteral("region_code"), known.regCode.value_or(QStringLiteral("+86")));
    return params;
}

std::variant<std::monostate, QString, NBVerityCodeLogic::RegisterRequest>
NBVerityCodeLogic::registerParams(std::optional<VerityCodeType> type, const QString &code, const Known &known)
{
    if (!known.account || !known.passWord)
        return std::monostate{};
    RegisterRequest request;
    if (type == VerityCodeType::registerPhone) {
        const QString region = known.regCode.value_or(QStringLiteral("+86"));
        request.registration = {{QStringLiteral("region_code"), region}, {QStringLiteral("phone"), *known.account}};
        request.signIn = {{QStringLiteral("region_code"), region},
                          {QStringLiteral("username"), *known.account},
                          {QStringLiteral("password"), *known.passWord}};
    } else {
        request.registration = {{QStringLiteral("emailAdress"), *known.account}};
        request.signIn = {{QStringLiteral("username"), *known.account}, {QStringLiteral("password"), *known.passWord}};
    }
    request.registration.insert(QStringLiteral("register_valid_code"), code);
    request.registration.insert(QStringLiteral("password"), *known.passWord);
    if (!OOTools::isValidCode(code))
        return sixDigitsProblem();
    // The same rule as binding: a password the sign-in forms would refuse is never registered.
    if (!OOTools::isValidPassword(*known.passWord))
        return QStringLiteral("密码格式不对");
    return request;
}
