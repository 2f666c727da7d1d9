#include "helper/ProxyConfigService.h"

#include "helper/HelperValidation.h"

#include "common/HelperProtocol.h"
#include "helper/HelperLog.h"

#include <QDebug>
#include <QJsonArray>

#include <algorithm>

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

// A disable's answer: how it ended, and the keys left as the user set them. Older clients take any
// result; those of the last release read an empty "usersOwnKept" as "back as before".
QJsonObject outcomeReply(const ProxyConfigService::Restore &restored)
{
    using Outcome = ProxyConfigService::Restore::Outcome;
    const char *outcome = "whole";
    switch (restored.outcome) {
    case Outcome::Whole:
        break;
    case Outcome::UsersOwnKept:
        outcome = "usersOwnKept";
        break;
    case Outcome::NothingSaved:
        outcome = "nothingSaved";
        break;
    case Outcome::CopyLost:
        outcome = "copyLost";
        break;
    }
    return {{QStringLiteral("outcome"), QLatin1String(outcome)},
            {QStringLiteral("usersOwnKept"), QJsonArray::fromStringList(restored.usersOwnKeys)}};
}

ProxyConfigService::Restore restoreFailed(const QString &error, bool retry)
{
    ProxyConfigService::Restore restore;
    restore.error = error;
    restore.retry = retry;
    return restore;
}

ProxyConfigService::Restore restoreDone(ProxyConfigService::Restore::Outcome outcome, const QStringList &usersOwnKeys = {})
{
    ProxyConfigService::Restore restore;
    restore.outcome = outcome;
    restore.usersOwnKeys = usersOwnKeys;
    return restore;
}

// Sets `key` to what `from` holds for it, or takes it out where `from` has none.
void takeKey(QJsonObject &values, const QString &key, const QJsonObject &from)
{
    if (from.contains(key))
        values.insert(key, from.value(key));
    else
        values.remove(key);
}

// The keys whose value differs from `before` to `after`; a key taken out reads as null.
QJsonObject changedKeys(const QJsonObject &before, const QJsonObject &after)
{
    QJsonObject changed;
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (after.value(it.key()) != it.value())
            changed.insert(it.key(), after.contains(it.key()) ? after.value(it.key()) : QJsonValue(QJsonValue::Null));
    }
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (!before.contains(it.key()))
            changed.insert(it.key(), it.value());
    }
    return changed;
}

// Whether `a` and `b` hold the same value for each of `keys` (a key absent from both counts as same).
bool sameKeys(const QStringList &keys, const QJsonObject &a, const QJsonObject &b)
{
    return std::all_of(keys.cbegin(), keys.cend(), [&](const QString &key) { return a.value(key) == b.value(key); });
}

void appendNew(QStringList &list, const QStringList &more)
{
    for (const QString &item : more) {
        if (!list.contains(item))
            list.append(item);
    }
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
    Restore restored;
    const QString error = disableProxy(*filter, &restored);
    if (!error.isEmpty()) {
        Reply reply = failure(error);
        // The store did not take it yet, and this daemon goes on by itself (RestoreRetry, its next
        // start): the caller's part is done.
        reply.restoreWaits = m_restorePending;
        return reply;
    }
    return {outcomeReply(restored), {}};
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
    if (!m_state.anyRecord())
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
    const SavedProxyState::Loaded loaded = m_state.load([this](const QJsonObject &copy) { return m_backend.isValidSnapshot(copy); });
    if (!loaded.entry)
        return loaded.error.isEmpty() ? QStringLiteral("the saved proxy settings went away") : loaded.error;
    const SavedProxyState::Entry &saved = *loaded.entry;
    if (saved.backend != m_backend.name())
        return {}; // left in place for that backend, as every restore leaves it
    // A restore cut short: what it decided to give back is the user's setting.
    if (saved.stage == SavedProxyState::Stage::Restoring)
        return saveCopy(saved.toRestore, listener);
    // A second enable while ours are in place keeps the user's settings, not ours. A copy that
    // does not say what its enable left (an older helper's) is kept as it is.
    if (saved.stage != SavedProxyState::Stage::Applied)
        return {};
    const RestorePlan plan = RestorePlan::decide(m_backend, saved.toRestore, untouchedOf(saved, *current), *current);
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
    if (!namesListener(snapshot, {listener}))
        return m_state.save({m_backend.name(), SavedProxyState::Stage::Saved, snapshot, std::nullopt});
    // The desktop already names our listener (a killed client's, a damaged copy set aside): that is
    // not the user's setting, and giving it back would leave the desktop on a dead port.
    qCWarning(lcHelper).noquote()
        << "the desktop proxy already names the client's listener and no copy of the user's own setting is kept;"
           " a restore will give back no proxy";
    return m_state.save({m_backend.name(), SavedProxyState::Stage::Saved, m_backend.noProxySnapshot(), std::nullopt});
}

