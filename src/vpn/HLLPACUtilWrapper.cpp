#include "vpn/HLLPACUtilWrapper.h"

#include "vpn/EngineRecord.h"

#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include <utility>

#include "common/DefaultsKeys.h"
#include "common/GuiThread.h"
#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "networking/ApplicationProxy.h"
#include "networking/StartRestoreGate.h"
#include "vpn/HLLShadowsocks.h"
#include "vpn/HLLSingBox.h"
#include "vpn/PrivilegedHelperManager.h"
#include "vpn/VpnLog.h"

// The switchboard's file-log lines go under its name and the operation as support searches for
// them ("HLLPACUtilWrapper applyConfig(_:)"), whatever the code around them is called.
#define WRAPPER_LOG(level, function, message) OSTREL_LOG_AS(level, "HLLPACUtilWrapper", function, message)

namespace {

const QString kGfwListUrl =
    QStringLiteral("https://raw.githubusercontent.com/gfwlist/gfwlist/master/gfwlist.txt");

UserDefaults &defaults()
{
    return UserDefaults::standard();
}

void postTunStateChange()
{
    NotificationCenter::defaultCenter().post(NotificationNames::kTunStateChange);
}

std::optional<QString> textOf(const std::optional<HelperError> &error)
{
    return error ? std::optional<QString>(error->text()) : std::nullopt;
}

// The log's line for a restore the helper did not confirm: the desktop may still name the listener,
// or, where the helper has the restore in hand, gets the user's setting once its store takes it.
QString notBackLine(const HelperError &error)
{
    if (error.restoreWaits())
        return QStringLiteral("the desktop proxy comes back as before the connect once its store takes it; the helper "
                              "goes on with it: ") + error.text();
    return QStringLiteral("the desktop proxy is not back as before the connect: ") + error.text();
}

HelperError noHelperConnection()
{
    return HelperError::unreachable(QStringLiteral("no helper connection"));
}

bool killSwitchOn()
{
    return defaults().boolValue(DefaultsKeys::kKillSwitchStateKey).value_or(false);
}

} // namespace

HLLPACUtilWrapper &HLLPACUtilWrapper::shared()
{
    static HLLPACUtilWrapper *instance = new HLLPACUtilWrapper;   // lives for the process
    return *instance;
}

HLLPACUtilWrapper::HLLPACUtilWrapper() = default;
HLLPACUtilWrapper::~HLLPACUtilWrapper() = default;

QStringList HLLPACUtilWrapper::proxyIgnoreList()
{
    static const QStringList list = {
        QStringLiteral("127.0.0.1"), QStringLiteral("localhost"), QStringLiteral("192.168.0.0/16"),
        QStringLiteral("10.0.0.0/8"), QStringLiteral("FE80::/64"), QStringLiteral("::1"),
        QStringLiteral("FD00::/8"),
    };
    return list;
}

void HLLPACUtilWrapper::configLocal()
{
    const bool externalPac = defaults().integerValue(DefaultsKeys::mac_proxy_type).value_or(0) != 0;
    QVariantMap registered;
    registered.insert(DefaultsKeys::ShadowsocksOn, true);
    registered.insert(DefaultsKeys::ShadowsocksRunningMode,
                      externalPac ? QStringLiteral("externalPAC") : QStringLiteral("auto"));
    registered.insert(DefaultsKeys::LocalSocks5_ListenPort, kLocalPort);
    registered.insert(DefaultsKeys::LocalSocks5_ListenAddress, QStringLiteral("127.0.0.1"));
    registered.insert(DefaultsKeys::PacServer_ListenAddress, QStringLiteral("127.0.0.1"));
    registered.insert(DefaultsKeys::PacServer_ListenPort, 1089);
    registered.insert(DefaultsKeys::LocalSocks5_Timeout, 60);
    registered.insert(DefaultsKeys::LocalSocks5_EnableUDPRelay, false);
    registered.insert(DefaultsKeys::LocalSocks5_EnableVerboseMode, false);
    registered.insert(DefaultsKeys::GFWListURL, kGfwListUrl);
    registered.insert(DefaultsKeys::AutoConfigureNetworkServices, true);
    registered.insert(DefaultsKeys::LocalHTTP_ListenAddress, QStringLiteral("127.0.0.1"));
    registered.insert(DefaultsKeys::LocalHTTP_ListenPort, 1087);
    registered.insert(DefaultsKeys::LocalHTTPOn, true);
    registered.insert(DefaultsKeys::LocalHTTP_FollowGlobal, false);
    registered.insert(DefaultsKeys::ProxyExceptions, proxyIgnoreList().join(QStringLiteral(", ")));
    registered.insert(DefaultsKeys::ExternalPACURL, QString());
    defaults().registerDefaults(registered);
    defaults().synchronizeOrLog("registering the local proxy defaults");
    qCDebug(lcVpn) << defaults().stringValue(DefaultsKeys::ShadowsocksRunningMode).value_or(QString());
}

