#pragma once

#include "helper/ProxyBackend.h"

#include <QJsonObject>
#include <QStringList>

// What a restore writes to the desktop store: the user's saved settings, key group by key group,
// except where the desktop no longer shows what the enable left. A group changed since is the
// user's own and stays; where the user changed where traffic goes (a proxy, a PAC address), the
// mode stays as well, so their choice keeps working. A change of the exceptions alone brings the
// saved setting back, its exceptions with the user's changes applied: the entries they added since
// the enable added, the ones they removed removed, so neither their own earlier entries nor the
// client's are lost or forced on them.
class RestorePlan
{
public:
    // `saved`, `applied` and `current` are snapshots in the backend's form: the user's settings
    // before the enable, what the enable left, and what the store holds now.
    // The backend's key groups, and every other key one of `keyValues` holds as a group of its own
    // (a key of a hand-written file), so that each key is decided, and written, once.
    static QList<ProxyBackend::KeyGroup> groupsOf(const ProxyBackend &backend, const QList<QJsonObject> &keyValues);

    static RestorePlan decide(const ProxyBackend &backend, const QJsonObject &saved, const QJsonObject &applied,
                              const QJsonObject &current);

    // The snapshot to write. The saved one itself while the user changed nothing.
    QJsonObject target;
    // The store's keys the user changed since the enable (or whose change made them theirs),
    // which keep the user's values (a list: their changes to it); empty when the saved settings
    // come back whole.
    QStringList usersOwnKeys;
    // Whether writing the target leaves the store as it is now.
    bool nothingToWrite = false;
};
