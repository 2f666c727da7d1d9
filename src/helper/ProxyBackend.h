#pragma once

#include "helper/ProxySettings.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One place where a desktop keeps its proxy settings. Failures come back as texts (empty on
// success) so the daemon can hand them to the client unchanged.
class ProxyBackend
{
public:
    // Keys of a snapshot that only make sense together (a host and its port), and what they say.
    // A restore decides group by group whether the user changed the desktop since an enable.
    struct KeyGroup
    {
        enum class Role {
            Mode,   // whether and how the proxy is used
            Route,  // where traffic goes: a proxy's address, a PAC address
            Bypass, // what goes around the proxy: the exceptions
            Other,  // a key no backend names (one of a hand-written file)
        };
        Role role;
        QStringList keys;
        // The key among `keys` whose value is a list of entries (the exceptions), which a restore
        // merges entry by entry (listEntries(), listValue()); empty for none.
        QString list = {};
    };

    virtual ~ProxyBackend() = default;

    virtual QString name() const = 0;

    // The user's own settings of every key apply() touches, in the backend's own form, so that
    // restoreSnapshot() puts back exactly what was there (values this daemon cannot interpret
    // included). Never includes credentials.
    virtual std::optional<QJsonObject> snapshot(QString *error) = 0;
    virtual QString restoreSnapshot(const QJsonObject &snapshot) = 0;
    // Whether a snapshot read back from disk has the shape this backend writes; a tampered or
    // foreign file is refused before anything is written from it.
    virtual bool isValidSnapshot(const QJsonObject &snapshot) const = 0;
    // A snapshot's settings as the daemon understands them.
    virtual std::optional<ProxySettings> settingsOf(const QJsonObject &snapshot, QString *error) const = 0;
    // The store's own "no proxy", in snapshot form.
    virtual QJsonObject noProxySnapshot() const = 0;

    virtual QList<KeyGroup> keyGroups() const = 0;
    // A snapshot as one value per key, and back. Every store but the file keeps its snapshots that
    // way; the file's snapshot also says whether the file is there at all.
    virtual QJsonObject keyValues(const QJsonObject &snapshot) const { return snapshot; }
    virtual QJsonObject snapshotOfKeys(const QJsonObject &keyValues) const { return keyValues; }
    // A group's list (KeyGroup::list) in the store's own form, read from a snapshot's key values as
    // its entries, and back. Nullopt where the values hold no list a merge may take: one this
    // daemon cannot read, or one that means something else (KDE's reversed exceptions).
    virtual std::optional<QStringList> listEntries(const QJsonObject &keyValues) const
    {
        Q_UNUSED(keyValues)
        return std::nullopt;
    }
    virtual QJsonValue listValue(const QStringList &entries) const
    {
        Q_UNUSED(entries)
        return QJsonValue::Null;
    }

    // Writes the keys `keys` as the snapshot `target` holds them (a key it lacks is taken out),
    // and leaves every other key of the store as it is. Empty on success. Here one read and one
    // write of the whole store; a store written key by key writes only these keys.
    virtual QString writeKeys(const QJsonObject &target, const QStringList &keys)
    {
        QString error;
        const std::optional<QJsonObject> now = snapshot(&error);
        if (!now)
            return error;
        const QJsonObject wanted = keyValues(target);
        QJsonObject values = keyValues(*now);
        for (const QString &key : keys) {
            if (wanted.contains(key))
                values.insert(key, wanted.value(key));
            else
                values.remove(key);
        }
        // The write that completes the target writes the target itself: a snapshot may say more
        // than its keys (the file's, whether the file is there at all).
        return restoreSnapshot(values == wanted ? target : snapshotOfKeys(values));
    }

    std::optional<ProxySettings> read(QString *error)
    {
        const std::optional<QJsonObject> raw = snapshot(error);
        if (!raw)
            return std::nullopt;
        return settingsOf(*raw, error);
    }
    virtual QString apply(const ProxySettings &settings) = 0;
};