QString HLLPACUtilWrapper::localDnsServerAddress()
{
    return defaults().stringValue(DefaultsKeys::kLocalDnsServerAddress).value_or(QString());
}

// ---- starting ----

void HLLPACUtilWrapper::failStart(StartCompletion completion)
{
    // A start given up: a failure the caller hears (later), not a road left waiting.
    if (completion)
        GuiThread::post(this, [completion] { completion(false); });
}

void HLLPACUtilWrapper::start(const EngineStart &what, StartCompletion completion)
{
    if (m_pendingStops > 0) {
        // Only the newest start waits; one it replaces answers false, so every start answers.
        WRAPPER_LOG(Logger::Info, "start(_:)", QStringLiteral("the start waits for the running stop"));
        giveUpWaitingStart();
        m_waitingStart = WaitingStart{what, std::move(completion)};
        return;
    }
    // The previous engine still holds 127.0.0.1:9999 and the previous session's token: a second
    // one could not listen, and the old one would keep serving the old line. It is waited for in
    // the event loop.
    m_tunOn = what.tunOn;
    setDesktopProxy(DesktopProxy::Off);
    m_engineDied = false;
    const quint64 starting = ++m_startRequest;
    stopEngines([guard = QPointer(this), completion, what, starting]() {
        if (!guard)
            return;
        // A newer start overtook this one while the old engines ended: as with an engine replaced
        // after its start, the newer start's answer is the one its road waits for.
        if (guard->m_startRequest != starting)
            return;
        guard->launchShadowsocks(what, completion);
    });
}

void HLLPACUtilWrapper::launchShadowsocks(const EngineStart &what, StartCompletion completion)
{
    const quint64 generation = ++m_generation;
    m_shadowsocks = std::make_unique<HLLShadowsocks>(what);
    connect(m_shadowsocks.get(), &HLLShadowsocks::engineExited, this,
            [this, generation](int, bool) { onEngineExited(generation); });
    m_shadowsocks->startWithConnectivityChecks(
        false, [guard = QPointer(this), completion, generation](int code) {
            if (guard)
                guard->sslocalStarted(code, completion, generation);
        });
}

void HLLPACUtilWrapper::sslocalStarted(int code, StartCompletion completion, quint64 generation)
{
    qCDebug(lcVpn).noquote() << "====>" + QString::number(code);
    if (code == 0)
        qCDebug(lcVpn) << "ss-local开启成功";
    const bool tunOn = m_tunOn;
    GuiThread::post(this, [this, code, tunOn, completion, generation]() {
        if (generation != m_generation || !completion)
            return;
        if (tunOn)
            completion(code == 0);
        else
            postPrivoxyStartSucceed(code == 0, completion);
    });
}

void HLLPACUtilWrapper::postPrivoxyStartSucceed(bool status, StartCompletion completion)
{
    NotificationCenter::defaultCenter().post(NotificationNames::PrivoxyStartSucceed,
                                             {{QStringLiteral("status"), status}});
    completion(status);
}

