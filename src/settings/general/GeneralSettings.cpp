#include "settings/general/GeneralSettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFontMetrics>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <climits>

#include "uikit/NSFontHelper.h"
#include "uikit/UiTiming.h"
#include "common/DefaultsKeys.h"
#include "common/FoundationUtils.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "settings/SettingsLog.h"

namespace {

std::function<void(int)> &quitHook()
{
    static std::function<void(int)> hook;
    return hook;
}

QString localized(const char *key)
{
    return localizedByAppLanguage(QString::fromLatin1(key));
}

QJsonObject row(const char *titleKey, qint64 type, double height, bool hasSubTitle, bool hasArrow)
{
    return QJsonObject{{QStringLiteral("title"), localized(titleKey)},
                       {QStringLiteral("type"), type},
                       {QStringLiteral("cellHight"), height},
                       {QStringLiteral("hasSubTitle"), hasSubTitle},
                       {QStringLiteral("hasArrow"), hasArrow}};
}

} // namespace

QList<OOGeneralModel> GeneralSettings::decodeRows(const QList<QJsonObject> &descriptions)
{
    QList<OOGeneralModel> rows;
    for (const QJsonObject &description : descriptions) {
        const std::optional<OOGeneralModel> model = OOGeneralModel::fromJson(description);
        if (!model)
            break;
        rows.append(*model);
    }
    return rows;
}

QList<QJsonObject> GeneralSettings::rowDefinitions()
{
    const UserDefaults &defaults = UserDefaults::standard();
    const QString info = localized("GENERAL_AUTO_CONNECTION_INFO");
    QJsonObject autoConnection = row("GENERAL_AUTO_CONNECTION", 0, autoConnectionRowHeight(info), false, false);
    autoConnection.insert(QStringLiteral("info"), info);
    autoConnection.insert(QStringLiteral("state"), defaults.boolForKey(DefaultsKeys::kAutoConnectionStateKey));

    QJsonObject notifications = row("GENERAL_NOTIFICATIONS", 2, 38, false, false);
    notifications.insert(QStringLiteral("state"), defaults.boolForKey(DefaultsKeys::kNotificationStateKey));

    QJsonObject order = row("GENERAL_ORDER", 3, 44, true, true);
    order.insert(QStringLiteral("subTitle"), lineOrderText());

    QJsonObject language = row("GENERAL_LANGUAGE", 4, 44, true, true);
    language.insert(QStringLiteral("subTitle"), languageDisplayName());

    return {autoConnection, notifications, order, language, row("GENERAL_RESET_ALL_SETTINGS", 5, 44, false, false)};
}

QString GeneralSettings::lineOrderText()
{
    const std::optional<qint64> order = UserDefaults::standard().integerValue(DefaultsKeys::kLineOrderType);
    return order && *order != 0 ? localized("GENERAL_ORDER_LATENCY") : localized("GENERAL_ORDER_DEFAULT");
}

int GeneralSettings::autoConnectionRowHeight(const QString &info)
{
    const QFontMetrics metrics(NSFontHelper::getRegularPingFangFont(12));
    // 35 is what sits above the explanation (6, the title line, 12) with the designed font; a
    // substitute font with a taller title line must not push the explanation's last line into
    // the next row.
    const QFontMetrics titleMetrics(NSFontHelper::getRegularPingFangFont(13));
    const int above = qMax(35, 6 + titleMetrics.height() + 12);
    return metrics.boundingRect(QRect(0, 0, 280, INT_MAX / 2), Qt::TextWordWrap, info).height() + above;
}

void GeneralSettings::storeAutoConnection(bool on)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(DefaultsKeys::kAutoConnectionStateKey, on ? 1 : 0);
    defaults.synchronizeOrLog("storing the automatic connection");
}

void GeneralSettings::storeNotification(bool on)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kNotificationStateKey, on);
    defaults.synchronizeOrLog("storing the notification switch");
}

void GeneralSettings::storeLineOrder(int order)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(DefaultsKeys::kLineOrderType, order);
    defaults.synchronizeOrLog("storing the line order");
}

void GeneralSettings::storeLanguage(const QString &code)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setString(DefaultsKeys::kAppLanguageKey, code);
    defaults.synchronizeOrLog("storing the language");
    NotificationCenter::defaultCenter().post(NotificationNames::kSwitchLanguge);
}

GeneralSettings::ResetOutcome GeneralSettings::restoreDefaults()
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setInteger(DefaultsKeys::kLineOrderType, 0);
    defaults.setBool(DefaultsKeys::kNotificationStateKey, true);
    defaults.setBool(DefaultsKeys::kAutoConnectionStateKey, false);
    defaults.synchronizeOrLog("resetting the general settings");
    if (isAppLanguageSystemPreferred())
        return ResetOutcome::RowsRebuilt;
    setDefaultAppLanguage();
    NotificationCenter::defaultCenter().post(NotificationNames::kSwitchLanguge);
    return ResetOutcome::LanguageReset;
}

void GeneralSettings::clearAllCache()
{
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        removeUserCacheFolder();
        if (!MKUserInfoManager::shared().clearUser())
            qCWarning(lcSettings) << "clearing the cache: the user table could not be emptied";
        UserDefaults::standard().removePersistentDomain();
        if (!UserDefaults::standard().synchronize())
            qCWarning(lcSettings) << "clearing the cache: the settings file could not be written";
        UiTiming::singleShot(500, QCoreApplication::instance(), [] {
            if (quitHook()) {
                quitHook()(1);
                return;
            }
            // The ordinary quit, not an exit on the spot: aboutToQuit runs the termination road.
            QCoreApplication::exit(1);
        });
    });
}

void GeneralSettings::setQuitForTesting(std::function<void(int)> quit)
{
    quitHook() = std::move(quit);
}
