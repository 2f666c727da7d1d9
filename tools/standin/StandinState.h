#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>
#include <optional>

#include "StandinArchives.h"
#include "StandinPageData.h"

// What the stand-in service remembers: accounts and tokens, verification codes, the QR
// sequence, lines, messages, notices, feedback, versions, and every upload it received (so
// tests can assert on them). Each API endpoint maps to one handler returning the reply envelope.
class StandinState
{
public:
    struct Request
    {
        QString method;
        QString path;
        QJsonObject params;
        QString token;   // from "Authorization: Bearer <token>", empty when absent
        QMap<QString, QString> headers;
    };

    struct FilePart
    {
        QString name;
        QString fileName;
        QString contentType;
        QByteArray content;
    };

    explicit StandinState(const QString &baseUrl);

    QJsonObject handle(const Request &request);
    QJsonObject createFeedback(const Request &request, const QList<FilePart> &parts);
    QJsonObject resendFeedback(const Request &request, const QList<FilePart> &parts);
    // A picture received with a feedback or a reply, by the name the service gave it.
    std::optional<QByteArray> picture(const QString &name) const;

    // Control settings that belong to the data (see StandinServer for the faults).
    void applyControl(const QJsonObject &control);
    QJsonObject records() const;
    QStringList remoteHosts() const;
    const StandinArchives &archives() const { return m_archives; }
    QString baseUrl() const { return m_baseUrl; }

private:
    using Handler = std::function<QJsonObject(const Request &)>;

    void registerHandlers();
    void registerMessageHandlers();
    QJsonArray defaultMessages() const;
    // The invitation, discovery and lottery pages' own requests.
    void registerPageHandlers();
    QJsonObject newUser(bool visitor, const QString &account);
    QJsonObject signInReply(const QJsonObject &user);
    QJsonObject userForToken(const QString &token) const;
    // The sign-in account (phone or e-mail) of a user id; empty for a visitor.
    QString accountOf(qint64 userId) const;
    QString issueToken(const QJsonObject &user);
    // The sign-ins and the accounts (registrations, bound e-mails and phones, passwords as salted
    // digests) kept in the owner-only file named by the control "sign_in_file", so a demo
    // profile's token and accounts still hold after the stand-in restarts.
    void loadKept();
    void saveKept() const;
    // The user's new record for every sign-in of it and its account, then kept.
    void storeUser(const QJsonObject &user);
    static QJsonObject accountEntry(const QJsonObject &user, const QString &password);
    static QJsonObject withPassword(QJsonObject entry, const QString &password);
    static QString passwordDigest(const QString &salt, const QString &password);
    static bool passwordMatches(const QJsonObject &entry, const QString &password);
    // A request's parameters as /__records shows them: every password (a key that names one)
    // as {salt, password_sha256}, the form the accounts keep.
    static QJsonObject withoutClearPasswords(const QJsonObject &params);
    QJsonObject lines() const;
    QJsonObject connectReply(qint64 lineId, const QJsonObject &user);
    int feedbackIndex(qint64 id) const;
    QString keepPicture(const FilePart &part);
    QJsonObject uploadRecord(const Request &request, const QList<FilePart> &parts, QJsonObject &fields, QStringList &pictureUrls);
    void addRecord(qint64 feedbackId, const QString &content, const QString &imageUrl, bool byUser);
    static QJsonObject ok(const QJsonValue &data = QJsonObject());
    static QJsonObject failure(const QString &message, int errorCode = 400, const QString &code = QString());

    mutable std::recursive_mutex m_mutex;
    QString m_baseUrl;
    StandinArchives m_archives;
    StandinPageData m_pageData;
    QMap<QString, Handler> m_handlers;

    QMap<QString, QJsonObject> m_usersByToken;
    QMap<QString, QJsonObject> m_accounts;       // account (phone or e-mail) -> {salt, password_sha256, user}
    qint64 m_nextUserId = 1001;
    QString m_signInFile;
    int m_qrStatus = 0;
    int m_forcedQrStatus = -1;
    bool m_qrManual = false;                                     // a phone app (control "qr_step") moves the code
    QString m_qrAccount = QStringLiteral("13800000000");         // who a confirmed code signs in
    QString m_qrToken;
    QJsonArray m_messages;
    QJsonArray m_feedback;
    QJsonArray m_feedbackRecords;
    QMap<qint64, int> m_feedbackState;          // 1 finished, 2 adopted, else open
    QMap<QString, QByteArray> m_pictures;       // received pictures by served name
    qint64 m_nextFeedbackId = 1;
    int m_updateState = 0;
    // The banner's "id" when set ("banner_id"; 0: its own), so that two answers can differ.
    qint64 m_bannerId = 0;
    // The notices list; set by the control endpoint ("notices"), one of each frequency at first.
    QJsonArray m_notices;
    // Replaces the account's "resource_version" when set ("resource_version", null: absent).
    std::optional<QJsonValue> m_resourceVersion;
    std::optional<QString> m_updateUrl;   // none: the stand-in's package
    QJsonObject m_ss;
    QStringList m_innerHosts;
    QStringList m_outUrls;
    QStringList m_remoteHosts;
    // Resource packages: the published versions and each route list's "updated_at", moved on by
    // the control endpoint together with the archives they describe.
    int m_aclVersion = 2;
    QString m_h5Version = QStringLiteral("2");
    QMap<QString, int> m_routeUpdatedAt;

    QJsonArray m_requests;
    QJsonArray m_analytics;
    QJsonArray m_requestLogs;
    QJsonArray m_connectionReports;
    QJsonArray m_uploads;
    QJsonArray m_codes;
};
