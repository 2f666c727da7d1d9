#include "common/ProtocolConfig.h"

#include "common/AppPaths.h"
#include "common/Logger.h"
#include "common/CommonLog.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include <optional>

namespace {

struct LoadedConfig
{
    QJsonObject root;
    QString error;
};

QMutex &configMutex()
{
    static QMutex mutex;
    return mutex;
}

std::optional<LoadedConfig> &cachedConfig()
{
    static std::optional<LoadedConfig> cache;
    return cache;
}

LoadedConfig readConfig()
{
    const QString path = AppPaths::resourcePath(QStringLiteral("protocol.json"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return { {}, QStringLiteral("cannot open %1: %2").arg(path, file.errorString()) };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return { {}, QStringLiteral("%1 is not valid JSON: %2").arg(path, parseError.errorString()) };
    if (!document.isObject())
        return { {}, QStringLiteral("%1 does not hold a JSON object").arg(path) };
    return { document.object(), {} };
}

// A copy (the JSON is implicitly shared) so a reload never leaves a caller with a dangling reference.
LoadedConfig config()
{
    QMutexLocker locker(&configMutex());
    std::optional<LoadedConfig> &cache = cachedConfig();
    if (!cache) {
        cache = readConfig();
        // Said once per load, not on every lookup: callers see empty values and fail on their own.
        if (!cache->error.isEmpty()) {
            const QString line = QStringLiteral("Protocol configuration unavailable: ") + cache->error;
            OSTREL_LOG(Logger::Error, line);
            qCWarning(lcCommon).noquote() << line;
        }
    }
    return *cache;
}

} // namespace

QJsonValue ProtocolConfig::value(const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QJsonValue(QJsonValue::Undefined);
    QJsonValue current(config().root);
    for (const QString &part : parts) {
        if (!current.isObject())
            return QJsonValue(QJsonValue::Undefined);
        current = current.toObject().value(part);
    }
    return current;
}

QJsonObject ProtocolConfig::object(const QString &section)
{
    return value(section).toObject();
}

QString ProtocolConfig::string(const QString &path)
{
    return value(path).toString();
}

QString ProtocolConfig::apiKey() { return string(QStringLiteral("crypto.api_key")); }
QString ProtocolConfig::pathKey() { return string(QStringLiteral("crypto.path_key")); }
QString ProtocolConfig::paramKey() { return string(QStringLiteral("crypto.param_key")); }
QString ProtocolConfig::uploadKey() { return string(QStringLiteral("crypto.upload_key")); }
QString ProtocolConfig::qrLoginKey() { return string(QStringLiteral("crypto.qr_login_key")); }

QString ProtocolConfig::resourceArchivePassword()
{
    return string(QStringLiteral("crypto.resource_archive_password"));
}

QByteArray ProtocolConfig::iv()
{
    const QByteArray hex = string(QStringLiteral("crypto.iv_hex")).toLatin1();
    const QByteArray bytes = QByteArray::fromHex(hex);
    // fromHex skips what is not hex; insist on exactly 32 hex digits so a typo is not a weaker IV.
    if (hex.size() != 32 || bytes.size() != 16 || bytes.toHex() != hex.toLower())
        return {};
    return bytes;
}

QString ProtocolConfig::projectName() { return string(QStringLiteral("identity.project_name")); }
QString ProtocolConfig::vpnKey() { return string(QStringLiteral("identity.vpn_key")); }
QString ProtocolConfig::appChannel() { return string(QStringLiteral("identity.app_channel")); }

bool ProtocolConfig::isLoaded()
{
    return config().error.isEmpty();
}

QString ProtocolConfig::loadError()
{
    return config().error;
}

void ProtocolConfig::reloadForTesting()
{
    QMutexLocker locker(&configMutex());
    cachedConfig().reset();
}