bool ProxyConfigService::namesListener(const QJsonObject &snapshot, const QList<Listener> &listeners) const
{
    QString error;
    const std::optional<ProxySettings> settings = m_backend.settingsOf(snapshot, &error);
    if (!settings)
        return false;
    return std::any_of(listeners.begin(), listeners.end(), [&settings](const Listener &listener) {
        return settings->namesListener(listener.port, listener.socksPort, listener.pac);
    });
}

QString ProxyConfigService::recordApplied()
{
    // Read back rather than derived from the settings: the store's own form of them is what a
    // later read finds while nobody changed it.
    QString error;
    const std::optional<QJsonObject> applied = m_backend.snapshot(&error);
    if (!applied) {
        qCWarning(lcHelper).noquote() << "the applied proxy settings were not read back; a restore will not spare a change made since:"
                                      << error;
        return {};
    }
    return m_state.recordApplied(*applied);
}

QString ProxyConfigService::enableProxy(int port, int socksPort, const QString &pac, const QString &dnsServer,
                                        bool filterInterface, const QStringList &ignoreList)
{
    Q_UNUSED(filterInterface) // every desktop store here is per user, not per interface
    const Listener listener{port, socksPort, pac};
    // Kept apart from the copy, before the desktop changes: a copy lost later must not leave the
    // desktop on this listener.
    QString saveError = m_state.recordListener(listener);
    if (saveError.isEmpty())
        saveError = keepUsersSettingsBeforeEnable(listener);
    if (!saveError.isEmpty())
        return QStringLiteral("proxy settings left unchanged: ") + saveError;
    // This enable takes over from a restore that waited: its decision is now the user's copy.
    m_restorePending = false;
    m_dnsServer = dnsServer;
    const QString error = m_backend.apply(ProxySettings::forLocalListener(port, socksPort, pac, ignoreList));
    if (error.isEmpty()) {
        const QString unrecorded = recordApplied();
        if (unrecorded.isEmpty())
            return {};
        // Without that record a restore could not tell a change the user makes while connected
        // from the enable's own, and would write over it: the enable is taken back instead.
        const Restore rolledBack = restoreSaved(true);
        if (!rolledBack.error.isEmpty())
            qCWarning(lcHelper).noquote() << "taking back an enable that was not recorded:" << rolledBack.error;
        return QStringLiteral("proxy settings left unchanged: ") + unrecorded;
    }
    // Half-applied settings would leave the desktop pointing nowhere: put the user's back, whole,
    // whatever the half-applied desktop shows.
    const Restore restored = restoreSaved(true);
    if (!restored.error.isEmpty())
        qCWarning(lcHelper).noquote() << "restoring after a failed enable:" << restored.error;
    return error;
}

ProxyConfigService::Restore ProxyConfigService::restoreSaved(bool whole)
{
    if (!m_state.exists())
        return pending(restoreWithoutCopy({}, false));
    const SavedProxyState::Loaded loaded = m_state.load([this](const QJsonObject &copy) { return m_backend.isValidSnapshot(copy); });
    if (loaded.entry)
        return pending(restoreEntry(*loaded.entry, whole));
    if (loaded.error.isEmpty())
        return pending(restoreWithoutCopy({}, false)); // gone between the two looks
    // A copy that cannot be read may come back (a passing fault): it stays, and the restore fails
    // with the reason, but the desktop does not wait on a dead listener meanwhile.
    Restore restored = restoreWithoutCopy(loaded.error, !loaded.setAside);
    if (!loaded.setAside) {
        restored.retry = true;
        if (restored.error.isEmpty())
            restored.error = loaded.error;
    }
    return pending(restored);
}

