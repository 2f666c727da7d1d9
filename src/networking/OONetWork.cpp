#include "networking/OONetWork.h"

#include "networking/InstallerDownload.h"
#include "networking/InstallerFileWriter.h"
#include "networking/ReplyGuard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

#include "common/AppPaths.h"
#include "common/Localization.h"
#include "common/OOAES256.h"
#include "common/ProcessTeardown.h"
#include "common/ProtocolConfig.h"
#include "common/RequestLogTable.h"
#include "common/GuiThread.h"
#include "networking/NetworkLog.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/StartRestoreGate.h"

Q_LOGGING_CATEGORY(lcNetwork, "ostrel.network", QtInfoMsg)

namespace {

// Query text by hand: QUrlQuery leaves '+' alone, which servers read as a space, and the
// envelope's Base64 is full of them.
QByteArray encodeQuery(const QJsonObject &fields)
{
    QByteArray query;
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        if (!query.isEmpty())
            query += '&';
        const QJsonValue value = it.value();
        const QString text = value.isString() ? value.toString() : value.toVariant().toString();
        query += QUrl::toPercentEncoding(it.key()) + '=' + QUrl::toPercentEncoding(text);
    }
    return query;
}

std::function<void(NetError)> rawFailure(const OONetWork::RawCompletion &completion)
{
    return [completion](NetError error) {
        if (completion)
            completion(std::nullopt, error);
    };
}

// The plain API path behind an encrypted one ("/api/..." without its time), for the log and the
// request-log rows; any other path as it stands.
QString apiPathOf(const QUrl &url)
{
    const QString path = url.path();
    const std::optional<QString> plain = OOAES256::decryptToString(ProtocolConfig::pathKey(), path.mid(1));
    if (!plain || !plain->startsWith(QLatin1Char('/')))
        return path;
    const int slash = plain->lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? plain->left(slash) : *plain;
}

// A picture's file name comes from the user's disk: it must not close the quoted value or start
// a header line of its own inside the part.
QString safeFileName(QString name)
{
    name.remove(QLatin1Char('"'));
    name.remove(QLatin1Char('\\'));
    name.replace(QLatin1Char('\r'), QLatin1Char(' '));
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return name;
}

int httpStatus(QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

// A plain transfer (archive, image, installer) counts only with a 2xx answer: an error page or
// an unfollowed redirect is never handed over as the file.
bool plainTransferFailed(QNetworkReply *reply)
{
    if (ReplyGuard::tooLarge(reply) || reply->error() != QNetworkReply::NoError)
        return true;
    const int status = httpStatus(reply);
    return status < 200 || status >= 300;
}

} // namespace

