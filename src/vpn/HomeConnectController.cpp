#include "vpn/HomeConnectController.h"

#include "vpn/EngineInstaller.h"
#include "vpn/EngineSetup.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/JsonUtils.h"
#include "common/Localization.h"
#include "common/Logger.h"
#include "common/MKUserTable.h"
#include "common/UserDefaults.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "vpn/DnsServers.h"
#include "vpn/HLLConnection.h"
#include "vpn/ProxyMode.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HomeConnectView.h"
#include "vpn/VpnLog.h"

namespace {

const QString kNoLineText = QStringLiteral("请连接线路");

bool isChinaCode(const QString &code)
{
    return code.startsWith(QStringLiteral("CN"));
}

QString messageOf(const QJsonObject &result)
{
    return result.value(QStringLiteral("message")).toString();
}

QString resourceAcl(const QString &name)
{
    const QString path = AppPaths::resourcePath(QStringLiteral("acl/") + name);
    if (QFileInfo::exists(path))
        return path;
    qCWarning(lcVpn) << "access-control list missing from the resources:" << name;
    return QString();
}

} // namespace

HomeConnectController::Services HomeConnectController::Services::real()
{
    Services services;
    services.connect2 = [](int nodeInfoId, Connect2Reply reply) {
        OONetWorkTool::connect2(nodeInfoId, [reply = std::move(reply)](
                                                std::optional<QJsonObject> result,
                                                std::optional<QString> message,
                                                std::optional<QString> code) {
            reply(result, message, code);
        });
    };
    services.reportConnectionLog = [](const QJsonObject &report) {
        OONetWorkTool::reportConnectionLog(report, [](std::optional<QJsonObject>,
                                                      std::optional<NetError> error) {
            if (error)
                qCDebug(lcVpn) << "connection report failed";
            else
                qCDebug(lcVpn) << "connection report sent";
        });
    };
    services.track = [](const QString &event) { XSAnalyticsManager::shared().track(event); };
    services.currentUser = [] { return MKUserTable().queryUser(); };
    services.startEngines = [](const HLLPACUtilWrapper::EngineStart &what, HLLPACUtilWrapper::StartCompletion done) {
        HLLPACUtilWrapper::shared().start(what, std::move(done));
    };
    services.applySystemProxy = &HLLPACUtilWrapper::applySystemProxy;
    services.stopLocal = &HLLPACUtilWrapper::stopLocal;
    services.registerLocalDefaults = &HLLPACUtilWrapper::configLocal;
    services.watchEngines = [](QObject *context, std::function<void(bool)> lost, std::function<void()> stopped) {
        QObject::connect(&HLLPACUtilWrapper::shared(), &HLLPACUtilWrapper::engineLost, context, std::move(lost));
        QObject::connect(&HLLPACUtilWrapper::shared(), &HLLPACUtilWrapper::proxyStopped, context, std::move(stopped));
    };
    return services;
}

std::optional<QString> HomeConnectController::Services::firstEmptyMember() const
{
    const std::pair<bool, const char *> members[] = {
        {bool(connect2), "connect2"},
        {bool(reportConnectionLog), "reportConnectionLog"},
        {bool(track), "track"},
        {bool(currentUser), "currentUser"},
        {bool(startEngines), "startEngines"},
        {bool(applySystemProxy), "applySystemProxy"},
        {bool(stopLocal), "stopLocal"},
        {bool(registerLocalDefaults), "registerLocalDefaults"},
        {bool(watchEngines), "watchEngines"},
    };
    for (const auto &[given, name] : members) {
        if (!given)
            return QString::fromLatin1(name);
    }
    return std::nullopt;
}

namespace {

// A road with a missing part would fail at its first use, long after the mistake: stop here.
HomeConnectController::Services checked(HomeConnectController::Services services)
{
    if (const std::optional<QString> missing = services.firstEmptyMember()) {
        qFatal("HomeConnectController: Services::%s was left empty (Services::real() gives the real parts)",
               qPrintable(*missing));
    }
    return services;
}

} // namespace

