#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

#include "networking/DownloadProgress.h"
#include "networking/NetError.h"
#include "networking/OONetParamManager.h"
#include "networking/OOReachability.h"

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;


struct MultipartPart
{
    QString name;
    QByteArray data;
    QString fileName;      // empty for a text part
    QString contentType;   // empty for a text part
};

// The request functions of the API client. One network manager on the GUI thread carries every
// request; entry points may be called from any thread and move themselves to the GUI thread, and
// every completion runs there. At the start a request waits, bounded, while the desktop still
// names the listener a killed run left there (StartRestoreGate).
class OONetWork : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(std::optional<QJsonObject>, std::optional<NetError>)>;
    using RawCompletion = std::function<void(std::optional<QByteArray>, std::optional<NetError>)>;
    using DownloadHandler = ::DownloadHandler;

    static OONetWork &shared();

    // The encrypted API request: identity merged under `params`, the envelope, the common signed
    // headers (`headers` replace them when given), the fingerprint check, the request log, the
    // decryption and the account checks. A reply with a foreign fingerprint is dropped unread and
    // completes as a transport failure (NetError::ForeignServer, no body).
    void requestData(const QString &method, const QString &url, bool decryptResponse,
                     const std::optional<QJsonObject> &params, const std::optional<HeaderMap> &headers,
                     Completion completion);

    // A plain request (archives, images): raw bytes, no envelope, 60 s time-out, one log row.
    void requestConfigRawData(const QString &method, const QString &url, RawCompletion completion);

    // The installer download (an `InstallerDownload`) into "<Downloads>/翠鸟通行器Pro.deb" (a Debian package of the client). The file only appears there
    // once complete; a failed or broken transfer leaves any earlier file untouched.
    // The file is written on a thread of its own as it arrives; progress comes a few times a
    // second (and once at the end); a transfer that grows past the length the server announced,
    // or past a limit no installer of this client comes near (4 GiB), fails.
    void download(const QString &url, DownloadHandler handler);
    static QString downloadDestination();
    // 0 or less: the usual limit.
    static void setInstallerLimitForTesting(qint64 bytes);

    // Multipart POST without envelope or fingerprint check (the feedback uploads).
    void uploadMultipart(const QString &url, const QList<MultipartPart> &parts, const HeaderMap &headers,
                         RawCompletion completion);

    static void networkStatusChanged(OOReachability::Status status, const std::function<void(bool)> &callback);
    void showNetworkHint(const QString &text);
    void checkAccountException(const QJsonObject &response);
    void accountExceptionGotIt();

    static HeaderMap buildCommonHeaders(const HeaderMap &extra, bool fileSecret);
    static QJsonObject mergeAppInfoParameters(const std::optional<QJsonObject> &params);

    // Base64 ciphertext in, JSON object out; the error says why not. Pure: shared with the fuzzer.
    static std::optional<QJsonObject> decodeResponseBody(const QByteArray &body, NetError *error);
    static QString expectedEtag();
    // https anywhere; plain http only to loopback hosts (the stand-in service, local tests).
    static bool isAllowedUrl(const QUrl &url);
    static QString hintForError(int networkError);

    // Every reply but the installer's is held to this size, read or not.
    static constexpr qint64 MaxResponseBytes = 32 * 1024 * 1024;
    // An API request ends by this time however steadily its reply still trickles in (the
    // time-out counts only silence), and fails as a time-out does.
    static constexpr int RequestDeadlineMs = 30000;
    // The deadline API requests get now (RequestDeadlineMs unless a test shortened it); the local
    // pages' own requests to the service are held to it too.
    int requestDeadlineMs() const { return m_requestDeadlineMs; }
    // The silence after which an API request is given up (unless a test changed it).
    int requestTimeoutMs() const { return m_requestTimeoutMs; }

    // The HTTP status when the server answered with one that is not a success, else Qt's error
    // number; the message is the localised hint.
    static NetError transportError(QNetworkReply *reply);

    void setTimeoutsForTesting(int requestMs, int rawMs);
    void setDeadlinesForTesting(int requestMs, int rawMs);
    // Back to the state of a fresh process: usual time-outs, no account alert on the screen.
    void resetForTesting();
    QNetworkAccessManager *manager() const { return m_manager; }

private:
    explicit OONetWork(QObject *parent = nullptr);

    bool runOnOwnThread(std::function<void()> task);
    // True (and `fail` queued) for an address the client must not talk to.
    bool refuseUrl(const QUrl &url, const std::function<void(NetError)> &fail);
    void sendData(const QString &method, const QString &url, bool decryptResponse,
                  const std::optional<QJsonObject> &params, const std::optional<HeaderMap> &headers,
                  Completion completion);
    QNetworkReply *send(const QString &method, QNetworkRequest request, const QByteArray &body);
    void handleDataReply(QNetworkReply *reply, bool decryptResponse, const QElapsedTimer &clock,
                         const QString &method, const QString &path, const Completion &completion);
    static void followSafeRedirects(QNetworkRequest &request);
    void verifyRedirects(QNetworkReply *reply);
    void insertRequestLog(const QString &method, const QString &path, int status, qint64 durationMs, int errorCode);
    void startDownload(const QString &url, DownloadHandler handler);

    QNetworkAccessManager *m_manager = nullptr;
    static constexpr int kRequestTimeoutMs = 15000;
    static constexpr int kRawTimeoutMs = 60000;
    // Archives, images and uploads of pictures may take minutes on a slow line; not for ever.
    static constexpr int kRawDeadlineMs = 10 * 60 * 1000;

    int m_requestTimeoutMs = kRequestTimeoutMs;
    int m_rawTimeoutMs = kRawTimeoutMs;
    int m_requestDeadlineMs = RequestDeadlineMs;
    int m_rawDeadlineMs = kRawDeadlineMs;
    bool m_accountAlertShown = false;
};
