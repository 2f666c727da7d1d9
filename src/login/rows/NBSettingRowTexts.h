#pragma once

#include "common/HHUserInfo.h"

#include <QString>

#include <optional>

// The values the settings rows show for the signed-in user, apart from any drawing: the masked
// e-mail address and phone number, the user id and the membership expiry lines.
class NBSettingRowTexts
{
public:
    // Shown in place of a user id when there is no user or no user name.
    static QString placeholderUserId() { return QStringLiteral("a1b2c3d4e5f6g7"); }

    // First character, "*****", last seven; nothing below 8 characters (the row keeps its value).
    static std::optional<QString> maskedEmail(const QString &address);
    // Calling code, "******", last four; nothing below 5 characters.
    static std::optional<QString> maskedPhone(const QString &regionCode, const QString &phone);

    static QString userId(const std::optional<HHUserInfo> &user);

    struct Expiry
    {
        QString value;                 // the first line
        std::optional<QString> more;   // the second line, shown only when both times are known
    };
    // Both expiry times known: senior first, ordinary below. Otherwise by the membership level
    // ("user_level"): 1 the ordinary time, 2 the senior time, anything else "已到期". Never a
    // line without a date: when the level's time is missing the other known time is shown, and
    // with neither "已到期".
    static Expiry expiry(const std::optional<HHUserInfo> &user);

    // "普通会员", "高级会员" or "非会员" by membership level.
    static QString statusText(const std::optional<HHUserInfo> &user);

private:
    NBSettingRowTexts() = delete;
};