HomeConnectController::HomeConnectController(HomeConnectView &view, QObject *parent,
                                             ConnectClock &clock, Services services)
    : QObject(parent), m_view(view), m_clock(clock), m_services(checked(std::move(services)))
{
    m_services.watchEngines(
        this, [this](bool killSwitchHolds) { onEngineLost(killSwitchHolds); }, [this] { onProxyStopped(); });
}

UserDefaults &HomeConnectController::defaults()
{
    return UserDefaults::standard();
}

HomeConnectController::~HomeConnectController() = default;

void HomeConnectController::setShowList(const QList<OOHomeNodeModel> &lines)
{
    m_showList = lines;
    // The line chosen earlier keeps its mark in a fresh list.
    if (m_selectLineMode)
        markChosen(*m_selectLineMode, true);
}

std::optional<OOHomeNodeModel> HomeConnectController::cachedLine() const
{
    return OOHomeNodeModel::cachedLine(m_showList);
}

// ---- connect road ----

void HomeConnectController::startConnect()
{
    qCDebug(lcVpn) << "startConnect";
    if (!cachedLine()) {
        connectWithoutLine();
        return;
    }
    m_conStarTime = m_clock.now();
    m_view.showLoading();
    qCDebug(lcVpn) << "加载中";
    requestConnect2();
    track(isProxyModeOn() ? QStringLiteral("homePage_globalMode_connect")
                          : QStringLiteral("homePage_appMode_connect"));
}

void HomeConnectController::connectWithoutLine()
{
    m_view.showPausing();
    qCDebug(lcVpn) << "暂停中";
    stopProxy(false);
    m_view.showLoading();
    qCDebug(lcVpn) << "加载中";
    // This road keeps no start time, so its connection sends no report; and an earlier press's
    // time must not give it one with a wait that was never this connect's.
    m_conStarTime = 0;
    m_clock.after(kNoLineRetryDelayMs, this, [guard = QPointer(this)]() {
        if (guard)
            guard->requestConnect2();
    });
}

void HomeConnectController::requestConnect2()
{
    const std::optional<HHUserInfo> userInfo = m_services.currentUser();
    if (!userInfo || !userInfo->user || !userInfo->user->apiToken) {
        // Without a signed-in user no request can be made: say so instead of spinning forever.
        failConnect(localizedByAppLanguage(QStringLiteral("HOME_PROXY_SIGN_IN_FIRST")));
        return;
    }
    const auto line = cachedLine();
    const int nodeInfoId = line ? line->id.value_or(0) : -1;
    const bool isFreeUser = userInfo->user->userLevel && *userInfo->user->userLevel == 0;
    const quint64 attempt = ++m_attempt;
    m_phase = Phase::Requesting;
    m_requestedLineText = defaults().stringValue(DefaultsKeys::kProxyLineInfo);
    m_services.connect2(nodeInfoId, [guard = QPointer(this), attempt, isFreeUser, userInfo](
                                            const std::optional<QJsonObject> &result,
                                            const std::optional<QString> &message,
                                            const std::optional<QString> &code) {
        if (!guard || guard->m_attempt != attempt)
            return;
        guard->handleConnect2Response(result, message, code, isFreeUser, userInfo);
    });
}

void HomeConnectController::handleConnect2Response(const std::optional<QJsonObject> &result,
                                                   const std::optional<QString> &message,
                                                   const std::optional<QString> &code,
                                                   bool isFreeUser,
                                                   const std::optional<HHUserInfo> &userInfo)
{
    if (message) {
        // The service refused the line: a line change away from a running connection falls back
        // to the line that was in use, so the table does not show the refused one as chosen.
        if (code && !code->isEmpty())
            restoreConnectedLine();
        if (code && *code == QLatin1String("C5000")) {
            if (isFreeUser)
                m_view.presentFreePage();
            else
                m_view.openUpgradePage();
        }
        failConnect(*message);
        return;
    }
    if (!result) {
        failConnect(kNoLineText);
        return;
    }
    const auto success = JsonUtils::intValue(result->value(QStringLiteral("success")));
    if (!success || *success == 0) {
        failConnect(messageOf(*result));
        return;
    }
    const QJsonValue data = result->value(QStringLiteral("data"));
    if (!data.isObject()) {
        failConnect(messageOf(*result));
        return;
    }
    const auto line = cachedLine();
    if (line && lineNeedsMembership(*line, userInfo)) {
        restoreConnectedLine();
        m_restoreLineOnRefusal = false;
        m_view.openUpgradePage();
        m_phase = Phase::Idle;
        pausingStep();
        return;
    }
    runSuccessSteps(*result, data.toObject(), userInfo);
}

