#pragma once

#include "helper/ProxyBackend.h"
#include "helper/RestorePlan.h"
#include "helper/SavedProxyState.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// The methods of ProxyConfigRemoteProcessProtocol on one backend. Arguments arrive as JSON from
// an untrusted peer and are validated here before anything is read or written.
//
// Every restore of the user's saved settings (a disable, a client's end, the helper's start and
// end) gives them back key by key: what the desktop still shows as the last enable set it gets
// the saved value back, a setting the user made since is theirs to keep (RestorePlan). No copy
// ever holds the client's own listener as the user's setting. A restore is done only when the
// store, read back, shows it; until then its record stays, and it is tried again (RestoreRetry)
// and at the next start. Where the copy cannot be used, what names a listener the daemon set is
// given the store's "no proxy", so the desktop never waits on a dead port.
//
// It also remembers whose enable the desktop shows: a client that dies while connected (killed,
// crashed) cannot ask for the user's settings back, so when its connection ends, the helper gives
// them back itself if that client asked for it (its kill switch off). A client with the kill
// switch on asks not to: its dead listener then keeps the desktop's traffic from leaving
// unproxied, until a disable, the helper's end or its next start.
class ProxyConfigService
{
public:
    struct Reply
    {
        QJsonValue result;
        QString error; // empty on success
        // With an error: the restore did not land yet, and waits in this daemon's hands.
        bool restoreWaits = false;
    };

    // A connection as the server numbers them; 0 is a caller outside any connection, whose end
    // is never reported.
    using Caller = quint64;

    ProxyConfigService(ProxyBackend &backend, SavedProxyState &state, const QString &version);

    Reply call(const QString &method, const QJsonObject &params, Caller caller = 0);
    // The connection `caller` ended. When the desktop shows its enable and it asked for that, the
    // user's settings go back now, as a disable would give them (not over a change the user made
    // since). Empty on success, and when nothing was to be done.
    QString callerEnded(Caller caller);

    // How a restore of the user's settings ended.
    struct Restore
    {
        enum class Outcome {
            Whole,        // the saved settings are back as they were
            UsersOwnKept, // back, but for the keys the user changed since (usersOwnKeys)
            NothingSaved, // nothing of the client's was in place
            CopyLost,     // no usable copy: what named the client's listener is now "no proxy"
        };
        QString error; // empty when the store shows the restore; the record then stays for another try
        Outcome outcome = Outcome::NothingSaved;
        QStringList usersOwnKeys;
        bool retry = false; // a failure the store may take back later (a write it refused, a copy it could not read)
    };

    QString version() const { return m_version; }
    QString enableProxy(int port, int socksPort, const QString &pac, const QString &dnsServer,
                        bool filterInterface, const QStringList &ignoreList);
    // Empty on success; `detail` (when given) receives how it ended.
    QString disableProxy(bool filterInterface, Restore *detail = nullptr);
    QString restoreProxy(int currentPort, int socksPort, const QJsonObject &info, bool filterInterface);
    std::optional<QJsonObject> currentProxySetting(QString *error);

    // Puts back settings left saved by an earlier run that ended without restoring them.
    QString restoreLeftover();

    // A restore that did not land waits for another try (RestoreRetry): until it lands, an enable
    // takes over, or a client names the settings to keep.
    bool restorePending() const { return m_restorePending; }
    // Tries it again, as decided, quietly; empty once it landed (or when none waits).
    QString retryRestore();
    // Called with the reason each time a restore fails in a way a later try may mend.
    void setRestorePendingHandler(std::function<void(const QString &reason)> handler);

private:
    using Listener = SavedProxyState::Listener;

    Reply callEnable(const QJsonObject &params, Caller caller);
    Reply callDisable(const QJsonObject &params);
    Reply callRestore(const QJsonObject &params);
    Reply callSetRestoreOnClientEnd(const QJsonObject &params, Caller caller);
    QString keepUsersSettingsBeforeEnable(const Listener &listener);
    QString saveCopy(const QJsonObject &snapshot, const Listener &listener);
    // Records what the enable left in the store. Empty when it is recorded, or when the store
    // could not be read back (logged: a restore then gives the copy back whole); the reason when
    // the record could not be saved.
    QString recordApplied();
    // `whole`: the copy as it is, whatever the store shows (a failed enable's roll-back).
    Restore restoreSaved(bool whole = false);
    Restore restoreEntry(const SavedProxyState::Entry &saved, bool whole);
    // No usable copy (`lost` says why; empty when there was none to lose).
    Restore restoreWithoutCopy(const QString &lost, bool copyStays);
    RestorePlan planRestore(const SavedProxyState::Entry &saved, const std::optional<QJsonObject> &current);
    // What a key group holds while nobody but this daemon changed it, for the record's state.
    QJsonObject untouchedOf(const SavedProxyState::Entry &saved, const QJsonObject &current) const;
    // How a restore's writes ended: `error` is empty when the store shows every key as meant but
    // for `leftToUser`, the key groups the user changed while they were under way, left as set.
    struct Written
    {
        QString error;
        QStringList leftToUser;
    };
    // Writes `target` and reads the store back. With `found`, the store as the restore found it,
    // a group that changed since is the user's and stays (writeGroups).
    Written writeAndConfirm(const QJsonObject &target, const std::optional<QJsonObject> &found);
    Written writeGroups(const QJsonObject &target, const QJsonObject &found);
    // Records what a restore without a usable copy wrote over `before`, as this daemon's.
    void keepWrittenInPlace(const QJsonObject &before, const QJsonObject &target, const QStringList &leftToUser);
    // Whether the snapshot's settings name one of the listeners.
    bool namesListener(const QJsonObject &snapshot, const QList<Listener> &listeners) const;
    // `current` with every place traffic is sent that names a listener set to the store's "no
    // proxy" (the store's "no proxy" whole where nothing else is left); nothing when none names one.
    std::optional<QJsonObject> inPlaceOfListener(const QJsonObject &current, const QList<Listener> &listeners) const;
    Restore pending(Restore restore);
    void forgetEnable();

    ProxyBackend &m_backend;
    SavedProxyState &m_state;
    QString m_version;
    QString m_dnsServer; // reported only: desktop proxy stores have no DNS setting
    Caller m_enabledBy = 0;         // whose enable the desktop proxy shows; 0 when none of a live connection
    QSet<Caller> m_restoreOnEnd;    // live connections that asked for the user's settings back at their end
    bool m_restorePending = false;  // a restore that did not land waits for another try
    bool m_retrying = false;        // within such a try: its steps are not logged again
    std::function<void(const QString &reason)> m_onRestorePending;
};
