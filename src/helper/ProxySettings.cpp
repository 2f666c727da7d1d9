#include "helper/ProxySettings.h"

#include "helper/HelperValidation.h"

#include "common/ListenerAddress.h"

#include <QJsonArray>

namespace {

const QString kLoopback = QStringLiteral("127.0.0.1");

bool readHost(const QJsonObject &json, const QString &key, QString *out, QString *error)
{
    const QJsonValue value = json.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString() || (!value.toString().isEmpty() && !HelperValidation::isHost(value.toString()))) {
        *error = key + QStringLiteral(" is not a host");
        return false;
    }
    *out = value.toString();
    return true;
}

bool readPort(const QJsonObject &json, const QString &key, int *out, QString *error)
{
    const QJsonValue value = json.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    const std::optional<int> port = HelperValidation::portOrZero(value);
    if (!port) {
        *error = key + QStringLiteral(" is not a port");
        return false;
    }
    *out = *port;
    return true;
}

} // namespace

bool ProxySettings::namesListener(int listenerPort, int listenerSocksPort, const QString &listenerPac) const
{
    const ListenerAddress listener({listenerPort, listenerSocksPort}, listenerPac);
    return listener.isNamedBy(socksHost, socksPort) || listener.isNamedBy(httpHost, httpPort)
        || listener.isNamedBy(httpsHost, httpsPort) || listener.isNamedByPac(autoconfigUrl);
}

ProxySettings ProxySettings::forLocalListener(int port, int socksPort, const QString &pacUrl,
                                              const QStringList &ignoreHosts)
{
    ProxySettings settings;
    settings.ignoreHosts = ignoreHosts;
    if (!pacUrl.isEmpty()) {
        settings.mode = Mode::Auto;
        settings.autoconfigUrl = pacUrl;
        return settings;
    }
    settings.mode = Mode::Manual;
    settings.socksHost = kLoopback;
    settings.socksPort = socksPort;
    if (port != socksPort) {
        settings.httpHost = kLoopback;
        settings.httpPort = port;
    }
    return settings;
}

QString ProxySettings::modeName(Mode mode)
{
    switch (mode) {
    case Mode::Manual:
        return QStringLiteral("manual");
    case Mode::Auto:
        return QStringLiteral("auto");
    case Mode::None:
        break;
    }
    return QStringLiteral("none");
}

std::optional<ProxySettings::Mode> ProxySettings::modeFromName(const QString &name)
{
    if (name == QLatin1String("none"))
        return Mode::None;
    if (name == QLatin1String("manual"))
        return Mode::Manual;
    if (name == QLatin1String("auto"))
        return Mode::Auto;
    return std::nullopt;
}

QJsonObject ProxySettings::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("mode"), modeName(mode));
    json.insert(QStringLiteral("socks_host"), socksHost);
    json.insert(QStringLiteral("socks_port"), socksPort);
    json.insert(QStringLiteral("http_host"), httpHost);
    json.insert(QStringLiteral("http_port"), httpPort);
    json.insert(QStringLiteral("ignore_hosts"), QJsonArray::fromStringList(ignoreHosts));
    json.insert(QStringLiteral("autoconfig_url"), autoconfigUrl);
    return json;
}

std::optional<ProxySettings> ProxySettings::fromJson(const QJsonObject &json, QString *error)
{
    ProxySettings settings;
    const std::optional<Mode> mode = modeFromName(json.value(QStringLiteral("mode")).toString());
    if (!mode) {
        *error = QStringLiteral("mode must be none, manual or auto");
        return std::nullopt;
    }
    settings.mode = *mode;
    if (!readHost(json, QStringLiteral("socks_host"), &settings.socksHost, error)
        || !readPort(json, QStringLiteral("socks_port"), &settings.socksPort, error)
        || !readHost(json, QStringLiteral("http_host"), &settings.httpHost, error)
        || !readPort(json, QStringLiteral("http_port"), &settings.httpPort, error))
        return std::nullopt;

    const QJsonValue ignore = json.value(QStringLiteral("ignore_hosts"));
    if (!ignore.isUndefined() && !ignore.isNull()) {
        const std::optional<QStringList> list = HelperValidation::exceptionList(ignore, error);
        if (!list)
            return std::nullopt;
        settings.ignoreHosts = *list;
    }
    const QJsonValue pac = json.value(QStringLiteral("autoconfig_url"));
    if (pac.isString() && !pac.toString().isEmpty()) {
        if (!HelperValidation::isPacUrl(pac.toString())) {
            *error = QStringLiteral("autoconfig_url is not an http, https or file URL");
            return std::nullopt;
        }
        settings.autoconfigUrl = pac.toString();
    }
    return settings;
}