void HomeConnectController::runSuccessSteps(const QJsonObject &result, const QJsonObject &data,
                                            const std::optional<HHUserInfo> &userInfo)
{
    const std::optional<Regions> regions = recordGrant(result, data);
    if (!regions)
        return;
    // One reading of the TUN switch for the whole connection, so that the files, the engines and
    // the desktop proxy never disagree when the switch moves meanwhile.
    const bool tunOn = isTunStateOn();
    const std::optional<HLLPACUtilWrapper::EngineStart> start = writeEngineFiles(data, *regions, userInfo, tunOn);
    if (!start)
        return;
    recordConnection(*start);
    startEngines(*start);
}

std::optional<HomeConnectController::Regions> HomeConnectController::recordGrant(const QJsonObject &result,
                                                                                const QJsonObject &data)
{
    defaults().setDictionary(DefaultsKeys::kNodeInfo, data);
    const QJsonValue inValue = data.value(QStringLiteral("in_region_code"));
    const QJsonValue outValue = data.value(QStringLiteral("out_region_code"));
    const QJsonValue inName = data.value(QStringLiteral("in_region_name"));
    if (!inValue.isString() || !outValue.isString() || !inName.isString()) {
        failConnect(messageOf(result));
        return std::nullopt;
    }
    applyRunningMode();
    return Regions{inValue.toString(), outValue.toString()};
}

std::optional<HLLPACUtilWrapper::EngineStart> HomeConnectController::writeEngineFiles(
    const QJsonObject &data, const Regions &regions, const std::optional<HHUserInfo> &userInfo, bool tunOn)
{
    HLLConnection connection;
    connection.local_dns = isChinaCode(regions.in) ? DnsServers::kDomestic : DnsServers::kPublic;
    defaults().setString(DefaultsKeys::kLocalDnsServerAddress, *connection.local_dns);
    connection.remote_dns = isChinaCode(regions.out) ? DnsServers::kDomestic : DnsServers::kPublic;
    connection.proxystatus = regionDirection(regions.out, regions.in);
    const MKUser *user = userInfo && userInfo->user ? &*userInfo->user : nullptr;
    connection.userId = QString::number(user && user->id ? *user->id : 0);
    connection.tunOn = tunOn;
    connection.globalMode = isProxyModeOn();
    connection.sessionId = userInfo && userInfo->proxySessionId ? *userInfo->proxySessionId : QString();
    connection.proxy_session_token = data.value(QStringLiteral("proxy_session_token")).toString();
    connection.aclPath = aclFilePath(regions.out, regions.in);
    const HLLConnection::FilesResult written = connection.setValuesForKeysWithDictionary(data);
    if (!written.ok) {
        // Nothing is started: the engines would read the previous connection's files. The user
        // is told why (a full disk), since trying again will not help until that changes.
        OSTREL_LOG(Logger::Warning, QStringLiteral("connect failed: ") + written.error);
        const QString text = localizedByAppLanguage(QStringLiteral("HOME_ENGINE_FILES_NOT_WRITTEN"));
        failConnect(text.contains(QLatin1String("%1")) ? text.arg(written.error) : text + QStringLiteral(": ") + written.error,
                    written.error);
        return std::nullopt;
    }
    return HLLPACUtilWrapper::EngineStart{HLLConnection::sslocalConfigPath(), tunOn};
}

void HomeConnectController::recordConnection(const HLLPACUtilWrapper::EngineStart &start)
{
    UserDefaults &store = defaults();
    store.setBool(DefaultsKeys::kProxyConnected, true);
    // Kept for the stored files that read it; the engines start from `start` itself.
    store.setDictionary(DefaultsKeys::VPNInfo, QJsonObject{{QStringLiteral("configPath"), start.configPath}});
    store.synchronizeOrLog("recording the connection");
}

