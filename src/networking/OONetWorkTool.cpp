#include "networking/OONetWorkTool.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include "common/HHAppInfo.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "networking/NetworkLog.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OORequestLogReporter.h"
#include "common/ApiPaths.h"

namespace {

bool successIsBool(const QJsonObject &response)
{
    const QJsonValue value = response.value(QStringLiteral("success"));
    return value.isBool() || (value.isDouble() && (value.toDouble() == 0 || value.toDouble() == 1));
}

// "success" written as false (or 0) together with "error_code" 101: the account alert already
// ran in the pipeline, so the readers stay silent.
bool isRefusedAccount(const QJsonObject &response)
{
    return successIsBool(response) && !OONetWorkTool::isSuccess(response) && OONetWorkTool::isAccountException(response);
}

std::optional<QString> textOf(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

// The failure every reader with a NetError hands on for a reply that is not a success: the
// service's "error_code", and its "message" or the localised SERVER_DATA_ERROR.
NetError refusalOf(const QJsonObject &response)
{
    return NetError{response.value(QStringLiteral("error_code")).toInt(),
                    textOf(response, QStringLiteral("message")).value_or(OONetWorkTool::serverDataError())};
}

std::optional<qint64> currentUserId()
{
    const std::optional<HHUserInfo> info = MKUserTable().queryUser();
    if (!info || !info->user)
        return std::nullopt;
    return info->user->id;
}

QString appVersionText()
{
    return QStringLiteral(OSTREL_VERSION);
}

QString compactText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

} // namespace

QString OONetWorkTool::encryptPath(const QString &path)
{
    const QString plain = path + QLatin1Char('/') + QString::number(QDateTime::currentSecsSinceEpoch());
    const std::optional<QString> encrypted = OOAES256::encrypt(ProtocolConfig::pathKey(), plain);
    if (!encrypted)
        return path;
    return QLatin1Char('/') + *encrypted;
}

QString OONetWorkTool::apiUrl(const QString &path)
{
    return OOHostSafeAdpter::shared().currentDomain() + encryptPath(path);
}

void OONetWorkTool::request(const QString &method, const QString &path, const std::optional<QJsonObject> &params,
                            const OONetWork::Completion &completion)
{
    OONetWork::shared().requestData(method, apiUrl(path), true, params, std::nullopt, completion);
}

void OONetWorkTool::requestRead(const QString &method, const QString &path, const std::optional<QJsonObject> &params,
                                MessageReader reader, const MessageCompletion &completion)
{
    request(method, path, params, [reader, completion](Reply response, Error error) { reader(response, error, completion); });
}

// --- readers ----------------------------------------------------------------------------------

bool OONetWorkTool::isSuccess(const QJsonObject &response)
{
    const QJsonValue value = response.value(QStringLiteral("success"));
    if (value.isBool())
        return value.toBool();
    return value.isDouble() && value.toDouble() == 1;
}

QString OONetWorkTool::serverDataError()
{
    return localizedByAppLanguage(QStringLiteral("SERVER_DATA_ERROR"));
}

bool OONetWorkTool::isAccountException(const QJsonObject &response)
{
    const QJsonValue code = response.value(QStringLiteral("error_code"));
    return code.isDouble() && code.toDouble() == 101;
}

bool OONetWorkTool::storeSignedInUser(const QJsonObject &response)
{
    // Signed in means a stored user: every later request reads its token from the table.
    const QJsonValue data = response.value(QStringLiteral("data"));
    return data.isObject() && MKUserInfoManager::shared().saveUser(data.toObject());
}

void OONetWorkTool::printReply(const Reply &response, const Error &error)
{
    // Replies carry tokens, user records and QR records: only the envelope's verdict is printed.
    const QString verdict = response ? QStringLiteral("success=%1 error_code=%2")
                                           .arg(QString::fromUtf8(QJsonDocument(QJsonArray{response->value(QStringLiteral("success"))})
                                                                      .toJson(QJsonDocument::Compact)),
                                                QString::number(response->value(QStringLiteral("error_code")).toInteger()))
                                     : QStringLiteral("nil");
    qCDebug(lcNetwork).noquote() << QStringLiteral("返回数据:") << verdict
                                 << QStringLiteral(" 异常：") << (error ? error->message : QStringLiteral("nil"));
}

void OONetWorkTool::parseEnvelope(const Reply &response, const MessageCompletion &completion, SilentOn silentOn)
{
    if (!completion)
        return;
    if (!response) {
        completion(std::nullopt, OONetWorkTool::serverDataError());
        return;
    }
    if (isSuccess(*response)) {
        completion(*response, std::nullopt);
        return;
    }
    const bool silent = silentOn == SilentOn::AnyAccountException ? isAccountException(*response)
                                                                  : isRefusedAccount(*response);
    if (silent) {
        completion(std::nullopt, std::nullopt);
        return;
    }
    completion(std::nullopt, textOf(*response, QStringLiteral("message")));
}

void OONetWorkTool::parseResponse(const Reply &response, const Error &error, const MessageCompletion &completion)
{
    printReply(response, error);
    parseEnvelope(response, completion);
}

void OONetWorkTool::parseResourceResponse(const Reply &response, const Error &error, const MessageCompletion &completion)
{
    printReply(response, error);
    // Unlike the other readers, any reply that is not a success and carries 101 stays silent,
    // whatever its "success" says.
    parseEnvelope(response, completion, SilentOn::AnyAccountException);
}

void OONetWorkTool::logResponse(const Reply &response, const Error &error)
{
    printReply(response, error);
    if (!response)
        return;
    qCDebug(lcNetwork) << "success:" << response->value(QStringLiteral("success"))
                       << "error_code:" << response->value(QStringLiteral("error_code"))
                       << "message:" << response->value(QStringLiteral("message"));
}

void OONetWorkTool::parseRegisterSignInResponse(const Reply &response, const Error &error)
{
    printReply(response, error);
    if (!response || !isSuccess(*response))
        return;
    if (!storeSignedInUser(*response)) {
        qCWarning(lcNetwork) << "sign-in after registering answered, but the user could not be stored";
        return;
    }
    NotificationCenter::defaultCenter().post(NotificationNames::kAnonySignSuccessNotification);
    NotificationCenter::defaultCenter().post(NotificationNames::kPopToHomeVcNotification);
}

void OONetWorkTool::parseAccountInfoResponse(const Reply &response, const Error &error, const ErrorCompletion &completion)
{
    printReply(response, error);
    if (!completion)
        return;
    if (!response) {
        completion(std::nullopt, error);
        return;
    }
    const NetError refusal = refusalOf(*response);
    // A reply the reader cannot use still answers: the account screen would otherwise keep its
    // loading cover up for good.
    if (!successIsBool(*response)) {
        completion(std::nullopt, NetError{NetError::Malformed, refusal.message});
        return;
    }
    if (isSuccess(*response)) {
        const QJsonValue data = response->value(QStringLiteral("data"));
        if (data.isObject())
            completion(data.toObject(), std::nullopt);
        else
            completion(std::nullopt, NetError{NetError::Malformed, refusal.message});
        return;
    }
    if (isAccountException(*response)) {
        completion(std::nullopt, std::nullopt);
        return;
    }
    completion(std::nullopt, refusal);
}

void OONetWorkTool::parseHomeContentResponse(const Reply &response, const Error &error, const HomeContentCompletion &completion)
{
    printReply(response, error);
    if (!completion)
        return;
    if (!response) {
        completion(std::nullopt, OONetWorkTool::serverDataError(), QStringLiteral("500"));
        return;
    }
    if (isSuccess(*response)) {
        completion(*response, std::nullopt, QStringLiteral("200"));
        return;
    }
    if (isAccountException(*response)) {
        completion(std::nullopt, std::nullopt, QStringLiteral("500"));
        return;
    }
    completion(std::nullopt, textOf(*response, QStringLiteral("message")), textOf(*response, QStringLiteral("code")));
}

// --- endpoints --------------------------------------------------------------------------------

void OONetWorkTool::nodeList(const TextCompletion &completion)
{
    request(QStringLiteral("GET"), ApiPaths::kNodeList,
            QJsonObject{{QStringLiteral("kind"), 1}}, [completion](Reply response, Error error) {
        if (completion) {
            if (response) {
                const QJsonValue data = response->value(QStringLiteral("data"));
                if (data.isObject())
                    completion(compactText(data.toObject()), std::nullopt);
                else
                    completion(std::nullopt, error ? error : NetError{NetError::Malformed, textOf(*response, QStringLiteral("message")).value_or(OONetWorkTool::serverDataError())});
            } else {
                completion(std::nullopt, error);
            }
        }
        OORequestLogReporter::shared().uploadPending();
    });
}

void OONetWorkTool::connect2(qint64 nodeInfoId, const HomeContentCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kConnect2,
            QJsonObject{{QStringLiteral("node_info_id"), nodeInfoId}},
            [completion](Reply response, Error error) { parseHomeContentResponse(response, error, completion); });
}