ProxyConfigService::Restore ProxyConfigService::restoreEntry(const SavedProxyState::Entry &saved, bool whole)
{
    if (saved.backend != m_backend.name())
        return restoreFailed(QStringLiteral("the saved settings belong to the %1 backend; left in place").arg(saved.backend), false);
    QString error;
    const std::optional<QJsonObject> current = m_backend.snapshot(&error);
    if (!current && !m_retrying)
        qCWarning(lcHelper).noquote() << "the desktop proxy cannot be read (" + error + "); the saved copy is written back whole";
    RestorePlan plan = whole || !current ? RestorePlan{saved.toRestore, {}, false} : planRestore(saved, current);
    if (!m_backend.isValidSnapshot(plan.target)) {
        // Recorded, it would replace the user's copy with what no restore can write.
        qCWarning(lcHelper).noquote() << "the restore's decision holds what the desktop store does not take; the saved copy is written back whole";
        plan = RestorePlan{saved.toRestore, {}, false};
    }
    QStringList usersOwn = saved.stage == SavedProxyState::Stage::Restoring ? saved.usersOwnKeys : QStringList();
    appendNew(usersOwn, plan.usersOwnKeys);
    if (!plan.nothingToWrite) {
        // Decided once, before the first write: a retry after a write that failed half-way
        // finishes this. Best effort: without it the copy stays as it was, and a later attempt
        // decides afresh, where the keys this one wrote hold their saved values (RestorePlan).
        error = m_state.save({m_backend.name(), SavedProxyState::Stage::Restoring, plan.target, current, usersOwn});
        if (!error.isEmpty() && !m_retrying)
            qCWarning(lcHelper).noquote() << "the restore's decision was not recorded; writing the desktop all the same:" << error;
        const Written written = writeAndConfirm(plan.target, current);
        appendNew(usersOwn, written.leftToUser);
        if (!written.error.isEmpty()) {
            Restore failed = restoreFailed(QStringLiteral("the restore of the user's proxy settings did not land: ") + written.error, true);
            failed.usersOwnKeys = usersOwn;
            return failed;
        }
    }
    forgetEnable();
    if (!m_state.clear())
        return restoreFailed(QStringLiteral("restored, but cannot remove %1").arg(m_state.filePath()), false);
    if (m_retrying)
        qCInfo(lcHelper).noquote() << "the restore that did not land is done now";
    if (usersOwn.isEmpty()) {
        qCInfo(lcHelper).noquote() << "the user's saved proxy settings are restored";
        return restoreDone(Restore::Outcome::Whole);
    }
    qCInfo(lcHelper).noquote() << "the desktop proxy was changed since the last enable; the user's change stays ("
                                      + usersOwn.join(QStringLiteral(", ")) + "), the saved setting is back for the rest";
    return restoreDone(Restore::Outcome::UsersOwnKept, usersOwn);
}

ProxyConfigService::Restore ProxyConfigService::restoreWithoutCopy(const QString &lost, bool copyStays)
{
    const QList<Listener> listeners = m_state.listeners();
    if (!lost.isEmpty() && listeners.isEmpty()) {
        // An older helper's enable recorded no listener: nothing here can tell it from the user's.
        return restoreFailed(lost, false);
    }
    QString error;
    const std::optional<QJsonObject> current = listeners.isEmpty() ? std::optional<QJsonObject>() : m_backend.snapshot(&error);
    if (!listeners.isEmpty() && !current)
        return restoreFailed(QStringLiteral("the desktop proxy cannot be read: ") + error, true);
    const Restore::Outcome outcome = lost.isEmpty() ? Restore::Outcome::NothingSaved : Restore::Outcome::CopyLost;
    const QString copy = lost.isEmpty() ? QStringLiteral("no copy of the user's proxy settings was kept")
                         : copyStays    ? QStringLiteral("the user's copy of the proxy settings cannot be used for now (") + lost + QStringLiteral(")")
                                        : QStringLiteral("the user's copy of the proxy settings was lost (") + lost + QStringLiteral(")");
    const std::optional<QJsonObject> target = current ? inPlaceOfListener(*current, listeners) : std::nullopt;
    if (target) {
        const Written written = writeAndConfirm(*target, current);
        if (!written.error.isEmpty())
            return restoreFailed(QStringLiteral("the restore of the user's proxy settings did not land: ") + written.error, true);
        if (copyStays)
            keepWrittenInPlace(*current, *target, written.leftToUser);
        if (!m_retrying)
            qCWarning(lcHelper).noquote() << copy + QStringLiteral("; the desktop proxy named the client's listener and is set to no proxy there");
    } else if (!lost.isEmpty() && !m_retrying) {
        qCWarning(lcHelper).noquote() << copy + QStringLiteral("; the desktop proxy names no listener of the client's and stays as it is");
    }
    if (copyStays)
        return restoreDone(outcome);
    forgetEnable();
    m_state.clear();
    return restoreDone(target || !lost.isEmpty() ? Restore::Outcome::CopyLost : Restore::Outcome::NothingSaved);
}