void HLLPACUtilWrapper::applySystemProxy(bool success, Callback callback)
{
    HLLPACUtilWrapper &self = shared();
    if (!success) {
        self.rollBack(QStringLiteral("engine failed to start"), std::move(callback));
        return;
    }
    if (self.m_tunOn) {
        self.startSingBox(std::move(callback));
        return;
    }
    self.enable(std::move(callback));
}

void HLLPACUtilWrapper::startSingBox(Callback callback)
{
    if (m_singBox && m_singBox->isRunning()) {
        // A repeated start line re-applies the proxy; one TUN engine only, as a second would
        // fight the first over the routes.
        enable(std::move(callback));
        return;
    }
    const quint64 generation = m_generation;
    m_singBox = std::make_unique<HLLSingBox>();
    connect(m_singBox.get(), &HLLSingBox::engineExited, this,
            [this, generation](int, bool) { onEngineExited(generation); });
    // The desktop proxy is pointed at us only once traffic can really be captured: a TUN
    // connection without its TUN engine would look protected and is not.
    connect(m_singBox.get(), &HLLSingBox::started, this, [this, generation, callback]() {
        if (generation != m_generation)
            return;
        postTunStateChange();
        enable(callback);
    });
    connect(m_singBox.get(), &HLLSingBox::startFailed, this,
            [this, generation, callback](int code, const QString &reason) {
                if (generation != m_generation)
                    return;
                rollBack(QStringLiteral("sing-box failed to start (%1): %2").arg(code).arg(reason),
                         callback);
            });
    m_singBox->start();
}

void HLLPACUtilWrapper::enable(Callback callback)
{
    ProxyConfigRemoteProcessProtocol *helper = currentHelper();
    if (!helper) {
        rollBack(noHelperConnection().text(), std::move(callback));
        return;
    }
    watchHelper(helper);
    // Before the enable, on the same connection: the helper takes them in order, so a client
    // killed the moment its enable is applied leaves the desktop as the kill switch says.
    tellKillSwitch(helper);
    const std::optional<QString> dns = m_tunOn ? std::optional<QString>(localDnsServerAddress())
                                               : std::nullopt;
    const quint64 generation = m_generation;
    helper->enableProxyWithPort(kLocalPort, kLocalPort, std::nullopt, dns, true, proxyIgnoreList(),
                        [guard = QPointer(this), callback, generation](
                            const std::optional<HelperError> &error) {
                            if (guard)
                                guard->applyConfigReply(error, callback, generation);
                        });
}

void HLLPACUtilWrapper::tellKillSwitch(ProxyConfigRemoteProcessProtocol *helper)
{
    helper->setRestoreOnClientEnd(!killSwitchOn(), [](const std::optional<HelperError> &error) {
        // An older helper refuses it and keeps the desktop proxy at a client's end, as it always did.
        if (error)
            WRAPPER_LOG(Logger::Info, "applyConfig(_:)",
                        QStringLiteral("the helper was not told the kill switch: ") + error->text());
    });
}

void HLLPACUtilWrapper::setKillSwitch(bool on)
{
    defaults().setBool(DefaultsKeys::kKillSwitchStateKey, on);
    defaults().synchronizeOrLog("kill switch");
    HLLPACUtilWrapper &self = shared();
    // Without a connection there is nothing to tell: the next enable says it first. With one,
    // starting or up, the helper hears it behind any enable already sent, so it holds for that.
    if (self.m_desktopProxy == DesktopProxy::Off && !self.hasRunningEngine())
        return;
    if (ProxyConfigRemoteProcessProtocol *helper = self.currentHelper())
        self.tellKillSwitch(helper);
}

