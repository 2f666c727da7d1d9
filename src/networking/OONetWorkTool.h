#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "networking/NetError.h"
#include "networking/OONetWork.h"

// The endpoint functions the screens call, and the readers that turn a reply envelope
// ("success", "error_code", "message", "code", "data") into what each caller expects (which
// endpoint uses which, and why they differ: docs/protocol.md, "How the client reads a reply").
// Endpoint functions may be called from any thread; every completion runs on the GUI thread.
class OONetWorkTool
{
public:
    using Reply = std::optional<QJsonObject>;
    using Error = std::optional<NetError>;
    using MessageCompletion = std::function<void(std::optional<QJsonObject>, std::optional<QString>)>;
    using ErrorCompletion = std::function<void(std::optional<QJsonObject>, std::optional<NetError>)>;
    using TextCompletion = std::function<void(std::optional<QString>, std::optional<NetError>)>;
    using HomeContentCompletion = std::function<void(std::optional<QJsonObject>, std::optional<QString>, std::optional<QString>)>;

    // "/" + Base64(AES(path + "/" + unix seconds)) with the path key; the plain path on failure.
    static QString encryptPath(const QString &path);
    static QString apiUrl(const QString &path);

    // --- readers -------------------------------------------------------------------------
    // The service writes "success" as a Boolean, and a few older endpoints as the number 1.
    static bool isSuccess(const QJsonObject &response);
    // "error_code" 101: the account alert already ran in the pipeline.
    static bool isAccountException(const QJsonObject &response);
    // What a failure without a message of the service's own says (localised SERVER_DATA_ERROR).
    static QString serverDataError();
    // Stores the user a successful sign-in reply carries in "data" (every key it came with) as
    // the signed-in user. False when "data" holds no user or the table did not keep it.
    static bool storeSignedInUser(const QJsonObject &response);
    static void parseResponse(const Reply &response, const Error &error, const MessageCompletion &completion);
    static void parseResourceResponse(const Reply &response, const Error &error, const MessageCompletion &completion);
    static void logResponse(const Reply &response, const Error &error);
    static void parseRegisterSignInResponse(const Reply &response, const Error &error);
    static void parseAccountInfoResponse(const Reply &response, const Error &error, const ErrorCompletion &completion);
    static void parseHomeContentResponse(const Reply &response, const Error &error, const HomeContentCompletion &completion);

    // --- endpoints -----------------------------------------------------------------------
    static void nodeList(const TextCompletion &completion);
    static void connect2(qint64 nodeInfoId, const HomeContentCompletion &completion);
    static void reportConnectionLog(const QJsonObject &report, const ErrorCompletion &completion);
    static void advertisements(int type, const MessageCompletion &completion);
    // Visitor sign-in: stores the user on success; the error text otherwise.
    static void login(const std::function<void(std::optional<QString>)> &completion);
    static void accountLoginAfterRegister(const QJsonObject &params);
    static void accountInfo(const ErrorCompletion &completion);
    static void unreadMessages(const OONetWork::Completion &completion);
    static void domainHosts(const MessageCompletion &completion);
    static void notificationList(const TextCompletion &completion);
    static void systemSetting(const MessageCompletion &completion);
    static void updateApp(const ErrorCompletion &completion);
    static void resourcePackageVersion(const MessageCompletion &completion);
    static void routerFiles(const MessageCompletion &completion);

    // Account requests. Each hands the whole reply (or nothing) to `completion` exactly once;
    // the forms read it with their own reader, since a (dictionary, message) pair cannot tell a
    // refusal without a message from error 101. Nothing is stored here, not even on a sign-in:
    // the form's reader (AccountReply) stores the user, whether or not the form is still there.
    using AccountCall = void (*)(const QJsonObject &params, const ErrorCompletion &completion);
    static void accountLogin(const QJsonObject &params, const ErrorCompletion &completion);
    static void getQRCode(const ErrorCompletion &completion);
    static void queryQRCode(const QJsonObject &qrRecord, const ErrorCompletion &completion);
    static void signInByQRCode(const QString &token, const ErrorCompletion &completion);
    static void sendRegisterCode(const QJsonObject &params, const ErrorCompletion &completion);
    static void sendEmail(const QJsonObject &params, const ErrorCompletion &completion);
    static void registerAccount(const QJsonObject &params, const ErrorCompletion &completion);
    static void getBackPassword(const QJsonObject &params, const ErrorCompletion &completion);
    static void boundAccount(const QJsonObject &params, const ErrorCompletion &completion);
    static void updatePassword(const QJsonObject &params, const MessageCompletion &completion);
    static void messageList(int page, const MessageCompletion &completion);
    // The read mark ("messageId" as text). The reply is only logged; `stored` then tells the
    // caller whether the service took the mark (those who count unread messages ask again).
    static void readMessage(qint64 messageId, const std::function<void(bool stored)> &stored = {});
    static void feedbackList(int page, const MessageCompletion &completion);
    static void feedbackRecord(qint64 feedbackId, const MessageCompletion &completion);

    // Multipart uploads. `pictures` are JPEG bytes (the screens encode their images at the
    // highest quality); their names come from `fileNames` at the same index. Both always
    // complete: an unreadable reply gives (nothing, "Decryption failure").
    static void createFeedback(const QString &kind, const std::optional<QList<QByteArray>> &pictures,
                               const std::optional<QStringList> &fileNames, const QString &content,
                               const std::optional<QString> &contact, const MessageCompletion &completion);
    static void resendFeedback(const QList<QByteArray> &images, const QStringList &fileNames,
                               const std::optional<QString> &content, qint64 feedbackId,
                               const MessageCompletion &completion);

    // Decrypts an upload reply with the upload key: the JSON object, or nothing.
    static std::optional<QJsonObject> decodeUploadReply(const QByteArray &body);

private:
    OONetWorkTool() = delete;
    static void request(const QString &method, const QString &path, const std::optional<QJsonObject> &params,
                        const OONetWork::Completion &completion);
    using MessageReader = void (*)(const Reply &, const Error &, const MessageCompletion &);
    // The common shape of most endpoints: the request, then one reader over its reply.
    static void requestRead(const QString &method, const QString &path, const std::optional<QJsonObject> &params,
                            MessageReader reader, const MessageCompletion &completion);
    enum class SilentOn { RefusedAccount, AnyAccountException };
    static void parseEnvelope(const Reply &response, const MessageCompletion &completion,
                              SilentOn silentOn = SilentOn::RefusedAccount);
    static void printReply(const Reply &response, const Error &error);
    static void handleUploadReply(const std::optional<QByteArray> &body, const std::optional<NetError> &error,
                                  const MessageCompletion &completion);
    static QList<MultipartPart> appInfoParts();
};
