#include "helper/ProxyConfigService.h"

#include "helper/HelperValidation.h"

#include "common/HelperProtocol.h"
#include "helper/HelperLog.h"

#include <QDebug>
#include <QJsonArray>

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
    if (method == HelperProtocol::kDisableProxy)
        return callDisable(params);
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

ProxyConfigService::Reply ProxyConfigService::callDisable(const QJsonObject &params)
{
    const std::optional<bool> filter = flag(params, QStringLiteral("filterInterface"));
    if (!filter)
        return failure(QStringLiteral("filterInterface must be a boolean"));
    QStringList usersOwnKeys;
    const QString error = disableProxy(*filter, &usersOwnKeys);
    if (!error.isEmpty() || usersOwnKeys.isEmpty())
        return {QJsonValue::Null, error};
    // Null, as ever, when the saved settings came back whole; older clients take any result.
    return {QJsonObject{{QStringLiteral("usersOwnKept"), QJsonArray::fromStringList(usersOwnKeys)}}, {}};
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
    const Restore restored = restoreSaved();
    if (restored.error.isEmpty())
        qCInfo(lcHelper).noquote() << "the client that pointed the desktop proxy ended; its restore is done";
    return restored.error;
}

QString ProxyConfigService::keepUsersSettingsBeforeEnable(const Listener &listener)
{
    QString error;
    const std::optional<QJsonObject> current = m_backend.snapshot(&error);
    if (!current)
        return error;
    if (!m_state.exists())
        return saveCopy(*current, listener);
    const std::optional<SavedProxyState::Entry> saved = m_state.load(&error);
    if (!saved)
        return error.isEmpty() ? QStringLiteral("the saved proxy settings went away") : error;
    if (saved->backend != m_backend.name())
        return {}; // left in place for that backend, as every restore leaves it
    // A restore cut short: what it decided to give back is the user's setting.
    if (saved->restoring)
        return saveCopy(saved->snapshot, listener);
    // A second enable while ours are in place keeps the user's settings, not ours. A copy that
    // does not say what its enable left (an older helper's) is kept as it is.
    if (!saved->applied)
        return {};
    const RestorePlan plan = RestorePlan::decide(m_backend, saved->snapshot, *saved->applied, *current);
    // Dropped before applying: should this enable not be read back, its copy is given back
    // whatever the desktop then shows, rather than compared with the earlier enable's record.
    if (plan.usersOwnKeys.isEmpty())
        return m_state.forgetApplied();
    // The user changed the setting since our last enable: a later restore must bring that back,
    // as a restore now would, not the older copy.
    qCInfo(lcHelper).noquote() << "the desktop proxy was changed since the last enable (" + plan.usersOwnKeys.join(QStringLiteral(", "))
                                      + "); the saved copy now holds that change";
    return saveCopy(plan.target, listener);
}

QString ProxyConfigService::saveCopy(const QJsonObject &snapshot, const Listener &listener)
{
    QString error;
    const std::optional<ProxySettings> settings = m_backend.settingsOf(snapshot, &error);
    if (!settings || !settings->namesListener(listener.port, listener.socksPort, listener.pac))
        return m_state.save({m_backend.name(), snapshot, std::nullopt});
    // The desktop already names our listener (a killed client's, a damaged copy set aside): that is
    // not the user's setting, and giving it back would leave the desktop on a dead port.
    qCWarning(lcHelper).noquote()
        << "the desktop proxy already names the client's listener and no copy of the user's own setting is kept;"
           " a restore will give back no proxy";
    return m_state.save({m_backend.name(), m_backend.noProxySnapshot(), std::nullopt});
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
    const QString saveError = keepUsersSettingsBeforeEnable({port, socksPort, pac});
    if (!saveError.isEmpty())
        return QStringLiteral("proxy settings left unchanged: ") + saveError;
    m_dnsServer = dnsServer;
    const QString error = m_backend.apply(ProxySettings::forLocalListener(port, socksPort, pac, ignoreList));
    if (error.isEmpty()) {
        recordApplied();
        return {};
    }
    // Half-applied settings would leave the desktop pointing nowhere: put the user's back. The
    // copy holds no record of an enable now, so it comes back whole.
    const Restore restored = restoreSaved();
    if (!restored.error.isEmpty())
        qCWarning(lcHelper).noquote() << "restoring after a failed enable:" << restored.error;
    return error;
}

ProxyConfigService::Restore ProxyConfigService::restoreSaved()
{
    QString error;
    const std::optional<SavedProxyState::Entry> saved = m_state.load(&error);
    if (!saved)
        return {error, {}};
    if (saved->backend != m_backend.name())
        return {QStringLiteral("the saved settings belong to the %1 backend; left in place").arg(saved->backend), {}};
    const RestorePlan plan = planRestore(*saved);
    // Decided once: a retry after a write that failed half-way finishes this, rather than taking
    // the half-restored store for a change of the user's. Nothing to write, nothing to cut short.
    if (saved->applied && !plan.nothingToWrite) {
        error = m_state.save({m_backend.name(), plan.target, std::nullopt, true});
        if (!error.isEmpty())
            return {error, plan.usersOwnKeys};
    }
    if (!plan.nothingToWrite) {
        error = m_backend.restoreSnapshot(plan.target);
        if (!error.isEmpty())
            return {error, plan.usersOwnKeys}; // kept on disk for the next attempt
    }
    forgetEnable();
    if (!m_state.clear())
        return {QStringLiteral("restored, but cannot remove %1").arg(m_state.filePath()), plan.usersOwnKeys};
    if (plan.usersOwnKeys.isEmpty())
        qCInfo(lcHelper).noquote() << "the user's saved proxy settings are restored";
    else
        qCInfo(lcHelper).noquote() << "the desktop proxy was changed since the last enable; the user's change stays ("
                                          + plan.usersOwnKeys.join(QStringLiteral(", ")) + "), the saved setting is back for the rest";
    return {{}, plan.usersOwnKeys};
}

RestorePlan ProxyConfigService::planRestore(const SavedProxyState::Entry &saved)
{
    const RestorePlan whole{saved.snapshot, {}, false};
    if (saved.restoring) {
        qCInfo(lcHelper).noquote() << "finishing a restore of the user's proxy settings that was cut short";
        return whole;
    }
    // An older helper's copy, or an enable that could not be read back: given back whatever the
    // desktop shows, as before.
    if (!saved.applied)
        return whole;
    QString error;
    const std::optional<QJsonObject> current = m_backend.snapshot(&error);
    if (!current) {
        qCWarning(lcHelper).noquote() << "the desktop proxy cannot be read (" + error
                                             + "); the saved copy is written back whole";
        return whole;
    }
    return RestorePlan::decide(m_backend, saved.snapshot, *saved.applied, *current);
}

void ProxyConfigService::forgetEnable()
{
    m_dnsServer.clear();
    m_enabledBy = 0;
}

QString ProxyConfigService::disableProxy(bool filterInterface, QStringList *usersOwnKeys)
{
    Q_UNUSED(filterInterface)
    if (!m_state.exists())
        return {}; // nothing of ours is in place
    const Restore restored = restoreSaved();
    if (usersOwnKeys)
        *usersOwnKeys = restored.usersOwnKeys;
    return restored.error;
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
    return restoreSaved().error;
}
