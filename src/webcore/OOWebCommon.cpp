#include "webcore/OOWebCommon.h"

#include <QJsonDocument>

#include "common/HHAppInfo.h"
#include "common/HHUserInfo.h"
#include "common/JsonUtils.h"
#include "common/MKUserTable.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetParamManager.h"
#include "networking/OONetWorkTool.h"

const QString OOWebCommon::kNamespace = QStringLiteral("window.__$$$_native_call_ios.");

namespace {

// A page's headers count only when every value is text; otherwise the reply carries none.
std::optional<HeaderMap> stringHeaders(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    HeaderMap headers;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        headers.insert(it.key(), it.value().toString());
    }
    return headers;
}

QJsonObject headersJson(const HeaderMap &headers)
{
    QJsonObject object;
    for (auto it = headers.begin(); it != headers.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

} // namespace

QString OOWebCommon::executeJS(const QString &name, const QJsonObject &params, bool callback)
{
    const QString json = QString::fromUtf8(QJsonDocument(params).toJson(QJsonDocument::Compact));
    return kNamespace + name + (callback ? QStringLiteral("Callback(") : QStringLiteral("(")) + json
        + QLatin1Char(')');
}

std::optional<QJsonObject> OOWebCommon::bodyObject(const QJsonValue &body)
{
    if (!body.isString())
        return std::nullopt;
    return JsonUtils::jsonObjectFromString(body.toString());
}

std::optional<QJsonObject> OOWebCommon::appInfoDictionary(const HHAppInfo &info)
{
    return info.toJson();
}

std::optional<QJsonObject> OOWebCommon::userInfoDictionary(const std::optional<HHUserInfo> &info)
{
    if (!info)
        return std::nullopt;
    return info->toJson();
}

NotificationCenter::Token OOWebCommon::addNotificationObserver(QObject *observer, NotificationCenter::Block block,
                                                               const QString &name)
{
    return NotificationCenter::defaultCenter().addObserver(name, observer, std::move(block));
}

void OOWebCommon::postNotification(const QString &name, const QVariantMap &userInfo)
{
    NotificationCenter::defaultCenter().post(name, userInfo);
}

QJsonObject OOWebCommon::userInfoReply()
{
    QJsonObject data;
    if (const std::optional<QJsonObject> user = userInfoDictionary(MKUserTable().queryUser())) {
        for (auto it = user->begin(); it != user->end(); ++it)
            data.insert(it.key(), it.value());
    }
    if (const std::optional<QJsonObject> app = appInfoDictionary(makeAppInfo())) {
        for (auto it = app->begin(); it != app->end(); ++it)
            data.insert(it.key(), it.value());
    }
    // Always this literal: the pages were written against it, whatever the application language.
    data.insert(QStringLiteral("language"), QStringLiteral("zh_CN"));
    return QJsonObject{{QStringLiteral("code"), 200}, {QStringLiteral("msg"), QStringLiteral("success")},
                       {QStringLiteral("data"), data}};
}

QString OOWebCommon::getUserInfo()
{
    return executeJS(QStringLiteral("getUserInfo"), userInfoReply());
}

std::optional<QJsonObject> OOWebCommon::encryptStringReply(const QJsonObject &message)
{
    const QJsonValue value = message.value(QStringLiteral("value"));
    const QJsonValue id = message.value(QStringLiteral("id"));
    if (!value.isObject() || !id.isString())
        return std::nullopt;
    const QJsonObject request = value.toObject();
    const QJsonValue path = request.value(QStringLiteral("url"));
    if (!path.isString())
        return std::nullopt;

    QJsonObject result{{QStringLiteral("url"), OOHostSafeAdpter::shared().currentDomain()
                                                   + OONetWorkTool::encryptPath(path.toString())}};
    std::optional<QJsonObject> envelope;
    const QJsonValue body = request.value(QStringLiteral("body"));
    if (body.isObject()) {
        const OONetParamManager &manager = OONetParamManager::shared();
        envelope = manager.encryptParameters(manager.mergeAppInfoParameters(body.toObject()));
        if (envelope)
            result.insert(QStringLiteral("body"), *envelope);
    }
    // The headers sign the same envelope the page sends: signed apart, the service would refuse
    // the request for a signature that does not match its body.
    if (const std::optional<HeaderMap> headers = stringHeaders(request.value(QStringLiteral("headers")))) {
        result.insert(QStringLiteral("headers"),
                      headersJson(OONetParamManager::shared().buildCommonHeaders(*headers, true, envelope)));
    }
    return QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("data"), result}};
}

std::optional<QString> OOWebCommon::encryptString(const QJsonValue &body)
{
    const std::optional<QJsonObject> message = bodyObject(body);
    if (!message)
        return std::nullopt;
    const std::optional<QJsonObject> reply = encryptStringReply(*message);
    if (!reply)
        return std::nullopt;
    return executeJS(QStringLiteral("encryptString"), *reply);
}

std::optional<QJsonObject> OOWebCommon::decryptStringReply(const QJsonObject &message)
{
    const QJsonValue value = message.value(QStringLiteral("value"));
    const QJsonValue id = message.value(QStringLiteral("id"));
    if (!value.isString() || !id.isString())
        return std::nullopt;
    const std::optional<QString> plain = OOAES256::decryptToString(ProtocolConfig::apiKey(), value.toString());
    if (!plain)
        return std::nullopt;
    const std::optional<QJsonObject> data = JsonUtils::jsonObjectFromString(*plain);
    if (!data)
        return std::nullopt;
    return QJsonObject{{QStringLiteral("data"), *data}, {QStringLiteral("id"), id}};
}

std::optional<QString> OOWebCommon::decryptString(const QJsonValue &body)
{
    const std::optional<QJsonObject> message = bodyObject(body);
    if (!message)
        return std::nullopt;
    const std::optional<QJsonObject> reply = decryptStringReply(*message);
    if (!reply)
        return std::nullopt;
    return executeJS(QStringLiteral("decryptString"), *reply);
}

QString OOWebCommon::initialDataScript(const QJsonObject &data)
{
    return QStringLiteral("window.initializeData = ")
        + QString::fromUtf8(QJsonDocument(data).toJson(QJsonDocument::Compact));
}

std::optional<QString> OOWebCommon::initialDataScriptFromText(const QString &jsonText)
{
    const QJsonDocument document = QJsonDocument::fromJson(jsonText.toUtf8());
    if (document.isNull() || (!document.isObject() && !document.isArray()))
        return std::nullopt;
    return QStringLiteral("window.initializeData = ") + QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}