OONetWork::OONetWork(QObject *parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
{
    // Redirects would carry the signed headers to wherever the server points: follow none.
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // The manager's network thread ends while the application object is whole. Left to the
    // manager's own end, a child of the application's, it ends after that object is gone, and its
    // TLS connections, closed then, look for Qt's TLS back-end without it (Qt warns at every quit).
    ProcessTeardown::add(this, [this] { m_manager->clearConnectionCache(); });
}

OONetWork &OONetWork::shared()
{
    static OONetWork *instance = GuiThread::adopt(new OONetWork());
    return *instance;
}

bool OONetWork::runOnOwnThread(std::function<void()> task)
{
    if (GuiThread::isCurrent(this))
        return false;
    GuiThread::post(this, std::move(task));
    return true;
}

bool OONetWork::refuseUrl(const QUrl &url, const std::function<void(NetError)> &fail)
{
    if (url.isValid() && isAllowedUrl(url))
        return false;
    qCWarning(lcNetwork) << "refused request to" << url.scheme() << url.host();
    const NetError error{NetError::InsecureUrl, QStringLiteral("Insecure or invalid address")};
    GuiThread::post(this, [fail, error] {
        if (fail)
            fail(error);
    });
    return true;
}

void OONetWork::requestData(const QString &method, const QString &url, bool decryptResponse,
                            const std::optional<QJsonObject> &params, const std::optional<HeaderMap> &headers,
                            Completion completion)
{
    GuiThread::run(this, [=, this] { sendData(method, url, decryptResponse, params, headers, completion); });
}

void OONetWork::sendData(const QString &method, const QString &url, bool decryptResponse,
                         const std::optional<QJsonObject> &params, const std::optional<HeaderMap> &headers,
                         Completion completion)
{
    auto fail = [completion](NetError error) {
        if (completion)
            completion(std::nullopt, error);
    };
    const QUrl target(url);
    if (refuseUrl(target, fail))
        return;
    // At the start, until the desktop's proxy is the user's again: a later turn sends it.
    if (StartRestoreGate::deferWhileRestoring(this, target, [=, this] { sendData(method, url, decryptResponse, params, headers, completion); }))
        return;
    const QJsonObject merged = mergeAppInfoParameters(params);
    const std::optional<QJsonObject> envelope = OONetParamManager::shared().encryptParameters(merged, decryptResponse);
    if (!envelope) {
        qCWarning(lcNetwork) << "could not build the request envelope for" << target.path();
        const NetError error{NetError::DecryptionFailure, QStringLiteral("Encryption failure")};
        GuiThread::post(this, [fail, error] { fail(error); });
        return;
    }
    // Parameters carry passwords, codes and tokens: their names only.
    qCDebug(lcNetwork).noquote() << method << target.path() << "parameters:" << merged.keys().join(QLatin1Char(','));

    const HeaderMap sent = headers ? *headers : OONetParamManager::shared().buildCommonHeaders({}, false, envelope);
    const bool isPost = method.compare(QLatin1String("POST"), Qt::CaseInsensitive) == 0;
    QUrl requestUrl = target;
    QByteArray body;
    if (isPost)
        body = QJsonDocument(*envelope).toJson(QJsonDocument::Compact);
    else
        requestUrl.setQuery(QString::fromLatin1(encodeQuery(*envelope)), QUrl::StrictMode);

    QNetworkRequest request(requestUrl);
    request.setTransferTimeout(m_requestTimeoutMs);
    if (isPost)
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    for (auto it = sent.constBegin(); it != sent.constEnd(); ++it)
        request.setRawHeader(it.key().toUtf8(), it.value().toUtf8());

    QElapsedTimer clock;
    clock.start();
    QNetworkReply *reply = send(method, request, body);
    ReplyGuard::hold(reply, MaxResponseBytes, m_requestDeadlineMs);
    const QString path = apiPathOf(target);
    connect(reply, &QNetworkReply::finished, this, [this, reply, decryptResponse, clock, method, path, completion] {
        reply->deleteLater();
        handleDataReply(reply, decryptResponse, clock, method.toUpper(), path, completion);
    });
}

QNetworkReply *OONetWork::send(const QString &method, QNetworkRequest request, const QByteArray &body)
{
    const QByteArray verb = method.toUpper().toLatin1();
    if (verb == "GET")
        return m_manager->get(request);
    if (verb == "POST")
        return m_manager->post(request, body);
    if (verb == "PUT")
        return m_manager->put(request, body);
    if (verb == "DELETE")
        return m_manager->deleteResource(request);
    return m_manager->sendCustomRequest(request, verb, body);
}

NetError OONetWork::transportError(QNetworkReply *reply)
{
    const int status = httpStatus(reply);
    const int code = status >= 300 ? status : int(reply->error());
    return NetError{code, hintForError(reply->error())};
}

void OONetWork::followSafeRedirects(QNetworkRequest &request)
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
}

void OONetWork::verifyRedirects(QNetworkReply *reply)
{
    // Plain transfers carry no signed headers and may be sent on to a mirror, but only to an
    // address the client would have fetched itself, and never from https down to http.
    const bool fromHttps = reply->url().scheme() == QLatin1String("https");
    connect(reply, &QNetworkReply::redirected, reply, [reply, fromHttps](const QUrl &target) {
        const QUrl resolved = reply->url().resolved(target);
        const bool downgrade = fromHttps && resolved.scheme() != QLatin1String("https");
        if (!downgrade && isAllowedUrl(resolved)) {
            Q_EMIT reply->redirectAllowed();
            return;
        }
        qCWarning(lcNetwork) << "refused redirect to" << resolved.scheme() << resolved.host();
        reply->abort();
    });
}

