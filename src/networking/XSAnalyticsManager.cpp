#include "networking/XSAnalyticsManager.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QNetworkProxy>

#include "common/ApiPaths.h"
#include "common/GuiThread.h"
#include "common/MKUserTable.h"
#include "common/ProcessTeardown.h"
#include "common/WorkerThread.h"
#include "networking/AnalyticsUploader.h"
#include "networking/ApplicationProxy.h"
#include "networking/NetworkLog.h"
#include "networking/OONetParamManager.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "networking/StartRestoreGate.h"

namespace {

QJsonObject userFields()
{
    QJsonObject fields;
    const std::optional<HHUserInfo> info = MKUserTable().queryUser();
    if (!info || !info->user)
        return fields;
    const MKUser &user = *info->user;
    if (user.id)
        fields.insert(QStringLiteral("user_id"), *user.id);
    if (user.userType)
        fields.insert(QStringLiteral("user_type"), *user.userType);
    if (user.userLevel)
        fields.insert(QStringLiteral("user_level"), *user.userLevel);
    if (user.username)
        fields.insert(QStringLiteral("username"), *user.username);
    if (user.isVisitor)
        fields.insert(QStringLiteral("is_visitor"), *user.isVisitor);
    return fields;
}

// The proxy Qt gives the client's own request to `target` (the application's proxy, else the
// system's configuration: environment, desktop settings), as the client's network manager picks
// it; nothing when none of those offered can carry the request. Asked here on the GUI thread, where
// they are made, never on the worker; the client's factory answers at once, from the system's last
// answer (SystemRoute).
std::optional<QNetworkProxy> proxyFor(const QUrl &target)
{
    // The first proxy that can carry the request, as Qt's own HTTP layer takes it: one that
    // passes the connection through (none, SOCKS5, an HTTP proxy that tunnels), or, for a
    // request in the clear, a caching HTTP proxy.
    const bool encrypted = target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    const QList<QNetworkProxy> offered = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(target));
    for (const QNetworkProxy &proxy : offered) {
        if (proxy.isTransparentProxy() || (!encrypted && proxy.type() == QNetworkProxy::HttpCachingProxy))
            return proxy;
    }
    return std::nullopt;
}

// The event sealed for the wire: the envelope, the signed headers and the road the client's
// own requests take to the service; nothing when the parameter key is not configured or no
// proxy offered can carry the request.
std::optional<AnalyticsUpload> seal(const QString &event, const QJsonObject &record, const QUrl &target)
{
    const OONetParamManager &params = OONetParamManager::shared();
    const std::optional<QJsonObject> envelope = params.encryptParameters(record);
    if (!envelope)
        return std::nullopt;
    const std::optional<QNetworkProxy> proxy = proxyFor(target);
    if (!proxy) {
        qCDebug(lcNetwork) << "analytics" << event << "dropped: no proxy offered can carry it";
        return std::nullopt;
    }
    const OONetWork &network = OONetWork::shared();
    AnalyticsUpload upload{
        .event = event,
        .target = target,
        .headers = {}, // signed below, over the envelope
        .body = QJsonDocument(*envelope).toJson(QJsonDocument::Compact),
        .proxy = *proxy,
        .timeoutMs = network.requestTimeoutMs(),
        .deadlineMs = network.requestDeadlineMs(),
    };
    const HeaderMap headers = params.buildCommonHeaders({}, false, envelope);
    for (auto it = headers.constBegin(); it != headers.constEnd(); ++it)
        upload.headers.append({it.key().toUtf8(), it.value().toUtf8()});
    return upload;
}

} // namespace

XSAnalyticsManager::XSAnalyticsManager(QObject *parent)
    : QObject(parent)
    , m_worker(std::make_unique<WorkerThread>(QStringLiteral("analytics")))
{
    ProcessTeardown::add(this, [this] { stopWorker(); });
    // Qt's road changes as the client connects and disconnects (the application's proxy): the
    // uploads that have not left yet take the new one.
    connect(&ApplicationProxy::shared(), &ApplicationProxy::changed, this, [this] { roadChanged(); });
}

XSAnalyticsManager::~XSAnalyticsManager()
{
    stopWorker();
}

