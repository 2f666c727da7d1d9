#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QVariantMap>

#include <optional>

#include "common/NotificationCenter.h"

class HHAppInfo;
class HHUserInfo;

// What native code answers to the local pages: the reply script, the user information, and the
// request encryption and decryption that let a page call the service's API itself. Pure
// functions: the caller decides where a reply script is run (see ScriptMessageRouter).
class OOWebCommon
{
public:
    // "window.__$$$_native_call_ios." + name + ("Callback(" or "(") + compact JSON + ")".
    // The name is always one of our own constants, never text from a page.
    static QString executeJS(const QString &name, const QJsonObject &params, bool callback = true);

    // The three answers; nothing when the body is not what the message needs (no reply then).
    static QString getUserInfo();
    static std::optional<QString> encryptString(const QJsonValue &body);
    static std::optional<QString> decryptString(const QJsonValue &body);

    // The reply objects themselves, for callers that build scripts elsewhere.
    static QJsonObject userInfoReply();
    static std::optional<QJsonObject> encryptStringReply(const QJsonObject &message);
    static std::optional<QJsonObject> decryptStringReply(const QJsonObject &message);

    static std::optional<QJsonObject> appInfoDictionary(const HHAppInfo &info);
    static std::optional<QJsonObject> userInfoDictionary(const std::optional<HHUserInfo> &info);
    // The server's upgrade offer as a dictionary (the user info of "preUpgradeDownloadSucceed").
    // The offer's type belongs to the upgrade screens above this layer, so any record that
    // encodes itself with toJson() is taken.
    template <typename Setting>
    static std::optional<QJsonObject> upgradeSettingDictionary(const Setting &setting)
    {
        const QJsonObject encoded = setting.toJson();
        return encoded.isEmpty() ? std::nullopt : std::optional<QJsonObject>(encoded);
    }

    // The default notification centre, as the screens of the account layer use it: `observer`
    // owns the observation, which ends with it.
    static NotificationCenter::Token addNotificationObserver(QObject *observer, NotificationCenter::Block block,
                                                             const QString &name);
    static void postNotification(const QString &name, const QVariantMap &userInfo = {});

    // A message body as the pages send it: JSON text holding an object. Anything else (not a
    // string, not JSON, not an object) gives nothing, and the message is then a no-op.
    static std::optional<QJsonObject> bodyObject(const QJsonValue &body);

    // "window.initializeData = " + the data as compact JSON, run at document start.
    static QString initialDataScript(const QJsonObject &data);
    // The same from JSON text handed over by another screen: only an object or an array is
    // injected (re-serialised), so text that is not JSON can never run as script.
    static std::optional<QString> initialDataScriptFromText(const QString &jsonText);

    static const QString kNamespace;   // "window.__$$$_native_call_ios."

private:
    OOWebCommon() = delete;
};