void ProxyConfigService::keepWrittenInPlace(const QJsonObject &before, const QJsonObject &target, const QStringList &leftToUser)
{
    QJsonObject wrote = changedKeys(m_backend.keyValues(before), m_backend.keyValues(target));
    for (const QString &key : leftToUser)
        wrote.remove(key);
    const QString error = m_state.recordWrittenInPlace(wrote);
    if (!error.isEmpty() && !m_retrying)
        qCWarning(lcHelper).noquote() << "what was written in place of the listener is not on record; once the user's copy "
                                         "can be read, a restore takes it for the user's:"
                                      << error;
}

std::optional<QJsonObject> ProxyConfigService::inPlaceOfListener(const QJsonObject &current, const QList<Listener> &listeners) const
{
    using Role = ProxyBackend::KeyGroup::Role;
    const QList<ProxyBackend::KeyGroup> groups = m_backend.keyGroups();
    const QJsonObject none = m_backend.keyValues(m_backend.noProxySnapshot());
    QJsonObject values = m_backend.keyValues(current);
    const auto setToNone = [&](const QStringList &keys) {
        for (const QString &key : keys)
            takeKey(values, key, none);
    };
    // Each place traffic may be sent asked alone: the others read as "no proxy" meanwhile.
    const auto alone = [&](const ProxyBackend::KeyGroup &asked) {
        QJsonObject probe = values;
        for (const ProxyBackend::KeyGroup &group : groups) {
            if (group.role != Role::Route || group.keys == asked.keys)
                continue;
            for (const QString &key : group.keys)
                takeKey(probe, key, none);
        }
        return m_backend.snapshotOfKeys(probe);
    };
    bool named = false;
    for (const ProxyBackend::KeyGroup &group : groups) {
        if (group.role == Role::Route && namesListener(alone(group), listeners)) {
            setToNone(group.keys);
            named = true;
        }
    }
    if (!named)
        return std::nullopt;
    // Nothing of the user's left to send traffic to: the store's "no proxy", whole.
    QString error;
    const std::optional<ProxySettings> left = m_backend.settingsOf(m_backend.snapshotOfKeys(values), &error);
    const bool routeLeft = left
        && (!left->socksHost.isEmpty() || !left->httpHost.isEmpty() || !left->httpsHost.isEmpty() || !left->autoconfigUrl.isEmpty());
    return routeLeft ? m_backend.snapshotOfKeys(values) : m_backend.noProxySnapshot();
}

RestorePlan ProxyConfigService::planRestore(const SavedProxyState::Entry &saved, const std::optional<QJsonObject> &current)
{
    const RestorePlan whole{saved.toRestore, {}, current && m_backend.keyValues(saved.toRestore) == m_backend.keyValues(*current)};
    if (saved.stage == SavedProxyState::Stage::Restoring && !m_retrying)
        qCInfo(lcHelper).noquote() << "finishing a restore of the user's proxy settings that was cut short";
    // An older helper's copy, or an enable that could not be read back: given back whatever the
    // desktop shows, as before. So is an older helper's decided restore.
    if (!saved.untouched || !current)
        return whole;
    return RestorePlan::decide(m_backend, saved.toRestore, untouchedOf(saved, *current), *current);
}

QJsonObject ProxyConfigService::untouchedOf(const SavedProxyState::Entry &saved, const QJsonObject &current) const
{
    QJsonObject untouched = m_backend.keyValues(saved.untouched.value_or(QJsonObject()));
    if (saved.stage == SavedProxyState::Stage::Restoring) {
        // A key that holds the decided value is this daemon's own write of a restore cut short.
        const QJsonObject decided = m_backend.keyValues(saved.toRestore);
        const QJsonObject now = m_backend.keyValues(current);
        for (auto it = decided.begin(); it != decided.end(); ++it) {
            if (now.value(it.key()) == it.value())
                takeKey(untouched, it.key(), now);
        }
        return m_backend.snapshotOfKeys(untouched);
    }
    // What a restore without a usable copy wrote in place of the listener is this daemon's, not
    // the user's: a change of theirs is measured from it, so its "no proxy" exceptions are never
    // taken for entries they added. A null stands for a key taken out.
    const QJsonObject inPlace = m_state.writtenInPlace();
    if (inPlace.isEmpty())
        return saved.untouched.value_or(QJsonObject());
    for (auto it = inPlace.begin(); it != inPlace.end(); ++it) {
        if (it.value().isNull())
            untouched.remove(it.key());
        else
            untouched.insert(it.key(), it.value());
    }
    return m_backend.snapshotOfKeys(untouched);
}