void HLLPACUtilWrapper::applyConfigReply(const std::optional<HelperError> &error, Callback callback,
                                         quint64 generation)
{
    if (error)
        WRAPPER_LOG(Logger::Info, "applyConfig(_:)", error->text());
    if (generation != m_generation) {
        // A newer connection replaced the engine meanwhile; its own reply decides.
        if (callback)
            callback(QStringLiteral("connection replaced"));
        return;
    }
    if (error) {
        rollBack(error->text(), std::move(callback));
        return;
    }
    if (m_engineDied) {
        rollBack(QStringLiteral("engine ended while the proxy was applied"), std::move(callback));
        return;
    }
    // A suspension sent behind this enable is applied after it: the proxy stays taken off.
    if (m_desktopProxy != DesktopProxy::Suspended)
        setDesktopProxy(DesktopProxy::Ours);
    if (callback)
        callback(std::nullopt);
}

void HLLPACUtilWrapper::watchHelper(ProxyConfigRemoteProcessProtocol *helper)
{
    connect(helper, &ProxyConfigRemoteProcessProtocol::wentAway, this, &HLLPACUtilWrapper::helperWentAway,
            Qt::UniqueConnection);
}

void HLLPACUtilWrapper::helperWentAway()
{
    // From the event loop: the calls the loss failed are answered first, so a stop or a start they
    // ended has settled.
    GuiThread::post(this, [guard = QPointer(this)] {
        if (guard)
            guard->pointProxyBackAfterHelperLoss();
    });
}

void HLLPACUtilWrapper::pointProxyBackAfterHelperLoss()
{
    // Not ours (off, starting, suspended for an upgrade whose resume enables anyway), already
    // being pointed back, or a stop waits for the answer to its disable, which hands the settings
    // back. A stop whose disable this loss failed is not waiting: it has already answered its
    // caller with that failure and left the connection standing, as every failed stop does, so
    // the proxy is pointed back as for any connection.
    if (m_desktopProxy != DesktopProxy::Ours || m_pendingStops > 0)
        return;
    WRAPPER_LOG(Logger::Info, "applyConfig(_:)",
                QStringLiteral("the proxy helper went away while the desktop proxy was ours; pointing it back"));
    setDesktopProxy(DesktopProxy::PointingBack);
    // The reply makes it ours again; a failure rolls back as a failed connect does: the settings
    // restored, the engines ended and the stopped look shown.
    enable([](const std::optional<QString> &error) {
        if (error)
            WRAPPER_LOG(Logger::Info, "applyConfig(_:)",
                        QStringLiteral("the desktop proxy was not pointed back: ") + *error);
    });
}

void HLLPACUtilWrapper::rollBack(const QString &reason, Callback callback)
{
    // Whatever the helper did, hand the user's settings back before the engines go away.
    WRAPPER_LOG(Logger::Info, "applyConfig(_:)", QStringLiteral("connect failed: ") + reason);
    restoreThenStop([reason, callback]() {
        if (callback)
            callback(reason);
    });
}

void HLLPACUtilWrapper::restoreThenStop(std::function<void()> then)
{
    // The engines go even when the helper failed: nothing of ours may keep running for a
    // connection the user no longer has.
    disable([guard = QPointer(this), then = std::move(then)](const std::optional<HelperError> &error) {
        if (!guard)
            return;
        if (error)
            WRAPPER_LOG(Logger::Info, "applyConfig(_:)", notBackLine(*error));
        guard->stopEngines([guard, then]() {
            if (!guard)
                return;
            guard->markStopped();
            then();
        });
    });
}

// ---- stopping ----

void HLLPACUtilWrapper::disable(std::function<void(const std::optional<HelperError> &error)> reply)
{
    ProxyConfigRemoteProcessProtocol *helper = currentHelper();
    if (!helper) {
        if (reply)
            GuiThread::post(this, [reply] { reply(noHelperConnection()); });
        return;
    }
    helper->disableProxyWithFilterInterface(true, std::move(reply));
}