void HomeConnectController::startEngines(const HLLPACUtilWrapper::EngineStart &start)
{
    if (!start.tunOn)
        m_services.registerLocalDefaults();
    m_phase = Phase::Starting;
    m_tunOn = start.tunOn;
    const quint64 attempt = m_attempt;
    // The proxy is applied (or the start rolled back) even when the home screen went meanwhile.
    m_services.startEngines(start, [guard = QPointer(this), attempt, apply = m_services.applySystemProxy](bool ok) {
        apply(ok, [guard, attempt](const std::optional<QString> &error) {
            if (!guard || guard->m_attempt != attempt)
                return;
            guard->proxyApplied(error);
        });
    });
}

void HomeConnectController::applyRunningMode()
{
    UserDefaults &store = defaults();
    const auto mode = store.integerValue(DefaultsKeys::kProxyMode);
    const bool global = mode && *mode != 0;
    store.setString(DefaultsKeys::ShadowsocksRunningMode,
                    global ? QStringLiteral("global") : QStringLiteral("auto"));
    store.setString(DefaultsKeys::mac_proxy_pac,
                    global ? QStringLiteral("global.acl") : QStringLiteral("gfwlist_d2o.acl"));
    store.synchronizeOrLog("recording the running mode");
}

ProxyStatus HomeConnectController::regionDirection(const QString &outRegionCode,
                                                   const QString &inRegionCode)
{
    return proxyStatusForRegions(inRegionCode, outRegionCode);
}

QString HomeConnectController::globalAclPath()
{
    const QString own = AppPaths::privateFolder() + QStringLiteral("/global.acl");
    if (QFileInfo::exists(own))
        return own;
    return resourceAcl(QStringLiteral("global.acl"));
}

QString HomeConnectController::aclFilePath(const QString &outRegionCode,
                                           const QString &inRegionCode)
{
    if (isProxyModeOn())
        return globalAclPath();
    const bool outCN = isChinaCode(outRegionCode);
    const bool inCN = isChinaCode(inRegionCode);
    if (outCN && !inCN) {
        qCDebug(lcVpn) << "acl type : 国外 -> 国内";
        // The route-file update installs this list in our own private folder; a list left in the
        // older second folder by an earlier program still counts when ours has none.
        const QString own = AppPaths::privateFolder() + QStringLiteral("/gfwlist_otd.acl");
        if (QFileInfo::exists(own))
            return own;
        const QString older = AppPaths::olderPrivateFolder() + QStringLiteral("/gfwlist_otd.acl");
        if (QFileInfo::exists(older))
            return older;
        return resourceAcl(QStringLiteral("gfwlist_o2d.acl"));
    }
    if (!outCN && inCN) {
        qCDebug(lcVpn) << "acl type : 国内 -> 国外";
        const QString own = AppPaths::privateFolder() + QStringLiteral("/gfwlist.acl");
        if (QFileInfo::exists(own))
            return own;
        return resourceAcl(QStringLiteral("gfwlist_d2o.acl"));
    }
    return globalAclPath();
}

void HomeConnectController::proxyApplied(const std::optional<QString> &error)
{
    // A second start line of the same engine applies the proxy again; the road ends only once.
    if (m_phase != Phase::Starting)
        return;
    if (error) {
        // The reason is for the log (it is technical and not localised); the user is told that
        // the connection failed.
        OSTREL_LOG(Logger::Info, QStringLiteral("connect failed: ") + *error);
        defaults().setBool(DefaultsKeys::kProxyConnected, false);
        defaults().synchronizeOrLog("the failed connect");
        // "Try again" would never help while an engine the settings ask for is not there.
        if (const std::optional<QString> missing = missingEngine(m_tunOn)) {
            const QString text = localizedByAppLanguage(QStringLiteral("HOME_ENGINE_NOT_INSTALLED"));
            failConnect(text.contains(QLatin1String("%1")) ? text.arg(*missing) : text + QStringLiteral(": ") + *missing,
                        *error);
            return;
        }
        failConnect(localizedByAppLanguage(QStringLiteral("HOME_PROXY_CONNECT_FAILED")), *error);
        return;
    }
    m_phase = Phase::Connected;
    showConnectSuccess();
}

