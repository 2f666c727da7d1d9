#include "helper/RestorePlan.h"

#include <QSet>

#include <optional>

namespace {

using KeyGroup = ProxyBackend::KeyGroup;

bool changedSince(const KeyGroup &group, const QJsonObject &applied, const QJsonObject &current)
{
    for (const QString &key : group.keys) {
        if (applied.value(key) != current.value(key))
            return true;
    }
    return false;
}


// The saved list with the user's changes since the enable: the entries they added (there now, not
// in what the enable wrote) added, the entries they removed (in what the enable wrote, not there
// now) removed. The saved entries keep their order; the added ones follow in the user's.
QStringList withUsersChanges(const QStringList &saved, const QStringList &applied, const QStringList &current)
{
    QStringList merged;
    for (const QString &entry : saved) {
        if (!applied.contains(entry) || current.contains(entry))
            merged.append(entry);
    }
    for (const QString &entry : current) {
        if (!applied.contains(entry) && !merged.contains(entry))
            merged.append(entry);
    }
    return merged;
}

// A group whose list the user changed, as its saved values with their changes to the list merged
// in. Nullopt where the group is taken whole as it is now: it holds no list, the user changed its
// other keys too (KDE's ReversedException), or one of the three holds no list a merge may take.
std::optional<QJsonObject> mergedGroup(const ProxyBackend &backend, const KeyGroup &group, const QJsonObject &saved,
                                       const QJsonObject &applied, const QJsonObject &current)
{
    if (group.list.isEmpty())
        return std::nullopt;
    for (const QString &key : group.keys) {
        if (key != group.list && applied.value(key) != current.value(key))
            return std::nullopt;
    }
    const std::optional<QStringList> savedList = backend.listEntries(saved);
    const std::optional<QStringList> appliedList = backend.listEntries(applied);
    const std::optional<QStringList> currentList = backend.listEntries(current);
    if (!savedList || !appliedList || !currentList)
        return std::nullopt;
    QJsonObject values;
    for (const QString &key : group.keys) {
        if (saved.contains(key))
            values.insert(key, saved.value(key));
    }
    // A list that reads as one the store holds is written as the store holds it.
    const QStringList merged = withUsersChanges(*savedList, *appliedList, *currentList);
    if (merged == *savedList)
        return values;
    values.insert(group.list, merged == *currentList ? current.value(group.list) : backend.listValue(merged));
    return values;
}

} // namespace

QList<ProxyBackend::KeyGroup> RestorePlan::groupsOf(const ProxyBackend &backend, const QList<QJsonObject> &keyValues)
{
    QList<KeyGroup> groups = backend.keyGroups();
    QSet<QString> grouped;
    for (const KeyGroup &group : groups)
        grouped.unite(QSet<QString>(group.keys.begin(), group.keys.end()));
    for (const QJsonObject &values : keyValues) {
        for (const QString &key : values.keys()) {
            if (grouped.contains(key))
                continue;
            grouped.insert(key);
            groups.append({KeyGroup::Role::Other, {key}});
        }
    }
    return groups;
}

RestorePlan RestorePlan::decide(const ProxyBackend &backend, const QJsonObject &saved, const QJsonObject &applied,
                                const QJsonObject &current)
{
    const QJsonObject savedKeys = backend.keyValues(saved);
    const QJsonObject appliedKeys = backend.keyValues(applied);
    const QJsonObject currentKeys = backend.keyValues(current);
    const QList<KeyGroup> groups = groupsOf(backend, {savedKeys, appliedKeys, currentKeys});

    // A group that holds its saved values is no change of the user's, whatever the enable left:
    // either value gives the same keys, and a restore cut short leaves exactly that (its own
    // writes), which must not keep the enable's mode in place of the user's.
    QList<bool> usersOwn;
    bool routeChanged = false;
    for (const KeyGroup &group : groups) {
        usersOwn.append(changedSince(group, appliedKeys, currentKeys) && changedSince(group, savedKeys, currentKeys));
        routeChanged = routeChanged || (group.role == KeyGroup::Role::Route && usersOwn.last());
    }

    RestorePlan plan;
    QJsonObject merged;
    const auto take = [&merged](const QStringList &keys, const QJsonObject &from) {
        for (const QString &key : keys) {
            if (from.contains(key))
                merged.insert(key, from.value(key));
        }
    };
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const KeyGroup &group = groups.at(i);
        const bool theirs = usersOwn.at(i) || (group.role == KeyGroup::Role::Mode && routeChanged);
        if (!theirs) {
            take(group.keys, savedKeys);
            continue;
        }
        if (const std::optional<QJsonObject> values = mergedGroup(backend, group, savedKeys, appliedKeys, currentKeys)) {
            // Their changes may only have taken out entries of the client's: the saved list is
            // back as it was, and nothing of theirs is kept.
            if (changedSince(group, savedKeys, *values))
                plan.usersOwnKeys.append(group.list);
            take(group.keys, *values);
            continue;
        }
        plan.usersOwnKeys.append(group.keys);
        take(group.keys, currentKeys);
    }
    // Where the user's changes leave every key as saved (an entry of the client's removed), the
    // saved snapshot itself comes back, exactly as it was.
    plan.target = plan.usersOwnKeys.isEmpty() || merged == savedKeys ? saved : backend.snapshotOfKeys(merged);
    plan.nothingToWrite = backend.keyValues(plan.target) == currentKeys;
    return plan;
}
