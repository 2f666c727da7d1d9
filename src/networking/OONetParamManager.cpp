#include "networking/OONetParamManager.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

#include <algorithm>

#include "common/DefaultsKeys.h"
#include "common/HHAppInfo.h"
#include "common/MKUserTable.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "common/UserDefaults.h"
#include "networking/OOHostSafeAdpter.h"

namespace {

QString configText(const QString &path, const QString &fallback)
{
    const QString text = ProtocolConfig::string(path);
    return text.isEmpty() ? fallback : text;
}

} // namespace

OONetParamManager &OONetParamManager::shared()
{
    static OONetParamManager manager = [] {
        // The identity record names the API domain in use; this layer owns that answer.
        HHAppInfo::setApiDomainProvider([] { return OOHostSafeAdpter::shared().currentDomain(); });
        return OONetParamManager();
    }();
    return manager;
}

QJsonObject OONetParamManager::mergeAppInfoParameters(const std::optional<QJsonObject> &params) const
{
    QJsonObject merged = makeAppInfo().toJson();
    if (!params)
        return merged;
    for (auto it = params->constBegin(); it != params->constEnd(); ++it)
        merged.insert(it.key(), it.value());
    return merged;
}

std::optional<QJsonObject> OONetParamManager::encryptParameters(const QJsonObject &params, bool encryptResponse) const
{
    const QString json = QString::fromUtf8(QJsonDocument(params).toJson(QJsonDocument::Compact));
    const std::optional<QString> data = OOAES256::encrypt(ProtocolConfig::paramKey(), json);
    if (!data)
        return std::nullopt;
    const QString timestamp = QString::number(QDateTime::currentSecsSinceEpoch());
    const QString nonce = makeNonce();
    QJsonObject wire;
    wire.insert(QStringLiteral("encrypt_data"), *data);
    wire.insert(QStringLiteral("encrypt_resp"), encryptResponse ? QStringLiteral("1") : QStringLiteral("0"));
    wire.insert(QStringLiteral("un_nonce"), nonce);
    wire.insert(QStringLiteral("un_timestamp"), timestamp);
    wire.insert(QStringLiteral("sign_data"), sign(timestamp, nonce, *data));
    wire.insert(QStringLiteral("skv"), configText(QStringLiteral("envelope.skv"), QStringLiteral("1")));
    wire.insert(QStringLiteral("data_skv"), configText(QStringLiteral("envelope.data_skv"), QStringLiteral("1")));
    return wire;
}

HeaderMap OONetParamManager::buildCommonHeaders(const HeaderMap &extra, bool fileSecret,
                                                const std::optional<QJsonObject> &envelope) const
{
    HeaderMap headers;
    if (const std::optional<QString> auth = authorizationValue())
        headers.insert(QStringLiteral("Authorization"), *auth);
    if (envelope) {
        headers.insert(QStringLiteral("un_timestamp"), envelope->value(QStringLiteral("un_timestamp")).toString());
        headers.insert(QStringLiteral("un_nonce"), envelope->value(QStringLiteral("un_nonce")).toString());
        headers.insert(QStringLiteral("sign_data"), envelope->value(QStringLiteral("sign_data")).toString());
    } else {
        const QString timestamp = QString::number(QDateTime::currentSecsSinceEpoch());
        const QString nonce = makeNonce();
        headers.insert(QStringLiteral("un_timestamp"), timestamp);
        headers.insert(QStringLiteral("un_nonce"), nonce);
        headers.insert(QStringLiteral("sign_data"), sign(timestamp, nonce, QString()));
    }
    const QJsonObject identity = makeAppInfo().toJson();
    headers.insert(QStringLiteral("channel_id"), identity.value(QStringLiteral("app_channel")).toString());
    headers.insert(QStringLiteral("app_version"), identity.value(QStringLiteral("app_version")).toString());
    headers.insert(QStringLiteral("app_name"), identity.value(QStringLiteral("app_name")).toString());
    headers.insert(QStringLiteral("app_type"), configText(QStringLiteral("headers.app_type"), QStringLiteral("mac")));
    headers.insert(QStringLiteral("language"), languageHeaderValue());
    headers.insert(QStringLiteral("api_version"), configText(QStringLiteral("headers.api_version"), QStringLiteral("2")));
    for (auto it = extra.constBegin(); it != extra.constEnd(); ++it)
        headers.insert(it.key(), it.value());
    if (fileSecret)
        headers.insert(QStringLiteral("file_secret"), QStringLiteral("v2"));
    return headers;
}

QString OONetParamManager::sign(const QString &timestamp, const QString &nonce, const QString &encryptedData)
{
    const QByteArray key = ProtocolConfig::string(QStringLiteral("envelope.sign_key")).toUtf8();
    const QByteArray message = (timestamp + QLatin1Char('\n') + nonce + QLatin1Char('\n') + encryptedData).toUtf8();
    return QString::fromLatin1(QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256).toHex());
}

QString OONetParamManager::makeNonce()
{
    QByteArray bytes(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return QString::fromLatin1(bytes.toHex());
}

std::optional<QString> OONetParamManager::authorizationValue()
{
    const std::optional<HHUserInfo> info = MKUserTable().queryUser();
    if (!info || !info->user || !info->user->apiToken || info->user->apiToken->isEmpty())
        return std::nullopt;
    const QString &token = *info->user->apiToken;
    // A token is a header value: one with line breaks or other control characters would add
    // header lines of its own, so it is not sent at all.
    const bool printable = std::all_of(token.cbegin(), token.cend(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() != 0x7f; });
    if (!printable)
        return std::nullopt;
    return QStringLiteral("Bearer ") + token;
}

QString OONetParamManager::languageHeaderValue()
{
    const QString language = UserDefaults::standard().stringValue(DefaultsKeys::kAppLanguageKey).value_or(QString());
    const QJsonObject map = ProtocolConfig::value(QStringLiteral("headers.language_map")).toObject();
    const QString mapped = map.value(language).toString();
    if (!mapped.isEmpty())
        return mapped;
    return configText(QStringLiteral("headers.default_language"), QStringLiteral("zh_CN"));
}
