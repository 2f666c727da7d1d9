#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// What the registration and password-retrieval forms check before they send, and the parameters
// they send, apart from any drawing. Every text returned is already localised.
//
// Where a password is set (both registrations, both retrievals) the two entries must be equal
// and follow the password rule the sign-in forms enforce; otherwise a user could set a password
// he can never sign in with.
class AccountFormLogic
{
public:
    struct Problem
    {
        enum class Toast { Error, Warn };
        Toast toast = Toast::Error;
        QString text;
    };

    // "register_type" of the code requests (a JSON number).
    enum RegisterType { Registration = 0, Retrieval = 1 };

    // The action buttons: enabled while every required field holds text (spaces count).
    static bool allFilled(const QStringList &texts);

    // --- checks, in the forms' order; nothing when the form may send -------------------------
    static std::optional<Problem> checkPhoneRegistration(const QString &phone, const QString &password,
                                                         const QString &again);
    static std::optional<Problem> checkEmailRegistration(const QString &email, const QString &password,
                                                         const QString &again);
    // The e-mail registration's code request: only the address rule.
    static std::optional<Problem> checkEmailForCode(const QString &email);
    // The retrieval forms' code requests: an empty entry is asked for first.
    static std::optional<Problem> checkRetrievalEmailForCode(const QString &email);
    static std::optional<Problem> checkRetrievalPhoneForCode(const QString &phone);
    // Reset: the two entries equal ("密码不一致", a warning), then the password rule.
    static std::optional<Problem> checkRetrieval(const QString &password, const QString &again);

    // --- parameters (all texts as typed, except the numeric "register_type"); the sign-in that
    // follows a reset sends the sign-in forms' own (LoginFormChecks) ----------------------------
    static QJsonObject phoneCodeParams(RegisterType type, const QString &regionCode, const QString &phone);
    // "emailAdress" (one d): the service's key for the e-mail code request.
    static QJsonObject emailCodeParams(RegisterType type, const QString &email);
    static QJsonObject phoneRegisterParams(const QString &code, const QString &regionCode, const QString &phone,
                                           const QString &password, const QString &invitation);
    static QJsonObject emailRegisterParams(const QString &code, const QString &email, const QString &password,
                                           const QString &invitation);
    static QJsonObject phoneResetParams(const QString &code, const QString &regionCode, const QString &phone,
                                        const QString &password, const QString &again);
    static QJsonObject emailResetParams(const QString &code, const QString &email, const QString &password,
                                        const QString &again);

private:
    AccountFormLogic() = delete;
    static std::optional<Problem> checkNewPassword(const QString &password, const QString &again);
};