void OONetWork::handleDataReply(QNetworkReply *reply, bool decryptResponse, const QElapsedTimer &clock,
                                const QString &method, const QString &path, const Completion &completion)
{
    const int status = httpStatus(reply);
    if (ReplyGuard::tooLarge(reply)) {
        qCWarning(lcNetwork) << method << path << "reply larger than" << MaxResponseBytes << "bytes, dropped";
        if (completion)
            completion(std::nullopt, NetError{NetError::Malformed, QStringLiteral("Response too large")});
        return;
    }
    // An unfollowed redirect (3xx) is a failure like any error status.
    if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
        const NetError error = transportError(reply);
        qCInfo(lcNetwork) << method << path << "failed:" << reply->error() << "HTTP" << status
                          << (ReplyGuard::pastDeadline(reply) ? "(past its deadline)" : "");
        showNetworkHint(error.message);
        if (completion)
            completion(std::nullopt, error);
        return;
    }

    const QByteArray etag = reply->rawHeader("Etag");
    if (etag.isNull()) {
        qCInfo(lcNetwork) << path << "reply without a server fingerprint; checking the API hosts";
        OOHostSafeAdpter::shared().startPollingRoundIfIdle();
    } else if (QString::fromUtf8(etag) != expectedEtag()) {
        // Whoever answered is not our service: its body is never read, but the caller still
        // hears of the request (a screen waiting on it would otherwise wait for good) and can
        // try again once the polling round has found a real host.
        qCWarning(lcNetwork) << path << "reply with a foreign server fingerprint dropped";
        OOHostSafeAdpter::shared().startPollingRoundIfIdle();
        if (completion)
            completion(std::nullopt, NetError{NetError::ForeignServer, hintForError(QNetworkReply::UnknownServerError)});
        return;
    }

    const QByteArray body = ReplyGuard::takeBody(reply);
    qCDebug(lcNetwork).noquote() << method << path << "raw reply:" << body.size() << "bytes";

    NetError error;
    std::optional<QJsonObject> object;
    if (decryptResponse) {
        object = decodeResponseBody(body, &error);
    } else {
        const QJsonDocument doc = QJsonDocument::fromJson(body);
        if (doc.isObject())
            object = doc.object();
        else
            error = {NetError::Malformed, QStringLiteral("Malformed response")};
    }
    const int envelopeError = object ? object->value(QStringLiteral("error_code")).toInt() : error.code;
    insertRequestLog(method, path, status, clock.elapsed(), envelopeError);
    if (!object) {
        qCInfo(lcNetwork) << method << path << "unreadable reply:" << error.message;
        if (completion)
            completion(std::nullopt, error);
        return;
    }
    // Replies carry user records, tokens and QR records: the envelope's verdict only.
    qCDebug(lcNetwork).noquote() << method << path << "reply: success" << object->value(QStringLiteral("success"))
                                 << "error_code" << object->value(QStringLiteral("error_code"));
    checkAccountException(*object);
    if (completion)
        completion(object, std::nullopt);
}