void OONetWorkTool::reportConnectionLog(const QJsonObject &report, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kReportConnectionLog, report,
            [completion](Reply response, Error error) {
        printReply(response, error);
        if (completion)
            completion(response, error);
        OORequestLogReporter::shared().uploadPending();
    });
}

void OONetWorkTool::advertisements(int type, const MessageCompletion &completion)
{
    requestRead(QStringLiteral("GET"), ApiPaths::kAdvertisements,
                QJsonObject{{QStringLiteral("type"), QString::number(type)}}, &parseResponse, completion);
}

void OONetWorkTool::login(const std::function<void(std::optional<QString>)> &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kAccountLogin,
            QJsonObject{{QStringLiteral("signType"), QStringLiteral("1")}}, [completion](Reply response, Error error) {
        printReply(response, error);
        if (response && isSuccess(*response)) {
            const bool stored = storeSignedInUser(*response);
            if (!stored)
                qCWarning(lcNetwork) << "visitor sign-in answered, but no user could be stored";
            if (completion)
                completion(stored ? std::nullopt : std::optional<QString>(OONetWorkTool::serverDataError()));
            return;
        }
        if (!completion)
            return;
        if (response)
            completion(textOf(*response, QStringLiteral("message")).value_or(OONetWorkTool::serverDataError()));
        else
            completion(error ? error->message : OONetWorkTool::serverDataError());
    });
}