std::optional<QString> HomeConnectController::missingEngine(bool tunOn)
{
    const EngineSetup setup = EngineSetup::standard();
    if (!EngineInstaller(EngineInstaller::Engine::SSLocal, setup).isEngineUsable())
        return QStringLiteral("sslocal");
    if (tunOn && !EngineInstaller(EngineInstaller::Engine::SingBox, setup).isEngineUsable())
        return QStringLiteral("sing-box");
    return std::nullopt;
}

void HomeConnectController::restoreConnectedLine()
{
    if (!m_restoreLineOnRefusal || !m_hasConnectedLine)
        return;
    m_restoreLineOnRefusal = false;
    UserDefaults &store = defaults();
    if (m_connectedLineText)
        store.setString(DefaultsKeys::kProxyLineInfo, *m_connectedLineText);
    else
        store.remove(DefaultsKeys::kProxyLineInfo);
    store.synchronizeOrLog("restoring the connected line");
    // The chosen mark goes back with the line, so the refused line can be chosen again.
    if (m_selectLineMode)
        markChosen(*m_selectLineMode, false);
    m_selectLineMode.reset();
    if (m_connectedLineText) {
        if (std::optional<OOHomeNodeModel> connected = OOHomeNodeModel::fromJsonText(*m_connectedLineText)) {
            connected->isClickState = true;
            m_selectLineMode = connected;
            markChosen(*connected, true);
        }
    }
    Q_EMIT chosenLineChanged();
}

void HomeConnectController::showConnectSuccess()
{
    m_connectedLineText = m_requestedLineText;
    m_hasConnectedLine = true;
    m_restoreLineOnRefusal = false;
    reportConnect(1, 0);
    qCDebug(lcVpn) << "运行中";
    m_view.showRunning();
    m_view.showSuccessToast(localizedByAppLanguage(QStringLiteral("HOME_PROXY_CONNECT_SUCCESS")));
    Q_EMIT connectSucceeded();
    if (m_lineChangePending) {
        // The line changed while this connection was being made: move to the new one now.
        m_lineChangePending = false;
        lineDidChange();
    }
}

void HomeConnectController::resetConnectState()
{
    m_view.showStopped();
    qCDebug(lcVpn) << "已暂停";
}

void HomeConnectController::pausingStep()
{
    m_view.showPausing();
    qCDebug(lcVpn) << "暂停中";
    m_clock.after(kResetDelayMs, this, [guard = QPointer(this)]() {
        if (guard)
            guard->resetConnectState();
    });
}

void HomeConnectController::failConnect(const QString &text, const QString &reason)
{
    m_restoreLineOnRefusal = false;
    m_phase = Phase::Idle;
    m_lineChangePending = false;
    pausingStep();
    m_view.showErrorToast(text);
    Q_EMIT connectFailed(reason.isEmpty() ? text : reason);
}

void HomeConnectController::reportConnect(int success, int connectFlag)
{
    const auto nodeInfo = defaults().dictionaryValue(DefaultsKeys::kNodeInfo);
    if (!nodeInfo)
        return;
    const auto userInfo = m_services.currentUser();
    if (!userInfo || !userInfo->user || !userInfo->user->apiToken)
        return;
    const auto line = cachedLine();
    const std::optional<int> lineId = line ? line->id : std::nullopt;
    const std::optional<int> childIndex = line ? line->childIndex : std::nullopt;
    const auto report = buildConnectReport(success, *nodeInfo, lineId, childIndex, connectFlag,
                                           m_conStarTime, m_clock.now());
    if (report)
        sendReportLater(*report);
}