void HLLPACUtilWrapper::stopLocal(Callback callback)
{
    HLLPACUtilWrapper &self = shared();
    // A start still waiting was asked for before this stop: the stop overtakes it.
    self.giveUpWaitingStart();
    ++self.m_pendingStops;
    self.disable([guard = QPointer(&self), callback](const std::optional<HelperError> &error) {
        if (!guard)
            return;
        guard->stopLocalReply(error, [guard, callback](const std::optional<QString> &result) {
            if (!guard)
                return;
            --guard->m_pendingStops;
            if (callback)
                callback(result);
            if (guard && guard->m_pendingStops == 0)
                guard->runWaitingStart();
        });
    });
}

void HLLPACUtilWrapper::suspendSystemProxy(Callback callback)
{
    HLLPACUtilWrapper &self = shared();
    if (!self.proxyIsOurs()) {
        // Already asked for: the caller hears when the helper has answered that request.
        if (self.m_suspendsInFlight > 0) {
            if (callback)
                self.m_suspendWaiters.append(std::move(callback));
            return;
        }
        GuiThread::post(&self, [callback] {
            if (callback)
                callback(std::nullopt);
        });
        return;
    }
    // Recorded before the helper answers: a resume asked for meanwhile, however late the helper
    // is, then sends its enable behind this disable, and the helper applies them in that order.
    self.setDesktopProxy(DesktopProxy::Suspended);
    const quint64 round = ++self.m_suspensionRound;
    ++self.m_suspendsInFlight;
    if (callback)
        self.m_suspendWaiters.append(std::move(callback));
    self.disable([guard = QPointer(&self), round](const std::optional<HelperError> &error) {
        if (!guard)
            return;
        if (error) {
            OSTREL_LOG(Logger::Info, QStringLiteral("proxy suspension: ") + error->text());
            // Only a refusal is known to have left the desktop as it was; after any other failure
            // (silent, gone, a broken connection) the helper may have applied the disable or may
            // still, so the resume must still point it back.
            if (error->isRefusal())
                guard->suspensionRefused(round);
        }
        if (--guard->m_suspendsInFlight > 0)
            return;
        const QList<Callback> waiters = std::exchange(guard->m_suspendWaiters, {});
        for (const Callback &waiter : waiters)
            waiter(textOf(error));
    });
}

void HLLPACUtilWrapper::suspensionRefused(quint64 round)
{
    // A resume, a stop or a newer start since then has decided for itself.
    if (m_desktopProxy != DesktopProxy::Suspended || round != m_suspensionRound)
        return;
    // The desktop proxy still points at our listener, so it is still ours: an engine that ends
    // from now on (or ended while the helper was silent) is a loss like any other, not a
    // listener left dead until the upgrade ends.
    setDesktopProxy(DesktopProxy::Ours);
    if (m_engineDied)
        handleEngineLoss();
}

void HLLPACUtilWrapper::resumeSystemProxy(Callback callback)
{
    HLLPACUtilWrapper &self = shared();
    if (self.m_desktopProxy != DesktopProxy::Suspended) {
        GuiThread::post(&self, [callback] {
            if (callback)
                callback(std::nullopt);
        });
        return;
    }
    self.setDesktopProxy(DesktopProxy::Off);
    if (!self.hasRunningEngine()) {
        // The engines ended meanwhile: nothing to point the proxy at; the stop road tidies up.
        self.restoreThenStop([callback] {
            if (callback)
                callback(QStringLiteral("engine ended while the proxy was suspended"));
        });
        return;
    }
    // Sent even while the suspension is unanswered: a helper that never confirms the enable
    // makes it a failed apply, which ends the connection, so the screen never says connected
    // while the desktop proxy is the user's own.
    self.enable(std::move(callback));
}

void HLLPACUtilWrapper::runWaitingStart()
{
    if (!m_waitingStart)
        return;
    WaitingStart start = std::move(*m_waitingStart);
    m_waitingStart.reset();
    // From the event loop: the stop's caller finishes first.
    GuiThread::post(this, [guard = QPointer(this), start = std::move(start)]() {
        if (guard)
            guard->start(start.what, start.completion);
    });
}