void OONetWorkTool::accountLoginAfterRegister(const QJsonObject &params)
{
    request(QStringLiteral("POST"), ApiPaths::kAccountLogin, params,
            [](Reply response, Error error) { parseRegisterSignInResponse(response, error); });
}

void OONetWorkTool::accountInfo(const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kAccountInfo, std::nullopt,
            [completion](Reply response, Error error) { parseAccountInfoResponse(response, error, completion); });
}

void OONetWorkTool::unreadMessages(const OONetWork::Completion &completion)
{
    request(QStringLiteral("GET"), ApiPaths::kUnreadMessages, std::nullopt, completion);
}

void OONetWorkTool::domainHosts(const MessageCompletion &completion)
{
    requestRead(QStringLiteral("GET"), ApiPaths::kDomainHosts,
                std::nullopt, &parseResponse, completion);
}

void OONetWorkTool::notificationList(const TextCompletion &completion)
{
    request(QStringLiteral("GET"), ApiPaths::kNotificationList, std::nullopt,
            [completion](Reply response, Error error) {
        if (!completion)
            return;
        if (!response) {
            completion(std::nullopt, error);
            return;
        }
        const QJsonValue data = response->value(QStringLiteral("data"));
        if (isSuccess(*response) && data.isObject()) {
            completion(compactText(data.toObject()), std::nullopt);
            return;
        }
        completion(std::nullopt, refusalOf(*response));
    });
}

void OONetWorkTool::systemSetting(const MessageCompletion &completion)
{
    QJsonObject params{{QStringLiteral("appVersion"), appVersionText()},
                       {QStringLiteral("appName"), ProtocolConfig::projectName()},
                       {QStringLiteral("pageType"), QStringLiteral("buypage")},
                       {QStringLiteral("platform"), QStringLiteral("mac")}};
    if (const std::optional<qint64> userId = currentUserId())
        params.insert(QStringLiteral("userId"), *userId);
    requestRead(QStringLiteral("GET"), ApiPaths::kSystemSetting,
                params, &parseResponse, completion);
}

