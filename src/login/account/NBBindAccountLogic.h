#pragma once

#include "common/HHUserInfo.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <variant>

// What is bound on the binding screen.
enum class BindAccountType { email, phone };

// The binding screen apart from its drawing: its checks, the parameters of its requests and the
// update of the stored user after a binding.
class NBBindAccountLogic
{
public:
    static constexpr int kBindingRegisterType = 7;

    // The stored user already has a phone number or an e-mail address: no password is asked.
    static bool isBind(const std::optional<HHUserInfo> &user);

    // The send-code checks: empty entry first, then the rule. Localised text, or nothing.
    static std::optional<QString> checkPhoneForCode(const QString &phone);
    static std::optional<QString> checkEmailForCode(const QString &email);
    // "region_code", "register_type" 7 (a number), "phone".
    static QJsonObject phoneCodeParams(const QString &regionCode, const QString &phone);
    // "register_type" 7, "emailAdress" (the service's spelling).
    static QJsonObject emailCodeParams(const QString &email);

    struct BindInput
    {
        BindAccountType type = BindAccountType::email;
        QString code;
        QString account;
        QString regionCode;   // phone only
        QString password;
        QString again;
        bool isBind = false;  // no password asked, none sent
    };
    // The parameters of "registers/bound_account", or the text of the first failed check.
    static std::variant<QJsonObject, QString> bindParams(const BindInput &input);

    // After a successful binding: the stored record is patched in place (every other key, the
    // token among them, kept). False when there is no stored user or it could not be stored.
    static bool storeBoundAccount(BindAccountType type, const QString &regionCode, const QString &account);

private:
    NBBindAccountLogic() = delete;
};
