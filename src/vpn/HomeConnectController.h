#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

#include "vpn/ConnectClock.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/OOHomeNodeModel.h"
#include "vpn/ProxyStatus.h"

#include "common/HHUserInfo.h"

class HomeConnectView;
class UserDefaults;

// The connect and disconnect roads of the home screen, without any widget: the home screen owns
// one, implements HomeConnectView for the looks, and forwards its connect area's clicks, the line
// choice and "VPNStop" here. Everything runs on the GUI thread.
//
// Every road ends either in the running look (the engine is up and the desktop proxy points at
// it) or in the paused look with an error toast; an unanswered connect request keeps its loading
// look, as the service may still answer.
class HomeConnectController : public QObject
{
    Q_OBJECT
public:
    // Fixed delays of the roads, in milliseconds.
    static constexpr int kResetDelayMs = 500;       // refused connect -> reset of the connect area
    static constexpr int kNoLineRetryDelayMs = 1500; // connect without a line -> request
    static constexpr int kReconnectDelayMs = 300;   // line change: stop -> new connect
    static constexpr int kReportDelayMs = 1000;     // connection report

    // The connect request's answer as the envelope reader gives it: (result, message, code).
    using Connect2Reply = std::function<void(const std::optional<QJsonObject> &result,
                                             const std::optional<QString> &message,
                                             const std::optional<QString> &code)>;

    // What the roads need of the layers around them. Every member must be given: real() gives
    // the real parts (the endpoint functions, the user table and the engine switchboard,
    // HLLPACUtilWrapper), which a test replaces one by one. A member left empty stops the
    // program at construction, naming it, rather than reaching a process-wide part unasked.
    struct Services
    {
        static Services real();
        // The first member left empty, or nothing when all are given.
        std::optional<QString> firstEmptyMember() const;

        std::function<void(int nodeInfoId, Connect2Reply reply)> connect2;
        std::function<void(const QJsonObject &report)> reportConnectionLog;
        std::function<void(const QString &event)> track;
        // The signed-in user.
        std::function<std::optional<HHUserInfo>()> currentUser;
        // The switchboard: starting the engines, pointing the desktop proxy at them (or rolling
        // back after a failed start), stopping, and registering the local proxy defaults.
        std::function<void(const HLLPACUtilWrapper::EngineStart &what, HLLPACUtilWrapper::StartCompletion done)>
            startEngines;
        std::function<void(bool started, HLLPACUtilWrapper::Callback done)> applySystemProxy;
        std::function<void(HLLPACUtilWrapper::Callback done)> stopLocal;
        std::function<void()> registerLocalDefaults;
        // Has `lost` and `stopped` called, while `context` lives, when an engine ends on its own
        // (with the kill switch's verdict) and when the proxy was stopped, by anyone.
        std::function<void(QObject *context, std::function<void(bool killSwitchHolds)> lost,
                           std::function<void()> stopped)>
            watchEngines;
    };
    HomeConnectController(HomeConnectView &view, QObject *parent, ConnectClock &clock, Services services);
    ~HomeConnectController() override;

    // The home screen's line list in server order; its first line stands in for a chosen line
    // while none is stored.
    void setShowList(const QList<OOHomeNodeModel> &lines);
    // The chosen line: "kProxyLineInfo" decoded, the first listed line when the key is absent.
    std::optional<OOHomeNodeModel> cachedLine() const;

    // Connect road.
    void startConnect();
    void applyRunningMode();
    static ProxyStatus regionDirection(const QString &outRegionCode, const QString &inRegionCode);
    static QString globalAclPath();
    static QString aclFilePath(const QString &outRegionCode, const QString &inRegionCode);
    void reportConnect(int success, int connectFlag);
    // The report as it is sent, or nothing when there is nothing to send. `now` in seconds.
    static std::optional<QJsonObject> buildConnectReport(int success, const QJsonObject &nodeInfo,
                                                         std::optional<int> lineId,
                                                         std::optional<int> childIndex,
                                                         int connectFlag, double startTime,
                                                         double now);

    // Disconnect road.
    void stopConnect();
    void stopProxy(bool toast, std::function<void()> completion = {});

