#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

#include "settings/general/OOGeneralModel.h"

// What the general settings and their pickers read and store, without drawing: the row
// descriptions built from the stored settings, the line-order text, the switches, the pickers'
// choices and the reset of every general setting.
//
// Keys: "kAutoConnectionStateKey" (written as an Int, read as a Bool), "kNotificationStateKey"
// (Bool), "kLineOrderType" (Int: 0 server order, 1 latency order; missing reads as 0) and
// "kAppLanguageKey" (a language code).
class GeneralSettings
{
public:
    enum class ResetOutcome {
        // The language stayed: the screen builds its rows again in place.
        RowsRebuilt,
        // The language went back to the default and "kSwitchLanguge" was posted: the main window
        // builds its content again, which replaces the screen.
        LanguageReset,
    };

    // The five row descriptions in their order (auto connection, notifications, line order,
    // language, reset), texts in the application language.
    static QList<QJsonObject> rowDefinitions();
    // The rows of the descriptions in order; a description that does not decode ends the list
    // (the rows before it stay).
    static QList<OOGeneralModel> decodeRows(const QList<QJsonObject> &descriptions);
    // "GENERAL_ORDER_LATENCY" when "kLineOrderType" holds a non-zero integer, else
    // "GENERAL_ORDER_DEFAULT" (missing, 0, or not an integer), localised.
    static QString lineOrderText();
    // The height of the automatic-connection row: the explanation measured at 280 wide, + 35.
    static int autoConnectionRowHeight(const QString &info);

    static void storeAutoConnection(bool on);
    static void storeNotification(bool on);
    // The sort picker's row number as the stored order.
    static void storeLineOrder(int order);
    // Stores the code and posts "kSwitchLanguge", also when the code is the stored one already.
    static void storeLanguage(const QString &code);

    // Line order 0, notifications on, automatic connection off; the language back to the default
    // unless it is the system's preferred one already.
    static ResetOutcome restoreDefaults();

    // Forgets the user's cache folder, the signed-in user and every stored setting, then leaves
    // the application half a second later with status 1 through the ordinary quit, so the
    // termination road restores the desktop proxy and stops the engines.
    static void clearAllCache();
    // Tests see the exit status instead of the application ending.
    static void setQuitForTesting(std::function<void(int status)> quit);
};