ProxyConfigService::Written ProxyConfigService::writeAndConfirm(const QJsonObject &target, const std::optional<QJsonObject> &found)
{
    // Without what the restore found there is nothing to tell the user's change by: all of it.
    Written written = found ? writeGroups(target, *found) : Written{m_backend.restoreSnapshot(target), {}};
    if (!written.error.isEmpty())
        return written;
    // A store may take a write and drop it (gsettings with the session bus gone exits 0): the
    // restore is done only when the store shows it.
    QString error;
    const std::optional<QJsonObject> shown = m_backend.snapshot(&error);
    if (!shown) {
        written.error = QStringLiteral("the desktop proxy cannot be read back: ") + error;
        return written;
    }
    // Strict where the restore wrote: a value the store changed on its way in must not pass for a
    // change of the user's. One the user makes right after its group's write fails this try, and
    // the next one, deciding from the record, leaves it theirs.
    const QJsonObject meant = m_backend.keyValues(target);
    const QJsonObject now = m_backend.keyValues(*shown);
    const QJsonObject before = found ? m_backend.keyValues(*found) : meant;
    QStringList differing;
    for (const ProxyBackend::KeyGroup &group : RestorePlan::groupsOf(m_backend, {meant, now})) {
        if (written.leftToUser.contains(group.keys.first()) || sameKeys(group.keys, meant, now))
            continue;
        // A group the restore had nothing to write to: no write of its was dropped there.
        if (found && sameKeys(group.keys, meant, before)) {
            written.leftToUser.append(group.keys);
            continue;
        }
        differing.append(group.keys);
    }
    if (!differing.isEmpty())
        written.error = QStringLiteral("the desktop proxy does not show it (%1)").arg(differing.join(QStringLiteral(", ")));
    return written;
}

ProxyConfigService::Written ProxyConfigService::writeGroups(const QJsonObject &target, const QJsonObject &found)
{
    using Role = ProxyBackend::KeyGroup::Role;
    const QJsonObject meant = m_backend.keyValues(target);
    const QJsonObject before = m_backend.keyValues(found);
    // The mode last, so the desktop never switches to a half-written configuration.
    QList<ProxyBackend::KeyGroup> groups = RestorePlan::groupsOf(m_backend, {meant, before});
    std::stable_partition(groups.begin(), groups.end(), [](const ProxyBackend::KeyGroup &group) { return group.role != Role::Mode; });
    Written written;
    bool routeLeft = false;
    for (const ProxyBackend::KeyGroup &group : groups) {
        if (sameKeys(group.keys, meant, before))
            continue;
        // Read again just before its own write: what the user changes while the restore writes is
        // lost to the one write under way at most, not to the whole restore.
        QString error;
        const std::optional<QJsonObject> shown = m_backend.snapshot(&error);
        if (!shown) {
            if (written.error.isEmpty())
                written.error = QStringLiteral("the desktop proxy cannot be read: ") + error;
            continue;
        }
        const QJsonObject now = m_backend.keyValues(*shown);
        if (sameKeys(group.keys, meant, now))
            continue;
        // Changed since the restore found it: the user's, and a proxy of theirs keeps the mode
        // it works with, as a restore decides for a change made while connected.
        if (!sameKeys(group.keys, before, now) || (group.role == Role::Mode && routeLeft)) {
            written.leftToUser.append(group.keys);
            routeLeft = routeLeft || group.role == Role::Route;
            continue;
        }
        QStringList keys;
        for (const QString &key : group.keys) {
            if (meant.value(key) != now.value(key))
                keys.append(key);
        }
        error = m_backend.writeKeys(target, keys);
        if (written.error.isEmpty())
            written.error = error;
    }
    return written;
}

ProxyConfigService::Restore ProxyConfigService::pending(Restore restore)
{
    if (restore.error.isEmpty() || !restore.retry || !m_state.anyRecord())
        return restore;
    m_restorePending = true;
    if (m_onRestorePending && !m_retrying)
        m_onRestorePending(restore.error);
    return restore;
}

QString ProxyConfigService::retryRestore()
{
    if (!m_restorePending)
        return {};
    m_retrying = true;
    const Restore restored = restoreSaved();
    m_retrying = false;
    if (restored.error.isEmpty() || !restored.retry)
        m_restorePending = false;
    return restored.error;
}

void ProxyConfigService::setRestorePendingHandler(std::function<void(const QString &reason)> handler)
{
    m_onRestorePending = std::move(handler);
}

void ProxyConfigService::forgetEnable()
{
    m_dnsServer.clear();
    m_enabledBy = 0;
    m_restorePending = false;
}

QString ProxyConfigService::disableProxy(bool filterInterface, Restore *detail)
{
    Q_UNUSED(filterInterface)
    const Restore restored = m_state.anyRecord() ? restoreSaved() : Restore{};
    if (detail)
        *detail = restored;
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
    if (!m_state.anyRecord())
        return {};
    return restoreSaved().error;
}
