#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

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
