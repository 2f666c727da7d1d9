#include "helper/RestorePlan.h"

#include <QSet>

namespace {

using KeyGroup = ProxyBackend::KeyGroup;

// The backend's groups, and every other key one of the snapshots holds as a group of its own (a
// key of a hand-written file, say), so each key is decided once.
QList<KeyGroup> everyGroup(const ProxyBackend &backend, const QList<QJsonObject> &snapshots)
{
    QList<KeyGroup> groups = backend.keyGroups();
    QSet<QString> grouped;
    for (const KeyGroup &group : groups)
        grouped.unite(QSet<QString>(group.keys.begin(), group.keys.end()));
    for (const QJsonObject &snapshot : snapshots) {
        for (const QString &key : snapshot.keys()) {
            if (grouped.contains(key))
                continue;
            grouped.insert(key);
            groups.append({KeyGroup::Role::Bypass, {key}});
        }
    }
    return groups;
}

bool changedSince(const KeyGroup &group, const QJsonObject &applied, const QJsonObject &current)
{
    for (const QString &key : group.keys) {
        if (applied.value(key) != current.value(key))
            return true;
    }
    return false;
}

} // namespace

RestorePlan RestorePlan::decide(const ProxyBackend &backend, const QJsonObject &saved, const QJsonObject &applied,
                                const QJsonObject &current)
{
    const QJsonObject savedKeys = backend.keyValues(saved);
    const QJsonObject appliedKeys = backend.keyValues(applied);
    const QJsonObject currentKeys = backend.keyValues(current);
    const QList<KeyGroup> groups = everyGroup(backend, {savedKeys, appliedKeys, currentKeys});

    QList<bool> usersOwn;
    bool routeChanged = false;
    for (const KeyGroup &group : groups) {
        usersOwn.append(changedSince(group, appliedKeys, currentKeys));
        routeChanged = routeChanged || (group.role == KeyGroup::Role::Route && usersOwn.last());
    }

    RestorePlan plan;
    QJsonObject merged;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const bool theirs = usersOwn.at(i) || (groups.at(i).role == KeyGroup::Role::Mode && routeChanged);
        if (theirs)
            plan.usersOwnKeys.append(groups.at(i).keys);
        const QJsonObject &from = theirs ? currentKeys : savedKeys;
        for (const QString &key : groups.at(i).keys) {
            if (from.contains(key))
                merged.insert(key, from.value(key));
        }
    }
    plan.target = plan.usersOwnKeys.isEmpty() ? saved : backend.snapshotOfKeys(merged);
    plan.nothingToWrite = backend.keyValues(plan.target) == currentKeys;
    return plan;
}