void XSAnalyticsManager::stopWorker()
{
    // Events still queued to the worker are dropped there. The uploader goes on its own thread,
    // and with it every upload under way (their lookups and requests); each of its network
    // managers (one for each road in use) ends the manager's own thread. The join then waits for
    // the worker's whole end, its thread-exit clean-up included: nothing of the worker runs once
    // this returns. The managers' threads are Qt's, waited for but not joined, and their own
    // thread-exit clean-up may still be running (ProcessTeardown::keepOpenSslToTheEnd()).
    m_worker->stop([this] { m_uploader.reset(); });
}

XSAnalyticsManager &XSAnalyticsManager::shared()
{
    static XSAnalyticsManager *instance = GuiThread::adopt(new XSAnalyticsManager());
    return *instance;
}

QJsonObject XSAnalyticsManager::buildEvent(const QString &event, const std::optional<QString> &url,
                                           const std::optional<QString> &dataId, const std::optional<QJsonObject> &params)
{
    QJsonObject record{{QStringLiteral("event"), event},
                       {QStringLiteral("event_time"), QDateTime::currentMSecsSinceEpoch()}};
    if (url)
        record.insert(QStringLiteral("url"), *url);
    if (dataId)
        record.insert(QStringLiteral("data_id"), *dataId);
    if (params)
        record.insert(QStringLiteral("params"), *params);
    const QJsonObject user = userFields();
    for (auto it = user.constBegin(); it != user.constEnd(); ++it)
        record.insert(it.key(), it.value());
    return OONetParamManager::shared().mergeAppInfoParameters(record);
}

void XSAnalyticsManager::track(const QString &event, const std::optional<QString> &url,
                               const std::optional<QString> &dataId, const std::optional<QJsonObject> &params)
{
    if (!m_worker->isRunning())
        return; // the program is ending
    // Everything that reads the program's shared objects (the user, the settings, the current
    // domain, the keys, the proxy configuration) happens here, on the GUI thread; the worker only
    // sends bytes.
    const QUrl target(OONetWorkTool::apiUrl(ApiPaths::kActionTrack));
    if (!OONetWork::isAllowedUrl(target)) {
        announce(event, false);
        return;
    }
    send(event, buildEvent(event, url, dataId, params), target);
}

void XSAnalyticsManager::send(const QString &event, const QJsonObject &record, const QUrl &target)
{
    // At the start the event waits, with the time it happened, while the desktop still names the
    // listener a killed run left there: it is sealed with the road the restore brings back.
    if (!m_worker->isRunning())
        return; // the program is ending
    if (StartRestoreGate::deferWhileRestoring(this, target, [=, this] { send(event, record, target); }))
        return;
    const std::optional<AnalyticsUpload> upload = seal(event, record, target);
    if (!upload) {
        announce(event, false);
        return;
    }
    m_worker->post([this, upload = *upload] {
        if (!m_worker->isRunning())
            return; // stopping: what was still queued is dropped
        if (!m_uploader)
            m_uploader = std::make_unique<AnalyticsUploader>();
        m_uploader->send(upload, [this](const QString &name, bool delivered) { announce(name, delivered); });
    });
}

void XSAnalyticsManager::roadChanged()
{
    if (!m_worker->isRunning())
        return; // the program is ending
    // Asked here, on the GUI thread, as each event is sealed: the road the service's address
    // takes now, which an event sealed for an address of the service's since replaced takes too.
    // The worker gets it behind the events tracked before the change.
    const QUrl target(OONetWorkTool::apiUrl(ApiPaths::kActionTrack));
    const std::optional<QNetworkProxy> road = OONetWork::isAllowedUrl(target) ? proxyFor(target) : std::nullopt;
    m_worker->post([this, road] {
        if (m_uploader)
            m_uploader->changeRoad(road);
    });
}

void XSAnalyticsManager::runOnWorkerForTesting(std::function<void()> task)
{
    m_worker->post(std::move(task));
}

// The signal belongs to this object, which lives on the GUI thread: its listeners get it there,
// from the event loop, and never while the worker runs on.
void XSAnalyticsManager::announce(const QString &event, bool delivered)
{
    GuiThread::post(this, [this, event, delivered] { Q_EMIT uploaded(event, delivered); });
}
