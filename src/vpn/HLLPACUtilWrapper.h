#pragma once

#include "vpn/EngineStart.h"
#include "vpn/HelperError.h"
#include "vpn/SSLocalConfigBuilder.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class HLLShadowsocks;
class HLLSingBox;
class ProxyConfigRemoteProcessProtocol;

// The switchboard between the connect and stop roads and the machinery below them: it registers
// the local proxy defaults, starts the engines, and has the proxy-settings helper
// point the desktop proxy at the local SOCKS5 listener (port 9999) or restore the user's settings.
//
// It owns at most one engine of each kind. Engines are stopped only after the helper has
// restored the settings (or when quitting), so traffic is never left pointed at a dead listener
// by our own hand. Everything runs on the GUI thread.
class HLLPACUtilWrapper : public QObject
{
    Q_OBJECT
public:
    // Every callback gets the failure text, or nothing on success.
    using Callback = std::function<void(const std::optional<QString> &error)>;
    using StartCompletion = std::function<void(bool success)>;

    static constexpr int kLocalPort = SSLocalConfigBuilder::kSocksPort;
    static constexpr int kShutdownWaitMs = 2000;

    using EngineStart = ::EngineStart;

    static HLLPACUtilWrapper &shared();

    // Starts `sslocal` from `what`; the completion gets the start result. While a stopLocal is
    // still restoring the settings or ending the engines, the start waits for it (its stop would
    // otherwise end the new engines, or leave the desktop proxy to a road that thinks it is off);
    // a later stopLocal, or a newer start, gives a waiting start up, which then answers false.
    // The TUN switch in `what` holds for this connection.
    void start(const EngineStart &what, StartCompletion completion);

    // The seven desktop-proxy exceptions, in order.
    static QStringList proxyIgnoreList();
    // Registers the seventeen local proxy defaults (stored values win).
    static void configLocal();

    // Success: starts `sing-box` in TUN mode, then has the helper point the desktop proxy at 9999.
    // Failure: has the helper restore the settings and stops the engines; the callback then gets
    // the failure. A helper failure on enabling rolls back the same way.
    static void applySystemProxy(bool success, Callback callback);
    // Has the helper restore the user's settings; once it has, stops the engines, stores
    // "ShadowsocksOn" false and posts "kTunStateChange", then calls back. When the helper fails
    // the callback gets its error and the engines keep running (the proxy may still point at them).
    static void stopLocal(Callback callback = {});
    // The self-upgrade's install: the desktop proxy stops pointing at our listener while the
    // package replaces the program, but the engines keep running, so that a failed install can
    // put the connection back as it was with `resumeSystemProxy`. Both succeed at once when the
    // proxy was not applied. A resume holds however late the helper answers the suspension: it
    // ends either with the proxy pointed at us again or, when the helper does not confirm that,
    // with the connection stopped as `stopLocal` stops it. A suspension the helper refuses leaves
    // the proxy counted as ours, so an engine that ends during the download is a loss as when
    // connected; one that fails on the way (unanswered, a connection closed or broken) may still
    // be applied, so it counts as done.
    static void suspendSystemProxy(Callback callback);
    static void resumeSystemProxy(Callback callback);
    // The user's kill switch: stored, and told to the helper while a connection may have the
    // desktop proxy pointed at us, so that a client killed while connected leaves the desktop as
    // the switch says (the helper restores the user's settings itself unless the switch is on).
    static void setKillSwitch(bool on);
    // True while a stopLocal has not called back.
    bool isStopping() const { return m_pendingStops > 0; }
    static QString localDnsServerAddress();

    // Start-up: a previous run that ended without restoring (a crash, a kill) may have left the
    // desktop proxy pointed at 9999; ask the helper to restore whatever it saved. An engine it
    // left running (its guard killed too) is stopped. Until the helper answers, however late
    // within its own bounds, a request of the client's whose system road still names 9999 waits
    // (StartRestoreGate), so that it takes the user's setting the restore brings back.
    // The client's road, which leaves 9999 out, is installed before this (ApplicationProxy::install).
    static void restoreAfterCrash();
    // Quitting: restores the settings, waiting for the helper at most `waitMs`, then stops the
    // engines whatever the answer. True when the helper confirmed the restore.
    static bool shutdown(int waitMs = kShutdownWaitMs);

    bool hasRunningEngine() const;