void OONetWorkTool::updateApp(const ErrorCompletion &completion)
{
    request(QStringLiteral("GET"), ApiPaths::kUpdateApp, std::nullopt,
            [completion](Reply response, Error error) {
        printReply(response, error);
        if (!completion)
            return;
        if (!response) {
            completion(std::nullopt, error);
            return;
        }
        if (isSuccess(*response)) {
            completion(*response, std::nullopt);
            return;
        }
        completion(std::nullopt, refusalOf(*response));
    });
}

void OONetWorkTool::resourcePackageVersion(const MessageCompletion &completion)
{
    QJsonObject params{{QStringLiteral("appName"), ProtocolConfig::projectName()},
                       {QStringLiteral("appVersion"), appVersionText()},
                       {QStringLiteral("platform"), QStringLiteral("mac")}};
    if (const std::optional<qint64> userId = currentUserId())
        params.insert(QStringLiteral("userId"), *userId);
    requestRead(QStringLiteral("GET"), ApiPaths::kResourcePackageVersion,
                params, &parseResponse, completion);
}

void OONetWorkTool::routerFiles(const MessageCompletion &completion)
{
    requestRead(QStringLiteral("POST"), ApiPaths::kRouterFiles,
                QJsonObject{{QStringLiteral("platform"), QStringLiteral("mac")}}, &parseResourceResponse, completion);
}

void OONetWorkTool::accountLogin(const QJsonObject &params, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kAccountLogin, params, completion);
}

void OONetWorkTool::getQRCode(const ErrorCompletion &completion)
{
    request(QStringLiteral("GET"), ApiPaths::kGetQRCode,
            QJsonObject{{QStringLiteral("app_name"), ProtocolConfig::projectName()}}, completion);
}

void OONetWorkTool::queryQRCode(const QJsonObject &qrRecord, const ErrorCompletion &completion)
{
    QJsonObject params = qrRecord;
    params.insert(QStringLiteral("platform"), 2);
    params.insert(QStringLiteral("app_name"), ProtocolConfig::projectName());
    request(QStringLiteral("GET"), ApiPaths::kQueryQRCode, params, completion);
}

void OONetWorkTool::signInByQRCode(const QString &token, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kSignInByQRCode, QJsonObject{{QStringLiteral("token"), token}}, completion);
}

void OONetWorkTool::sendRegisterCode(const QJsonObject &params, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kSendRegisterCode, params, completion);
}

void OONetWorkTool::sendEmail(const QJsonObject &params, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kSendEmail, params, completion);
}

void OONetWorkTool::registerAccount(const QJsonObject &params, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kAccountRegister, params, completion);
}

void OONetWorkTool::getBackPassword(const QJsonObject &params, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kGetBackPassword, params, completion);
}

void OONetWorkTool::boundAccount(const QJsonObject &params, const ErrorCompletion &completion)
{
    request(QStringLiteral("POST"), ApiPaths::kBoundAccount, params, completion);
}

void OONetWorkTool::updatePassword(const QJsonObject &params, const MessageCompletion &completion)
{
    requestRead(QStringLiteral("POST"), ApiPaths::kUpdatePassword,
                params, &parseResponse, completion);
}

void OONetWorkTool::messageList(int page, const MessageCompletion &completion)
{
    requestRead(QStringLiteral("GET"), ApiPaths::kMessages,
                QJsonObject{{QStringLiteral("pageSize"), 9999}, {QStringLiteral("page"), page}}, &parseResponse, completion);
}

void OONetWorkTool::readMessage(qint64 messageId, const std::function<void(bool stored)> &stored)
{
    request(QStringLiteral("GET"), ApiPaths::kMessageRead,
            QJsonObject{{QStringLiteral("messageId"), QString::number(messageId)}},
            [stored](Reply response, Error error) {
        logResponse(response, error);
        if (stored)
            stored(response && isSuccess(*response));
    });
}

void OONetWorkTool::feedbackList(int page, const MessageCompletion &completion)
{
    requestRead(QStringLiteral("GET"), ApiPaths::kFeedbackList,
                QJsonObject{{QStringLiteral("pageSize"), 9999}, {QStringLiteral("page"), page}}, &parseResponse, completion);
}