void HLLPACUtilWrapper::giveUpWaitingStart()
{
    if (!m_waitingStart)
        return;
    StartCompletion completion = std::move(m_waitingStart->completion);
    m_waitingStart.reset();
    failStart(std::move(completion));
}

void HLLPACUtilWrapper::stopLocalReply(const std::optional<HelperError> &error, Callback callback)
{
    if (error)
        WRAPPER_LOG(Logger::Info, "stopLocal(_:)", notBackLine(*error));
    // Where the helper failed outright the desktop may still lead to the engines: they stay, and
    // the connection with them. Where it has the restore in hand it gives the desktop back without
    // the engines, which must then be gone, not serving behind a screen that says connected.
    if (error && !error->restoreWaits()) {
        if (callback)
            callback(error->text());
        return;
    }
    // The settings are back, or will be, so nothing is to point at the engines any more: end them,
    // TUN first, so a disconnect really disconnects (waited for in the event loop, never on the
    // window).
    stopEngines([guard = QPointer(this), callback]() {
        if (!guard)
            return;
        guard->markStopped();
        if (callback)
            callback(std::nullopt);
    });
}

void HLLPACUtilWrapper::markStopped()
{
    setDesktopProxy(DesktopProxy::Off);
    defaults().setBool(DefaultsKeys::ShadowsocksOn, false);
    defaults().synchronizeOrLog("the proxy's stop");
    postTunStateChange();
    Q_EMIT proxyStopped();
}

void HLLPACUtilWrapper::stopEngines(std::function<void()> done)
{
    // Bump the generation first: the exits we cause are not losses.
    ++m_generation;
    // The controllers leave their places at once (a new start may fill them) and go once their
    // engines have ended: TUN first, then the SOCKS engine it sends its traffic to.
    HLLSingBox *singBox = m_singBox.release();
    HLLShadowsocks *shadowsocks = m_shadowsocks.release();
    if (singBox)
        singBox->disconnect(this);
    if (shadowsocks)
        shadowsocks->disconnect(this);
    m_stoppingEngines += (singBox ? 1 : 0) + (shadowsocks ? 1 : 0);
    auto stopShadowsocks = [guard = QPointer(this), shadowsocks, done]() {
        if (!shadowsocks) {
            if (guard && done)
                GuiThread::post(guard, done);
            return;
        }
        shadowsocks->stop([guard, shadowsocks, done](int) {
            shadowsocks->deleteLater();
            if (!guard)
                return;
            --guard->m_stoppingEngines;
            if (done)
                done();
        });
    };
    if (!singBox) {
        stopShadowsocks();
        return;
    }
    singBox->stop([guard = QPointer(this), singBox, stopShadowsocks]() {
        singBox->deleteLater();
        if (guard)
            --guard->m_stoppingEngines;
        stopShadowsocks();
    });
}

void HLLPACUtilWrapper::stopEnginesNow()
{
    ++m_generation;
    if (m_singBox) {
        m_singBox->disconnect(this);
        m_singBox->stopAndWait();
        m_singBox.reset();
    }
    if (m_shadowsocks) {
        m_shadowsocks->disconnect(this);
        m_shadowsocks->stopAndWait();
        m_shadowsocks.reset();
    }
}

void HLLPACUtilWrapper::setDesktopProxy(DesktopProxy state)
{
    const bool wasOurs = proxyIsOurs();
    m_desktopProxy = state;
    if (proxyIsOurs() == wasOurs)
        return;
    if (proxyIsOurs())
        ApplicationProxy::pointAt(kLocalPort, proxyIgnoreList());
    else
        ApplicationProxy::restore();
}

bool HLLPACUtilWrapper::hasRunningEngine() const
{
    if (m_stoppingEngines > 0)
        return true;
    if (m_singBox && m_singBox->isRunning())
        return true;
    return m_shadowsocks && m_shadowsocks->isRunning();
}