std::optional<QJsonObject> HomeConnectController::buildConnectReport(
    int success, const QJsonObject &nodeInfo, std::optional<int> lineId,
    std::optional<int> childIndex, int connectFlag, double startTime, double now)
{
    if (startTime == 0 && connectFlag == 0)
        return std::nullopt;
    QJsonObject report;
    report.insert(QStringLiteral("line_id"), lineId ? QString::number(*lineId) : QString());
    report.insert(QStringLiteral("success"), success);
    report.insert(QStringLiteral("wait_time"), connectFlag == 1 ? 0.0 : (now - startTime) * 1000.0);
    report.insert(QStringLiteral("connect_method"), 2);
    report.insert(QStringLiteral("is_connect"), connectFlag);
    if (childIndex)
        report.insert(QStringLiteral("child_index"), *childIndex);
    const QJsonValue token = nodeInfo.value(QStringLiteral("proxy_session_token"));
    if (token.isString())
        report.insert(QStringLiteral("proxy_session_token"), token.toString());

    QJsonArray entries;
    for (const QJsonValue &node : nodeInfo.value(QStringLiteral("node_list")).toArray()) {
        const QJsonObject entry = node.toObject();
        const QJsonValue id = entry.value(QStringLiteral("id"));
        if (!id.isString())
            continue;
        int connectType = 1;
        const QJsonValue plugin = entry.value(QStringLiteral("plugin_status"));
        if (plugin.isString() && plugin.toString() == QLatin1String("1"))
            connectType = entry.value(QStringLiteral("plugin_domain")).isString() ? 4 : 2;
        QJsonObject kept;
        kept.insert(QStringLiteral("node_id"), id);
        kept.insert(QStringLiteral("idx"), int(entries.size()));
        kept.insert(QStringLiteral("connect_type"), connectType);
        entries.append(kept);
    }
    if (!entries.isEmpty()) {
        report.insert(QStringLiteral("node_content"),
                      QString::fromUtf8(QJsonDocument(entries).toJson(QJsonDocument::Compact)));
    }
    return report;
}

void HomeConnectController::sendReportLater(const QJsonObject &report)
{
    // The session token is a secret: the printed copy leaves it out.
    QJsonObject printed = report;
    printed.remove(QStringLiteral("proxy_session_token"));
    qCDebug(lcVpn).noquote() << "connection report"
                       << QString::fromUtf8(QJsonDocument(printed).toJson(QJsonDocument::Compact));
    m_clock.after(kReportDelayMs, this, [guard = QPointer(this), report]() {
        if (guard && guard->m_services.reportConnectionLog)
            guard->m_services.reportConnectionLog(report);
    });
}

// ---- disconnect road ----

void HomeConnectController::stopConnect()
{
    track(isProxyModeOn() ? QStringLiteral("homePage_globalMode_disConnect")
                          : QStringLiteral("homePage_appMode_disConnect"));
    stopProxy(true);
}

void HomeConnectController::stopProxy(bool toast, std::function<void()> completion)
{
    if (!defaults().boolValue(DefaultsKeys::ShadowsocksOn).value_or(false))
        return;
    m_view.showPausing();
    qCDebug(lcVpn) << "暂停中";
    m_stopping = true;
    m_services.stopLocal(
        [guard = QPointer(this), toast, completion = std::move(completion)](
            const std::optional<QString> &error) {
            if (!guard)
                return;
            guard->m_stopping = false;
            guard->showStopSuccess(error, toast, completion);
        });
}

void HomeConnectController::showStopSuccess(const std::optional<QString> &error, bool toast,
                                            std::function<void()> completion)
{
    if (error) {
        // The desktop proxy may still point at the engine, which keeps running: the connection is
        // still up, so say that the stop failed instead of showing a stopped look.
        m_restoreLineOnRefusal = false;
        m_view.showRunning();
        m_view.showErrorToast(localizedByAppLanguage(QStringLiteral("HOME_STOP_PROXY_FAILED")));
        Q_EMIT stopFinished(false);
        return;
    }
    m_phase = Phase::Idle;
    reportConnect(1, 1);
    m_view.showStopped();
    qCDebug(lcVpn) << "已暂停";
    m_view.updateConnectedTime(false);
    if (toast)
        m_view.showSuccessToast(localizedByAppLanguage(QStringLiteral("HOME_STOP_PROXY_SUCCESS")));
    defaults().setBool(DefaultsKeys::kProxyConnected, false);
    defaults().synchronizeOrLog("the proxy's stop");
    Q_EMIT stopFinished(true);
    if (completion)
        completion();
}

