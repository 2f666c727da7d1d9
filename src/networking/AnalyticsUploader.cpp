#include "networking/AnalyticsUploader.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "networking/HostLookup.h"
#include "networking/NetworkLog.h"
#include "networking/OONetWork.h"
#include "networking/ReplyGuard.h"

namespace {

// "host" or "host:port" as the Host header names the server of `url`.
QByteArray hostHeader(const QUrl &url)
{
    QString host = url.host(QUrl::FullyEncoded);
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    if (url.port() != -1)
        host += QLatin1Char(':') + QString::number(url.port());
    return host.toUtf8();
}

// The address was not reached at all: another of the host's may be.
bool unreached(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::ConnectionRefusedError || error == QNetworkReply::UnknownNetworkError
        || error == QNetworkReply::HostNotFoundError;
}

} // namespace

AnalyticsUploader::AnalyticsUploader(QObject *parent)
    : QObject(parent)
    , m_lookup(new HostLookup(this))
    , m_manager(new QNetworkAccessManager(this))
{
    // The event carries the signed headers and the token: never let a redirect take them on.
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_manager->setProxy(QNetworkProxy::NoProxy);
}

AnalyticsUploader::~AnalyticsUploader()
{
    m_ending = true;
    // Replies first (their finished() comes at once and reports nothing now), then the manager,
    // which ends its own thread, then the lookups.
    const QList<QNetworkReply *> replies = m_manager->findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies)
        reply->abort();
    delete m_manager;
    m_manager = nullptr;
    delete m_lookup;
    m_lookup = nullptr;
}

void AnalyticsUploader::send(const AnalyticsUpload &upload, Outcome outcome)
{
    const QString host = upload.target.host();
    m_lookup->lookup(host, [this, upload, outcome](const QList<QHostAddress> &addresses, const QString &error) {
        if (addresses.isEmpty()) {
            qCDebug(lcNetwork) << "analytics" << upload.event << "dropped: no address for the host:" << error;
            outcome(upload.event, false);
            return;
        }
        post(upload, addresses, 0, outcome);
    });
}

void AnalyticsUploader::post(const AnalyticsUpload &upload, const QList<QHostAddress> &addresses, int index,
                             const Outcome &outcome)
{
    QUrl direct = upload.target;
    direct.setHost(addresses.at(index).toString());
    QNetworkRequest request(direct);
    request.setTransferTimeout(15000);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setRawHeader("Host", hostHeader(upload.target));
    request.setPeerVerifyName(upload.target.host());
    for (const auto &[name, value] : upload.headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = m_manager->post(request, upload.body);
    // Nobody reads the answer: once its status line is in, the body is not taken in at all, so no
    // answer, however long, can fill memory; the deadline ends one whose status never comes.
    ReplyGuard::hold(reply, OONetWork::MaxResponseBytes, OONetWork::RequestDeadlineMs, ReplyGuard::Body::Discard);
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply] {
        if (reply->isRunning())
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, upload, addresses, index, outcome] {
        reply->deleteLater();
        if (m_ending)
            return;
        const QString &event = upload.event;
        if (unreached(reply->error()) && index + 1 < addresses.size()) {
            post(upload, addresses, index + 1, outcome);
            return;
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool answered = reply->error() == QNetworkReply::NoError || reply->error() == QNetworkReply::OperationCanceledError;
        const bool delivered = answered && status >= 200 && status < 300;
        qCDebug(lcNetwork) << "analytics" << event << (delivered ? "delivered" : "dropped");
        outcome(event, delivered);
    });
}