void HLLPACUtilWrapper::onEngineExited(quint64 generation)
{
    if (generation != m_generation)
        return;
    if (!proxyIsOurs()) {
        // Still starting: the start completion or the helper's reply turns this into a failure.
        // Suspended: the resume, or the helper's refusal of the suspension, takes it up.
        m_engineDied = true;
        return;
    }
    handleEngineLoss();
}

void HLLPACUtilWrapper::handleEngineLoss()
{
    if (killSwitchOn()) {
        // The kill switch: traffic stays pointed at the dead listener and goes nowhere.
        WRAPPER_LOG(Logger::Info, "applyConfig(_:)", QStringLiteral("engine ended; kill switch keeps the proxy"));
        Q_EMIT engineLost(true);
        return;
    }
    WRAPPER_LOG(Logger::Info, "applyConfig(_:)", QStringLiteral("engine ended; restoring the proxy settings"));
    setDesktopProxy(DesktopProxy::Off);
    restoreThenStop([this]() { Q_EMIT engineLost(false); });
}

// ---- the application's ends ----

namespace {

// The start's restore gate's bound, a safety net only: every helper call answers exactly once
// within its connection's bound (a refusal, no answer in time, the connection gone), and that
// answer is what opens the gate, however loaded the machine. The net is the longest road the
// helper's connection knows, a version question and then a command, so that it never decides
// while that road works.
int startRestoreSafetyNetMs()
{
    const PrivilegedHelperManager::Options &road = PrivilegedHelperManager::shared().options();
    return road.versionTimeoutMs + road.callTimeoutMs;
}

} // namespace

void HLLPACUtilWrapper::restoreAfterCrash()
{
    // An engine whose client and guard were both killed outright still holds the local port.
    EngineRecord::stopLeftovers(&shared(), kShutdownWaitMs);
    // Until the helper's restore lands the desktop may still name the dead listener, which the
    // client's road leaves out: a request sent now would go straight, past the user's own proxy.
    // The start's requests to that road wait for the answer, whatever it is and however late
    // within the helper's own bounds: a first screen held a few seconds longer on a loaded
    // machine beats requests gone past the user's proxy.
    StartRestoreGate::hold(startRestoreSafetyNetMs());
    shared().disable([](const std::optional<HelperError> &error) {
        if (error)
            WRAPPER_LOG(Logger::Info, "stopLocal(_:)", QStringLiteral("at the start: ") + notBackLine(*error));
        StartRestoreGate::open();
    });
}

bool HLLPACUtilWrapper::shutdown(int waitMs)
{
    HLLPACUtilWrapper &self = shared();
    // The reply may come after we stopped waiting: it must not touch this frame then.
    struct Wait
    {
        QEventLoop loop;
        bool answered = false;
        bool restored = false;
    };
    auto wait = std::make_shared<Wait>();
    self.disable([wait](const std::optional<HelperError> &error) {
        wait->answered = true;
        wait->restored = !error || error->restoreWaits();
        if (error)
            WRAPPER_LOG(Logger::Info, "stopLocal(_:)", notBackLine(*error));
        wait->loop.quit();
    });
    // The quit road alone may wait on this thread, and only this long: the window is going.
    if (!wait->answered) {
        QTimer::singleShot(waitMs, &wait->loop, &QEventLoop::quit);
        wait->loop.exec();
    }
    self.stopEnginesNow();
    // The engines are gone: whatever the helper answered for the desktop, the client's own last
    // requests go as the system sends them, not to a listener that no longer exists.
    ApplicationProxy::restore();
    if (wait->restored)
        self.markStopped();
    return wait->restored;
}

ProxyConfigRemoteProcessProtocol *HLLPACUtilWrapper::currentHelper() const
{
    if (m_helperForTesting)
        return m_helperForTesting;
    return PrivilegedHelperManager::shared().helper();
}

void HLLPACUtilWrapper::setHelperForTesting(ProxyConfigRemoteProcessProtocol *helper)
{
    shared().m_helperForTesting = helper;
}