void HomeConnectController::lineDidChange()
{
    // Changing away from a connection: a refusal of the new line brings the old one back.
    if (m_phase == Phase::Connected)
        m_restoreLineOnRefusal = true;
    if (m_phase == Phase::Requesting || m_phase == Phase::Starting) {
        // "ShadowsocksOn" is still false while a connection is being made, so a stop would do
        // nothing and the connection would come up on the old line.
        m_lineChangePending = true;
        return;
    }
    const bool on = defaults().boolValue(DefaultsKeys::ShadowsocksOn).value_or(false);
    stopProxy(on, [guard = QPointer(this)]() {
        if (!guard)
            return;
        guard->m_clock.after(kReconnectDelayMs, guard, [guard]() {
            if (guard)
                guard->startConnect();
        });
    });
}

void HomeConnectController::changeLine(const OOHomeNodeModel &line)
{
    // Unsaved, the line still holds for this run; the next start falls back to the first line.
    if (!line.storeAsProxyLine())
        qCWarning(lcVpn) << "the chosen line could not be saved";
    lineDidChange();
    track(QStringLiteral("homePage_selectMode_click"));
}

bool HomeConnectController::selectLineRow(int row)
{
    if (row < 0 || row >= m_showList.size())
        return false;
    const OOHomeNodeModel line = m_showList.at(row);
    return selectLineRow(line);
}

bool HomeConnectController::selectLineRow(const OOHomeNodeModel &line)
{
    if (line.isClickState || (m_selectLineMode && sameLine(*m_selectLineMode, line)))
        return false;
    if (lineNeedsMembership(line, m_services.currentUser())) {
        m_view.openUpgradePage();
        return false;
    }
    // The mark moves before the road does, so a second click on the same line is refused even
    // while the old connection is still being stopped.
    if (m_selectLineMode)
        markChosen(*m_selectLineMode, false);
    m_selectLineMode = line;
    m_selectLineMode->isClickState = true;
    markChosen(line, true);
    changeLine(*m_selectLineMode);
    return true;
}

bool HomeConnectController::sameLine(const OOHomeNodeModel &a, const OOHomeNodeModel &b)
{
    OOHomeNodeModel left = a;
    OOHomeNodeModel right = b;
    left.isClickState = right.isClickState = false;
    return left == right;
}

void HomeConnectController::markChosen(const OOHomeNodeModel &line, bool chosen)
{
    for (OOHomeNodeModel &row : m_showList) {
        if (sameLine(row, line))
            row.isClickState = chosen;
        for (OOHomeNodeModel &child : row.childLines) {
            if (sameLine(child, line))
                child.isClickState = chosen;
        }
    }
}

bool HomeConnectController::lineNeedsMembership(const OOHomeNodeModel &line,
                                                const std::optional<HHUserInfo> &userInfo)
{
    if (!userInfo || !userInfo->user || !userInfo->user->userType)
        return false;
    return *userInfo->user->userType != 2 && line.kind && *line.kind == 1;
}

void HomeConnectController::onEngineLost(bool killSwitchHolds)
{
    // Without the kill switch the settings were restored first, and onProxyStopped showed it.
    if (m_phase == Phase::Connected && killSwitchHolds)
        m_view.showKillSwitch();
}

void HomeConnectController::onProxyStopped()
{
    // Our own stop ends in showStopSuccess; this is a stop made elsewhere (the engine ended,
    // sign-out, the account alert) while the connected look was up.
    if (m_phase != Phase::Connected || m_stopping)
        return;
    m_phase = Phase::Idle;
    m_view.showStopped();
    m_view.updateConnectedTime(false);
    defaults().setBool(DefaultsKeys::kProxyConnected, false);
    defaults().synchronizeOrLog("the proxy's stop");
    Q_EMIT stopFinished(true);
}

void HomeConnectController::track(const QString &event)
{
    if (m_services.track)
        m_services.track(event);
}