std::optional<QJsonObject> OONetWork::decodeResponseBody(const QByteArray &body, NetError *error)
{
    const NetError failure{NetError::DecryptionFailure, QStringLiteral("Decryption failure")};
    const QByteArray text = body.trimmed();
    if (text.isEmpty() || text.size() > MaxResponseBytes) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    const std::optional<QByteArray> plain = OOAES256::decrypt(ProtocolConfig::apiKey(), QString::fromLatin1(text));
    if (!plain) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(*plain, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    return doc.object();
}

QString OONetWork::expectedEtag()
{
    return ProtocolConfig::string(QStringLiteral("etag.expected"));
}

bool OONetWork::isAllowedUrl(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    if (scheme != QLatin1String("http"))
        return false;
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

QString OONetWork::hintForError(int networkError)
{
    switch (networkError) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::UnknownNetworkError:
        return localizedByAppLanguage(QStringLiteral("NO_NET_TITLE"));
    default:
        break;
    }
    return localizedByAppLanguage(QStringLiteral("NET_SOMETHING_WRONG_TIP"));
}

void OONetWork::insertRequestLog(const QString &method, const QString &path, int status, qint64 durationMs, int errorCode)
{
    RequestLogTable::Record record;
    record.method = method;
    record.path = path;
    record.httpStatus = status;
    record.durationMs = durationMs;
    record.time = QDateTime::currentDateTimeUtc().addMSecs(-durationMs);
    if (errorCode != 0)
        record.errorCode = QString::number(errorCode);
    // A lost row only thins the diagnostics the service receives.
    if (!RequestLogTable().insert(record))
        qCDebug(lcNetwork) << "request-log row for" << path << "not stored";
}

void OONetWork::requestConfigRawData(const QString &method, const QString &url, RawCompletion completion)
{
    if (runOnOwnThread([=, this] { requestConfigRawData(method, url, completion); }))
        return;
    const QUrl target(url);
    if (refuseUrl(target, rawFailure(completion)))
        return;
    if (StartRestoreGate::deferWhileRestoring(this, target, [=, this] { requestConfigRawData(method, url, completion); }))
        return;
    QNetworkRequest request(target);
    request.setTransferTimeout(m_rawTimeoutMs);
    followSafeRedirects(request);
    QElapsedTimer clock;
    clock.start();
    QNetworkReply *reply = send(method, request, {});
    verifyRedirects(reply);
    ReplyGuard::hold(reply, MaxResponseBytes, m_rawDeadlineMs);
    const QString verb = method.toUpper();
    const QString path = target.path();
    connect(reply, &QNetworkReply::finished, this, [this, reply, clock, verb, path, completion] {
        reply->deleteLater();
        const int status = httpStatus(reply);
        if (plainTransferFailed(reply)) {
            const NetError error = transportError(reply);
            insertRequestLog(verb, path, status, clock.elapsed(), error.code);
            if (completion)
                completion(std::nullopt, error);
            return;
        }
        const QByteArray data = ReplyGuard::takeBody(reply);
        insertRequestLog(verb, path, status, clock.elapsed(), 0);
        if (completion)
            completion(data, std::nullopt);
    });
}

QString OONetWork::downloadDestination()
{
    return AppPaths::downloadsFolder() + QStringLiteral("/翠鸟通行器Pro.deb");
}

void OONetWork::download(const QString &url, DownloadHandler handler)
{
    if (runOnOwnThread([=, this] { startDownload(url, handler); }))
        return;
    startDownload(url, handler);
}

void OONetWork::setInstallerLimitForTesting(qint64 bytes)
{
    InstallerDownload::setLimitForTesting(bytes);
}

void OONetWork::startDownload(const QString &url, DownloadHandler handler)
{
    auto fail = [handler](NetError error) {
        if (handler)
            handler(std::nullopt, false, error);
    };
    const QUrl target(url);
    if (refuseUrl(target, fail))
        return;
    if (StartRestoreGate::deferWhileRestoring(this, target, [=, this] { startDownload(url, handler); }))
        return;
    const QString destination = downloadDestination();
    QDir().mkpath(QFileInfo(destination).absolutePath());
    // The installer is written beside its final place and renamed only when every byte arrived,
    // so a broken transfer never leaves a truncated file where the installer is expected.
    QString openError;
    InstallerFileWriter *writer = InstallerFileWriter::open(destination, &openError);
    if (!writer) {
        const NetError error{NetError::Malformed, openError};
        GuiThread::post(this, [fail, error] { fail(error); });
        return;
    }
    QNetworkRequest request(target);
    request.setRawHeader("Accept-Encoding", "");
    request.setTransferTimeout(m_rawTimeoutMs);
    followSafeRedirects(request);
    // No whole deadline: a long download on a slow line is what the progress bar is for, and
    // its size rule is the installer's own (the announced length, or a limit no installer nears).
    QNetworkReply *reply = m_manager->get(request);
    verifyRedirects(reply);
    new InstallerDownload(reply, writer, std::move(handler), &OONetWork::transportError, this);
}

void OONetWork::uploadMultipart(const QString &url, const QList<MultipartPart> &parts, const HeaderMap &headers,
                                RawCompletion completion)
{
    if (runOnOwnThread([=, this] { uploadMultipart(url, parts, headers, completion); }))
        return;
    const QUrl target(url);
    if (refuseUrl(target, rawFailure(completion)))
        return;
    if (StartRestoreGate::deferWhileRestoring(this, target, [=, this] { uploadMultipart(url, parts, headers, completion); }))
        return;
    auto *multipart = new QHttpMultiPart(QHttpMultiPart::FormDataType);
    for (const MultipartPart &part : parts) {
        QHttpPart httpPart;
        QString disposition = QStringLiteral("form-data; name=\"%1\"").arg(part.name);
        if (!part.fileName.isEmpty())
            disposition += QStringLiteral("; filename=\"%1\"").arg(safeFileName(part.fileName));
        httpPart.setHeader(QNetworkRequest::ContentDispositionHeader, disposition);
        if (!part.contentType.isEmpty())
            httpPart.setHeader(QNetworkRequest::ContentTypeHeader, part.contentType);
        httpPart.setBody(part.data);
        multipart->append(httpPart);
    }
    QNetworkRequest request(target);
    request.setTransferTimeout(m_rawTimeoutMs);
    for (auto it = headers.constBegin(); it != headers.constEnd(); ++it)
        request.setRawHeader(it.key().toUtf8(), it.value().toUtf8());
    QNetworkReply *reply = m_manager->post(request, multipart);
    multipart->setParent(reply);
    ReplyGuard::hold(reply, MaxResponseBytes, m_rawDeadlineMs);
    connect(reply, &QNetworkReply::finished, this, [reply, completion] {
        reply->deleteLater();
        if (ReplyGuard::tooLarge(reply) || reply->error() != QNetworkReply::NoError) {
            if (completion)
                completion(std::nullopt, transportError(reply));
            return;
        }
        const QByteArray body = ReplyGuard::takeBody(reply);
        qCDebug(lcNetwork).noquote() << "upload raw reply:" << body.left(4096);
        if (completion)
            completion(body, std::nullopt);
    });
}

void OONetWork::networkStatusChanged(OOReachability::Status status, const std::function<void(bool)> &callback)
{
    qCDebug(lcNetwork).noquote() << QStringLiteral("网络状态: ") + OOReachability::statusName(status);
    if (callback)
        callback(status == OOReachability::Status::NotReachable);
}

void OONetWork::showNetworkHint(const QString &text)
{
    NetworkUiHooks::instance()->showNetworkHint(text);
}

void OONetWork::checkAccountException(const QJsonObject &response)
{
    const QJsonValue errorCode = response.value(QStringLiteral("error_code"));
    if (errorCode.isDouble() && errorCode.toDouble() == 101) {
        // One alert at a time: a burst of replies must not stack alerts on the screen.
        if (m_accountAlertShown)
            return;
        m_accountAlertShown = true;
        NetworkUiHooks::instance()->showAccountException(NetworkUiHooks::AccountExceptionKind::AccountException);
        return;
    }
    if (response.value(QStringLiteral("code")).toString() == QLatin1String("C238"))
        NetworkUiHooks::instance()->showAccountException(NetworkUiHooks::AccountExceptionKind::DeviceLimit);
}

void OONetWork::accountExceptionGotIt()
{
    if (runOnOwnThread([this] { accountExceptionGotIt(); }))
        return;
    m_accountAlertShown = false;
    QPointer<OONetWork> self(this);
    auto signOut = [self] {
        if (self)
            NetworkUiHooks::instance()->onAccountExceptionAcknowledged();
    };
    const NetworkUiHooks::StopLocalHandler stopLocal = NetworkUiHooks::stopLocalHandler();
    if (!stopLocal) {
        signOut();
        return;
    }
    stopLocal(signOut);
}

HeaderMap OONetWork::buildCommonHeaders(const HeaderMap &extra, bool fileSecret)
{
    return OONetParamManager::shared().buildCommonHeaders(extra, fileSecret);
}

QJsonObject OONetWork::mergeAppInfoParameters(const std::optional<QJsonObject> &params)
{
    return OONetParamManager::shared().mergeAppInfoParameters(params);
}

void OONetWork::setTimeoutsForTesting(int requestMs, int rawMs)
{
    m_requestTimeoutMs = requestMs;
    m_rawTimeoutMs = rawMs;
}

void OONetWork::setDeadlinesForTesting(int requestMs, int rawMs)
{
    m_requestDeadlineMs = requestMs;
    m_rawDeadlineMs = rawMs;
}

void OONetWork::resetForTesting()
{
    setTimeoutsForTesting(kRequestTimeoutMs, kRawTimeoutMs);
    setDeadlinesForTesting(RequestDeadlineMs, kRawDeadlineMs);
    m_accountAlertShown = false;
}
