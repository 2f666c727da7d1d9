#include "vpn/unreached/ServerProfile.h"

#include <QUuid>

#include "common/JsonUtils.h"

namespace {

void readString(const QJsonObject &dictionary, const char *key, QString &field)
{
    const QJsonValue value = dictionary.value(QLatin1String(key));
    if (value.isString())
        field = value.toString();
}

} // namespace

ServerProfile::ServerProfile()
    : uuid(newUuid())
{
}

QString ServerProfile::newUuid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

ServerProfile ServerProfile::fromDictionary(const QJsonObject &dictionary)
{
    ServerProfile profile;
    readString(dictionary, "Id", profile.uuid);
    readString(dictionary, "ServerHost", profile.serverHost);
    if (const std::optional<qint64> port = JsonUtils::integerIn(dictionary.value(QStringLiteral("ServerPort")), 0, 65535))
        profile.serverPort = quint16(*port);
    readString(dictionary, "Method", profile.method);
    readString(dictionary, "Password", profile.password);
    readString(dictionary, "Remark", profile.remark);
    readString(dictionary, "Plugin", profile.plugin);
    readString(dictionary, "PluginOptions", profile.pluginOptions);
    return profile;
}

QJsonObject ServerProfile::toDictionary() const
{
    return QJsonObject{
        {QStringLiteral("Id"), uuid},
        {QStringLiteral("ServerHost"), serverHost},
        {QStringLiteral("ServerPort"), int(serverPort)},
        {QStringLiteral("Method"), method},
        {QStringLiteral("Password"), password},
        {QStringLiteral("Remark"), remark},
        {QStringLiteral("Plugin"), plugin},
        {QStringLiteral("PluginOptions"), pluginOptions},
    };
}

ServerProfile ServerProfile::copy() const
{
    ServerProfile result = *this;
    result.uuid = newUuid();
    return result;
}