void OONetWorkTool::feedbackRecord(qint64 feedbackId, const MessageCompletion &completion)
{
    requestRead(QStringLiteral("GET"), ApiPaths::kFeedbackRecord,
                QJsonObject{{QStringLiteral("feedback_id"), feedbackId}}, &parseResponse, completion);
}

// --- uploads ----------------------------------------------------------------------------------

QList<MultipartPart> OONetWorkTool::appInfoParts()
{
    QList<MultipartPart> parts;
    const QJsonObject identity = makeAppInfo().toJson();
    for (auto it = identity.constBegin(); it != identity.constEnd(); ++it) {
        const QJsonValue value = it.value();
        const QString text = value.isString() ? value.toString() : value.toVariant().toString();
        parts << MultipartPart{it.key(), text.toUtf8(), {}, {}};
    }
    return parts;
}

void OONetWorkTool::createFeedback(const QString &kind, const std::optional<QList<QByteArray>> &pictures,
                                   const std::optional<QStringList> &fileNames, const QString &content,
                                   const std::optional<QString> &contact, const MessageCompletion &completion)
{
    QList<MultipartPart> parts;
    if (pictures && fileNames && !pictures->isEmpty()) {
        for (int i = 0; i < pictures->size(); ++i)
            parts << MultipartPart{QStringLiteral("file"), pictures->at(i), fileNames->value(i, QStringLiteral("image%1.jpg").arg(i)), QStringLiteral("image/jpeg")};
    }
    parts << MultipartPart{QStringLiteral("content"), content.toUtf8(), {}, {}};
    parts << MultipartPart{QStringLiteral("contact_info"), contact.value_or(QString()).toUtf8(), {}, {}};
    parts << MultipartPart{QStringLiteral("kind"), kind.toUtf8(), {}, {}};
    parts << appInfoParts();
    OONetWork::shared().uploadMultipart(apiUrl(ApiPaths::kCreateFeedbacks), parts,
                                        OONetWork::buildCommonHeaders({}, true),
                                        [completion](std::optional<QByteArray> body, std::optional<NetError> error) {
        handleUploadReply(body, error, completion);
    });
}

void OONetWorkTool::resendFeedback(const QList<QByteArray> &images, const QStringList &fileNames,
                                   const std::optional<QString> &content, qint64 feedbackId,
                                   const MessageCompletion &completion)
{
    QList<MultipartPart> parts;
    for (int i = 0; i < images.size(); ++i)
        parts << MultipartPart{QStringLiteral("file"), images.at(i), fileNames.value(i, QStringLiteral("image%1.jpg").arg(i)), QStringLiteral("image/jpeg")};
    if (content)
        parts << MultipartPart{QStringLiteral("content"), content->toUtf8(), {}, {}};
    parts << MultipartPart{QStringLiteral("userFeedbackId"), QByteArray::number(feedbackId), {}, {}};
    parts << appInfoParts();
    OONetWork::shared().uploadMultipart(apiUrl(ApiPaths::kFeedbackResend), parts,
                                        OONetWork::buildCommonHeaders({}, false),
                                        [completion](std::optional<QByteArray> body, std::optional<NetError> error) {
        handleUploadReply(body, error, completion);
    });
}

std::optional<QJsonObject> OONetWorkTool::decodeUploadReply(const QByteArray &body)
{
    const std::optional<QByteArray> plain = OOAES256::decrypt(ProtocolConfig::uploadKey(), QString::fromLatin1(body.trimmed()));
    if (!plain)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(*plain);
    if (!doc.isObject())
        return std::nullopt;
    return doc.object();
}

void OONetWorkTool::handleUploadReply(const std::optional<QByteArray> &body, const std::optional<NetError> &error,
                                      const MessageCompletion &completion)
{
    if (!completion)
        return;
    if (!body || error) {
        completion(std::nullopt, QStringLiteral("上传图片失败"));
        return;
    }
    // An unreadable reply still ends the upload, so the form never waits for ever.
    const std::optional<QJsonObject> reply = decodeUploadReply(*body);
    if (!reply) {
        completion(std::nullopt, QStringLiteral("Decryption failure"));
        return;
    }
    completion(*reply, std::nullopt);
}