    // Line change: after the line popup stored the new line, stop a running connection and
    // connect again 0.3 s after the stop. A change while disconnected only remembers the line.
    void lineDidChange();
    // The home line table's choice: stores the line under "kProxyLineInfo", then as lineDidChange.
    void changeLine(const OOHomeNodeModel &line);
    // The home line table's selection test: refuses the line already chosen (its `isClickState`,
    // or the line last chosen here) and, through the membership gate, member lines for ordinary
    // users (opening the purchase page); otherwise marks the line chosen (and the previous one no
    // longer), changes the line and answers true, so the table moves its highlight.
    bool selectLineRow(const OOHomeNodeModel &line);
    bool selectLineRow(int row);   // a row of showList()
    // The list as the table shows it, with the chosen line's mark; the line last chosen, if any.
    const QList<OOHomeNodeModel> &showList() const { return m_showList; }
    const std::optional<OOHomeNodeModel> &selectLineMode() const { return m_selectLineMode; }
    // The membership gate of the line choice and the connect answer: a `kind` 1 line for a user
    // whose type is present and not 2 opens the purchase page instead.
    static bool lineNeedsMembership(const OOHomeNodeModel &line,
                                    const std::optional<HHUserInfo> &userInfo);
    // The first engine a connection with these settings needs that is not installed ("sslocal",
    // or "sing-box" with TUN on), or nothing.
    static std::optional<QString> missingEngine(bool tunOn);

    double conStarTime() const { return m_conStarTime; }
    // True from the connect request until the road ends (connected or failed).
    bool isConnecting() const { return m_phase == Phase::Requesting || m_phase == Phase::Starting; }
    bool isConnected() const { return m_phase == Phase::Connected; }

Q_SIGNALS:
    // For observers that are not the view (tests, the left menu): the road's two ends.
    void connectSucceeded();
    void connectFailed(const QString &reason);
    void stopFinished(bool ok);
    // The chosen line ("kProxyLineInfo") was put back by the road: a line change was refused and
    // the line of the last connection is the chosen one again. The line table moves its highlight.
    void chosenLineChanged();

private:
    // The connect road's steps, in order: the request (at once, or after the wait of a connect
    // without a line), its answer, the desktop proxy applied, the running look; or the reset.
    void connectWithoutLine();
    void requestConnect2();
    void handleConnect2Response(const std::optional<QJsonObject> &result,
                                const std::optional<QString> &message,
                                const std::optional<QString> &code, bool isFreeUser,
                                const std::optional<HHUserInfo> &userInfo);
    void proxyApplied(const std::optional<QString> &error);
    void showConnectSuccess();
    void resetConnectState();
    // The disconnect road's end: the stopped look (or the running one again when the restore
    // failed), the toast, the completion.
    void showStopSuccess(const std::optional<QString> &error, bool toast,
                         std::function<void()> completion);
    void pausingStep();
    // The granted connection, in its steps: record the grant, write the engine files for it,
    // record the connection, start the engines.
    void runSuccessSteps(const QJsonObject &result, const QJsonObject &data,
                         const std::optional<HHUserInfo> &userInfo);
    struct Regions
    {
        QString in;
        QString out;
    };
    std::optional<Regions> recordGrant(const QJsonObject &result, const QJsonObject &data);
    std::optional<HLLPACUtilWrapper::EngineStart> writeEngineFiles(const QJsonObject &data, const Regions &regions,
                                                                   const std::optional<HHUserInfo> &userInfo,
                                                                   bool tunOn);
    void recordConnection(const HLLPACUtilWrapper::EngineStart &start);
    void startEngines(const HLLPACUtilWrapper::EngineStart &start);
    static UserDefaults &defaults();
    // `text` is the toast; `reason` (the toast when empty) goes to connectFailed.
    void failConnect(const QString &text, const QString &reason = QString());
    void onEngineLost(bool killSwitchHolds);
    // After a refused line change: the line of the last connection is the chosen one again.
    void restoreConnectedLine();
    void onProxyStopped();
    void sendReportLater(const QJsonObject &report);
    void track(const QString &event);
    // Equal but for the chosen mark.
    static bool sameLine(const OOHomeNodeModel &a, const OOHomeNodeModel &b);
    void markChosen(const OOHomeNodeModel &line, bool chosen);

    // Where the road stands; the looks follow it, this only keeps late answers from acting twice.
    enum class Phase { Idle, Requesting, Starting, Connected };

    HomeConnectView &m_view;
    ConnectClock &m_clock;
    Services m_services;
    QList<OOHomeNodeModel> m_showList;
    std::optional<OOHomeNodeModel> m_selectLineMode;
    double m_conStarTime = 0;
    Phase m_phase = Phase::Idle;
    quint64 m_attempt = 0;           // answers of an earlier connect attempt are dropped
    bool m_lineChangePending = false;
    bool m_stopping = false;          // our own stop is waiting for the helper
    bool m_tunOn = false;             // the TUN switch as this connection read it
    // "kProxyLineInfo" as the pending request read it, and as the last connection used it.
    std::optional<QString> m_requestedLineText;
    std::optional<QString> m_connectedLineText;
    bool m_hasConnectedLine = false;
    bool m_restoreLineOnRefusal = false; // this connect is a line change away from a connection
};
