#include "networking/XSAnalyticsManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>

#include "common/MKUserTable.h"
#include "common/ProcessTeardown.h"
#include "common/ThreadHandOff.h"
#include "common/GuiThread.h"
#include "networking/NetworkLog.h"
#include "networking/OONetParamManager.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "networking/ReplyGuard.h"
#include "common/ApiPaths.h"

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

} // namespace

XSAnalyticsManager::XSAnalyticsManager(QObject *parent)
    : QObject(parent)
    , m_thread(new QThread(this))
    , m_worker(new QObject())
{
    m_thread->setObjectName(QStringLiteral("analytics"));
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    ProcessTeardown::add(this, [this] { stopWorker(); });
}

XSAnalyticsManager::~XSAnalyticsManager()
{
    stopWorker();
}

void XSAnalyticsManager::stopWorker()
{
    if (!m_thread->isRunning())
        return;
    m_thread->quit();
    // An upload being started finishes its step first; the ones still queued are dropped. The
    // wait has no deadline: a thread left running while the application goes is what crashes.
    m_thread->wait();
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
    const QJsonObject record = buildEvent(event, url, dataId, params);
    const QString target = OONetWorkTool::apiUrl(ApiPaths::kActionTrack);
    if (!m_worker || !m_thread->isRunning())
        return; // the program is ending
    // The worker never outlives this object: it is stopped before the object goes.
    QMetaObject::invokeMethod(m_worker, ThreadHandOff::carried([this, target, record] { upload(target, record); }),
                              Qt::QueuedConnection);
}

// Runs on the worker thread.
void XSAnalyticsManager::upload(const QString &url, const QJsonObject &event)
{
    const QString name = event.value(QStringLiteral("event")).toString();
    const QUrl target(url);
    const std::optional<QJsonObject> envelope = OONetParamManager::shared().encryptParameters(event);
    if (!envelope || !OONetWork::isAllowedUrl(target)) {
        announce(name, false);
        return;
    }
    if (!m_manager) {
        m_manager = new QNetworkAccessManager(m_worker);
        // The event carries the signed headers and the token: never let a redirect take them on.
        m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    QNetworkRequest request(target);
    request.setTransferTimeout(15000);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    const HeaderMap headers = OONetParamManager::shared().buildCommonHeaders({}, false, envelope);
    for (auto it = headers.constBegin(); it != headers.constEnd(); ++it)
        request.setRawHeader(it.key().toUtf8(), it.value().toUtf8());
    QNetworkReply *reply = m_manager->post(request, QJsonDocument(*envelope).toJson(QJsonDocument::Compact));
    // Nobody reads the answer: once its status line is in, the body is not taken in at all, so no
    // answer, however long, can fill memory; the deadline ends one whose status never comes.
    ReplyGuard::hold(reply, OONetWork::MaxResponseBytes, OONetWork::RequestDeadlineMs, ReplyGuard::Body::Discard);
    connect(reply, &QNetworkReply::metaDataChanged, m_worker, [reply] {
        if (reply->isRunning())
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, m_worker, [this, reply, name] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool answered = reply->error() == QNetworkReply::NoError || reply->error() == QNetworkReply::OperationCanceledError;
        const bool delivered = answered && status >= 200 && status < 300;
        qCDebug(lcNetwork) << "analytics" << name << (delivered ? "delivered" : "dropped");
        announce(name, delivered);
    });
}

// Runs on the worker thread. The signal belongs to this object, which lives on the GUI thread:
// its listeners get it there, from the event loop, and never while the worker runs on.
void XSAnalyticsManager::announce(const QString &event, bool delivered)
{
    GuiThread::post(this, [this, event, delivered] { Q_EMIT uploaded(event, delivered); });
}
