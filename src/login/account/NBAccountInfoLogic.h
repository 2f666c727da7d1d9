#pragma once

#include "common/HHUserInfo.h"
#include "login/rows/NBSettingCellItem.h"

#include <QJsonObject>
#include <QList>

#include <optional>

// The account list apart from its drawing: which rows, in which order, how tall, and what a
// click on a row opens.
//
// Layouts by the stored user: phone bound and no e-mail: id, phone, e-mail, password, status,
// expiry; an e-mail bound: id, e-mail, phone, password, status, expiry; neither: id, e-mail,
// phone, status, expiry (no password to change).
class NBAccountInfoLogic
{
public:
    struct Rows
    {
        QList<QJsonObject> dictionaries;
        bool phoneHasSet = false;
        bool emailHasSet = false;
    };
    static Rows rowItems(const std::optional<HHUserInfo> &user);
    static QList<NBSettingCellItem> items(const QList<QJsonObject> &dictionaries);

    static constexpr int kRowHeight = 48;
    static constexpr int kTwoLineRowHeight = 60;
    // 48 a row, 12 more when the expiry row shows two lines.
    static int tableHeight(int rows, bool bothExpiryTimes);
    static int rowHeight(int row, int rows, bool bothExpiryTimes);

    enum class Opens { Nothing, BindEmail, BindPhone, ChangePassword };
    static Opens clickTarget(const NBSettingCellItem &item);
    // Unbound e-mail and phone rows and the password row lead somewhere (a push row).
    static bool isPushRow(const NBSettingCellItem &item);

private:
    NBAccountInfoLogic() = delete;
};
