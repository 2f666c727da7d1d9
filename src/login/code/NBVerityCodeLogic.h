#pragma once

#include "login/code/VerityCodeType.h"
#include "networking/OONetWorkTool.h"

#include <QJsonObject>
#include <QString>

#include <optional>
#include <variant>

// The verification-code screen apart from its drawing: texts, code requests and the parameters
// of its three continuations (bind, register and sign in, new password). A screen without a
// type behaves as `findPhone`, except that continuing registers.
class NBVerityCodeLogic
{
public:
    // "register_type": 7 binding, 0 registration, 1 retrieval.
    static int registerType(std::optional<VerityCodeType> type);
    static bool isPhone(std::optional<VerityCodeType> type);
    static QString titleKey(std::optional<VerityCodeType> type);
    static QString contentKey(std::optional<VerityCodeType> type);

    struct Known
    {
        std::optional<QString> account;
        std::optional<QString> passWord;
        std::optional<QString> regCode;
    };
    // "registers/send_register_code" for phone types, "registers/send_email" for e-mail types.
    static OONetWorkTool::AccountCall codeRequest(std::optional<VerityCodeType> type);
    // Each value only when known; the retrieval types send no password.
    static QJsonObject codeParams(std::optional<VerityCodeType> type, const Known &known);

    enum class Continue { Bind, Register, NewPassword };
    static Continue continuation(std::optional<VerityCodeType> type);

    // Nothing to send (missing account or password: silently nothing), a text to show, or the
    // parameters. The code must be six digits and the password follow the password rule.
    using Outcome = std::variant<std::monostate, QString, QJsonObject>;
    static Outcome bindParams(VerityCodeType type, const QString &code, const Known &known);
    struct RegisterRequest
    {
        QJsonObject registration;
        QJsonObject signIn;
    };
    static std::variant<std::monostate, QString, RegisterRequest> registerParams(std::optional<VerityCodeType> type,
                                                                                 const QString &code,
                                                                                 const Known &known);

private:
    NBVerityCodeLogic() = delete;
};