    // Tests talk to a helper of their own; nothing resets it but another call (nullptr: the
    // shared helper connection again).
    static void setHelperForTesting(ProxyConfigRemoteProcessProtocol *helper);

Q_SIGNALS:
    // An engine ended on its own while the proxy was applied. With the kill switch on the desktop
    // proxy stays pointed at the dead listener (`killSwitchHolds` true); with it off the settings
    // were restored (or their restore attempted) before this is emitted.
    void engineLost(bool killSwitchHolds);
    // The proxy is off: the settings were restored (or the engines ended for good), the engines
    // are gone and "ShadowsocksOn" is false. Emitted for every stop, including those that other
    // parts start without the home screen (sign-out, the account alert, quitting).
    void proxyStopped();

private:
    HLLPACUtilWrapper();
    ~HLLPACUtilWrapper() override;

    void failStart(StartCompletion completion);
    void runWaitingStart();
    void giveUpWaitingStart();
    void launchShadowsocks(const EngineStart &what, StartCompletion completion);
    void sslocalStarted(int code, StartCompletion completion, quint64 generation);
    void postPrivoxyStartSucceed(bool status, StartCompletion completion);
    void startSingBox(Callback callback);
    void enable(Callback callback);
    // Tells `helper` whether to give the user's settings back should this client end without
    // asking (killed, crashed): yes unless the kill switch is on.
    void tellKillSwitch(ProxyConfigRemoteProcessProtocol *helper);
    void applyConfigReply(const std::optional<HelperError> &error, Callback callback, quint64 generation);
    void rollBack(const QString &reason, Callback callback);
    // Has the helper restore the settings, then ends the engines and records the proxy off,
    // whatever the helper answered (its error is logged), then runs `then`.
    void restoreThenStop(std::function<void()> then);
    void disable(std::function<void(const std::optional<HelperError> &error)> reply);
    void stopLocalReply(const std::optional<HelperError> &error, Callback callback);
    void onEngineExited(quint64 generation);
    // An engine ended while the desktop proxy pointed at it: the kill switch keeps the proxy,
    // otherwise the settings are restored.
    void handleEngineLoss();
    // The helper kept the desktop proxy pointed at us although the upgrade asked it not to.
    void suspensionRefused(quint64 round);
    // Hears when the helper that applied the proxy goes away (it restores the user's settings as
    // it ends, as when a new install replaces it).
    void watchHelper(ProxyConfigRemoteProcessProtocol *helper);
    void helperWentAway();
    // The desktop proxy was ours when the helper went: the next helper points it back, or the
    // connection ends, so the screen never says connected while traffic leaves unproxied.
    void pointProxyBackAfterHelperLoss();
    // Ends both engines without waiting on this thread; `done` runs later, once both have ended.
    void stopEngines(std::function<void()> done);
    // Quitting only: ends them before returning.
    void stopEnginesNow();
    void markStopped();
    ProxyConfigRemoteProcessProtocol *currentHelper() const;

    // Whose the desktop proxy is, as far as our own requests to the helper go. Only Ours and
    // PointingBack count an engine that ends as a loss, and only Ours is pointed back after the
    // helper went away.
    enum class DesktopProxy {
        Off,          // not pointed at us by our hand: no connection, one starting, or an enable unanswered
        Ours,         // the helper confirmed it points at our listener
        PointingBack, // ours, but its helper went away; the enable that points it back is unanswered
        Suspended,    // taken off for the upgrade (asked; answered or not); the engines keep running
    };
    bool proxyIsOurs() const
    {
        return m_desktopProxy == DesktopProxy::Ours || m_desktopProxy == DesktopProxy::PointingBack;
    }
    // Records whose the desktop proxy is; the client's own requests take the engine while it is
    // ours (ApplicationProxy). The quit is the one exception: `shutdown()` gives them back to the
    // system once it has ended the engines, even when the helper did not confirm the restore and
    // the desktop may still point at the listener, as no engine is left to carry them.
    void setDesktopProxy(DesktopProxy state);

    std::unique_ptr<HLLShadowsocks> m_shadowsocks;
    std::unique_ptr<HLLSingBox> m_singBox;
    quint64 m_generation = 0;   // one per engine start; late signals of replaced engines are dropped
    quint64 m_startRequest = 0; // one per start request; a start overtaken while old engines end is dropped
    int m_stoppingEngines = 0;  // controllers whose engines are still ending
    int m_pendingStops = 0;     // stopLocal calls that have not called back
    struct WaitingStart
    {
        EngineStart what;
        StartCompletion completion;
    };
    std::optional<WaitingStart> m_waitingStart;   // a start asked for while a stop runs
    DesktopProxy m_desktopProxy = DesktopProxy::Off;
    bool m_tunOn = false;         // the connection's TUN switch, read once per start
    bool m_engineDied = false;    // an engine of this start ended while the proxy was not ours
    int m_suspendsInFlight = 0;   // suspensions the helper has not answered
    quint64 m_suspensionRound = 0; // one per suspension sent to the helper
    QList<Callback> m_suspendWaiters;
    ProxyConfigRemoteProcessProtocol *m_helperForTesting = nullptr;
};
