#include "helper/ProxyConfigService.h"

#include "helper/HelperValidation.h"

#include "common/HelperProtocol.h"
#include "helper/HelperLog.h"

#include <QDebug>

namespace {

ProxyConfigService::Reply failure(const QString &error)
{
    return {QJsonValue::Null, error};
}

// Absent means false; anything but a JSON boolean is refused.
std::optional<bool> flag(const QJsonObject &params, const QString &key)
{
    const QJsonValue value = params.value(key);
    if (value.isUndefined())
        return false;
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

// Absent, null and "" all mean "none"; anything else must be a text.
std::optional<QString> optionalText(const QJsonObject &params, const QString &key)
{
    const QJsonValue value = params.value(key);
    if (value.isUndefined() || value.isNull())
        return QString();
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

ProxyConfigService::ProxyConfigService(ProxyBackend &backend, SavedProxyState &state, const QString &version)
    : m_backend(backend)
    , m_state(state)
    , m_version(version)
{
}

ProxyConfigService::Reply ProxyConfigService::call(const QString &method, const QJsonObject &params, Caller caller)
{
    if (method == HelperProtocol::kGetVersion)
        return {m_version, {}};
    if (method == HelperProtocol::kEnableProxy)
        return callEnable(params, caller);
    if (method == HelperProtocol::kDisableProxy) {
        const std::optional<bool> filter = flag(params, QStringLiteral("filterInterface"));
        if (!filter)
            return failure(QStringLiteral("filterInterface must be a boolean"));
        const QString error = disableProxy(*filter);
        return {QJsonValue::Null, error};
    }
    if (method == HelperProtocol::kRestoreProxy)
        return callRestore(params);
    if (method == HelperProtocol::kSetRestoreOnClientEnd)
        return callSetRestoreOnClientEnd(params, caller);
    if (method == HelperProtocol::kGetCurrentProxySetting) {
        QString error;
        const std::optional<QJsonObject> current = currentProxySetting(&error);
        if (!current)
            return failure(error);
        return {*current, {}};
    }
    return failure(QStringLiteral("unknown method"));
}

ProxyConfigService::Reply ProxyConfigService::callEnable(const QJsonObject &params, Caller caller)
{
    const std::optional<int> port = HelperValidation::port(params.value(QStringLiteral("port")));
    const std::optional<int> socksPort = HelperValidation::port(params.value(QStringLiteral("socksPort")));
    if (!port || !socksPort)
        return failure(QStringLiteral("port and socksPort must be integers from 1 to 65535"));
    const std::optional<QString> pac = optionalText(params, QStringLiteral("pac"));
    if (!pac || (!pac->isEmpty() && !HelperValidation::isPacUrl(*pac)))
        return failure(QStringLiteral("pac must be an http, https or file URL"));
    const std::optional<QString> dns = optionalText(params, QStringLiteral("dnsServer"));
    if (!dns || (!dns->isEmpty() && !HelperValidation::isAddress(*dns)))
        return failure(QStringLiteral("dnsServer must be an IP address"));
    const std::optional<bool> filter = flag(params, QStringLiteral("filterInterface"));
    if (!filter)
        return failure(QStringLiteral("filterInterface must be a boolean"));
    QString error;
    const QJsonValue ignoreValue = params.value(QStringLiteral("ignoreList"));
    const std::optional<QStringList> ignore = ignoreValue.isUndefined() || ignoreValue.isNull()
                                                  ? std::optional<QStringList>(QStringList())
                                                  : HelperValidation::exceptionList(ignoreValue, &error);
    if (!ignore)
        return failure(error);
    error = enableProxy(*port, *socksPort, *pac, *dns, *filter, *ignore);
    if (error.isEmpty())
        m_enabledBy = caller;
    return {QJsonValue::Null, error};
}

ProxyConfigService::Reply ProxyConfigService::callRestore(const QJsonObject &params)
{
    const std::optional<int> port = HelperValidation::port(params.value(QStringLiteral("currentPort")));
    const std::optional<int> socksPort = HelperValidation::port(params.value(QStringLiteral("socksPort")));
    if (!port || !socksPort)
        return failure(QStringLiteral("currentPort and socksPort must be integers from 1 to 65535"));
    const QJsonValue info = params.value(QStringLiteral("info"));
    if (!info.isObject())
        return failure(QStringLiteral("info must be an object of proxy settings"));
    const std::optional<bool> filter = flag(params, QStringLiteral("filterInterface"));
    if (!filter)
        return failure(QStringLiteral("filterInterface must be a boolean"));
    return {QJsonValue::Null, restoreProxy(*port, *socksPort, info.toObject(), *filter)};
}

ProxyConfigService::Reply ProxyConfigService::callSetRestoreOnClientEnd(const QJsonObject &params, Caller caller)
{
    const QJsonValue restore = params.value(QStringLiteral("restore"));
    if (!restore.isBool())
        return failure(QStringLiteral("restore must be a boolean"));
    // Kept per connection, not per enable: the client says it before its enable, on the same
    // connection, so a client killed the moment its enable is applied is covered too.
    if (caller == 0)
        return {};
    if (restore.toBool())
        m_restoreOnEnd.insert(caller);
    else
        m_restoreOnEnd.remove(caller);
    return {};
}

QString ProxyConfigService::callerEnded(Caller caller)
{
    const bool restore = m_restoreOnEnd.remove(caller);
    if (caller == 0 || caller != m_enabledBy)
        return {};
    m_enabledBy = 0;
    if (!restore) {
        qCInfo(lcHelper).noquote()
            << "the client that pointed the desktop proxy ended; the proxy stays: no restore was asked for its end";
        return {};
    }
    if (!m_state.exists())
        return {};
    const Restore restored = restoreSaved(Condition::UnlessUserChanged);
    if (restored.error.isEmpty() && !restored.usersOwnKept)
        qCInfo(lcHelper).noquote() << "the client that pointed the desktop proxy ended; the user's settings are back";
    return restored.error;
}

QString ProxyConfigService::saveUserSettingsOnce()
{
    QString error;
    const std::optional<QJsonObject> current = m_backend.snapshot(&error);
    if (!current)
        return error;
    if (!m_state.exists())
        return m_state.save({m_backend.name(), *current, std::nullopt});
    const std::optional<SavedProxyState::Entry> saved = m_state.load(&error);
    if (!saved)
        return error.isEmpty() ? QStringLiteral("the saved proxy settings went away") : error;
    // A second enable while ours are in place must not overwrite the user's settings with ours.
    if (saved->backend != m_backend.name() || !saved->applied)
        return {};
    // Until it has applied, nothing tells what it is about to leave: should it not be recorded,
    // the copy restores as one of an older helper, not compared with the earlier enable's.
    if (*saved->applied == *current)
        return m_state.recordApplied(std::nullopt);
    // The user set their own since our last enable: a later restore must bring back theirs, not
    // the older copy.
    qCInfo(lcHelper).noquote() << "the desktop proxy was changed since the last enable; the saved copy now holds that setting";
    return m_state.save({m_backend.name(), *current, std::nullopt});
}

void ProxyConfigService::recordApplied()
{
    // Read back rather than derived from the settings: the store's own form of them is what a
    // later read finds while nobody changed it.
    QString error;
    const std::optional<QJsonObject> applied = m_backend.snapshot(&error);
    if (applied)
        error = m_state.recordApplied(*applied);
    if (!error.isEmpty())
        qCWarning(lcHelper).noquote() << "the applied proxy settings were not recorded; a restore will not spare a change made since:"
                                      << error;
}

QString ProxyConfigService::enableProxy(int port, int socksPort, const QString &pac, const QString &dnsServer,
                                        bool filterInterface, const QStringList &ignoreList)
{
    Q_UNUSED(filterInterface) // every desktop store here is per user, not per interface
    const QString saveError = saveUserSettingsOnce();
    if (!saveError.isEmpty())
        return QStringLiteral("proxy settings left unchanged: ") + saveError;
    m_dnsServer = dnsServer;
    const QString error = m_backend.apply(ProxySettings::forLocalListener(port, socksPort, pac, ignoreList));
    if (error.isEmpty()) {
        recordApplied();
        return {};
    }
    // Half-applied settings would leave the desktop pointing nowhere: put the user's back.
    const Restore restored = restoreSaved(Condition::Always);
    if (!restored.error.isEmpty())
        qCWarning(lcHelper).noquote() << "restoring after a failed enable:" << restored.error;
    return error;
}

ProxyConfigService::Restore ProxyConfigService::restoreSaved(Condition condition)
{
    QString error;
    const std::optional<SavedProxyState::Entry> saved = m_state.load(&error);
    if (!saved)
        return {error};
    if (saved->backend != m_backend.name())
        return {QStringLiteral("the saved settings belong to the %1 backend; left in place").arg(saved->backend)};
    if (condition == Condition::UnlessUserChanged && saved->applied) {
        const std::optional<QJsonObject> current = m_backend.snapshot(&error);
        if (!current)
            return {error}; // whether the user changed it cannot be told: kept for the next attempt
        if (*current != *saved->applied)
            return dropSaved();
    }
    error = m_backend.restoreSnapshot(saved->snapshot);
    if (!error.isEmpty())
        return {error}; // kept on disk for the next attempt
    forgetEnable();
    if (!m_state.clear())
        return {QStringLiteral("restored, but cannot remove %1").arg(m_state.filePath())};
    return {};
}

ProxyConfigService::Restore ProxyConfigService::dropSaved()
{
    forgetEnable();
    if (!m_state.clear())
        return {QStringLiteral("the desktop proxy was changed since the last enable, but cannot remove %1").arg(m_state.filePath()),
                true};
    qCInfo(lcHelper).noquote()
        << "the desktop proxy was changed since the last enable; the user's setting stays, the saved copy is dropped";
    return {{}, true};
}

void ProxyConfigService::forgetEnable()
{
    m_dnsServer.clear();
    m_enabledBy = 0;
}

QString ProxyConfigService::disableProxy(bool filterInterface)
{
    Q_UNUSED(filterInterface)
    if (!m_state.exists())
        return {}; // nothing of ours is in place
    return restoreSaved(Condition::UnlessUserChanged).error;
}

QString ProxyConfigService::restoreProxy(int currentPort, int socksPort, const QJsonObject &info, bool filterInterface)
{
    Q_UNUSED(currentPort)
    Q_UNUSED(socksPort)
    Q_UNUSED(filterInterface)
    QString error;
    const std::optional<ProxySettings> settings = ProxySettings::fromJson(info, &error);
    if (!settings)
        return error;
    error = m_backend.apply(*settings);
    if (!error.isEmpty())
        return error;
    // The caller named the settings to keep; an older saved copy must not override them later,
    // nor may the end of whoever enabled undo them.
    m_state.clear();
    forgetEnable();
    return {};
}

std::optional<QJsonObject> ProxyConfigService::currentProxySetting(QString *error)
{
    const std::optional<ProxySettings> settings = m_backend.read(error);
    if (!settings)
        return std::nullopt;
    QJsonObject json = settings->toJson();
    json.insert(QStringLiteral("backend"), m_backend.name());
    json.insert(QStringLiteral("changed_by_helper"), m_state.exists());
    json.insert(QStringLiteral("dns_server"), m_dnsServer);
    return json;
}

QString ProxyConfigService::restoreLeftover()
{
    if (!m_state.exists())
        return {};
    return restoreSaved(Condition::UnlessUserChanged).error;
}
