#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The sign-in forms' local checks and request parameters, without any drawing. A check answers
// the localisation key of the first failing rule, or nothing when the form may be sent.
class LoginFormChecks
{
public:
    // Both fields for emptiness first, then the e-mail rule, then the password rule.
    static std::optional<QString> checkEmailForm(const QString &email, const QString &password);
    // Phone emptiness and rule first, then the password's.
    static std::optional<QString> checkPhoneForm(const QString &phone, const QString &password);

    // "signType" "4": "emailAddress", "password".
    static QJsonObject emailParams(const QString &email, const QString &password);
    // "signType" "3": "phone", "password" and "region_code" (the calling code shown, "+86" style).
    static QJsonObject phoneParams(const QString &phone, const QString &password, const QString &regionCode);

private:
    LoginFormChecks() = delete;
};
