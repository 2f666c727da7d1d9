#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// What the client and the proxy-settings helper agree on, for both to include: one JSON object
// per line over a Unix socket, {"id", "method", "params"} to the helper and {"id", "result"} or
// {"id", "error"} back, on a socket path both find without talking first.
// The helper program carries its version in its own file, as an information list the client
// reads without starting it: this marker, the version, a line feed.
#define OSTREL_HELPER_INFO_MARKER "OSTREL-HELPER-INFO CFBundleShortVersionString="

namespace HelperProtocol {

inline const QString kGetVersion = QStringLiteral("getVersion");
inline const QString kEnableProxy = QStringLiteral("enableProxy");
inline const QString kDisableProxy = QStringLiteral("disableProxy");
inline const QString kRestoreProxy = QStringLiteral("restoreProxy");
inline const QString kGetCurrentProxySetting = QStringLiteral("getCurrentProxySetting");
// {"restore": bool}: whether the helper gives the user's settings back by itself when this
// connection ends (the client killed or crashed) while an enable sent on it is in place. Until a
// connection asks, it is false, as for clients that never ask.
inline const QString kSetRestoreOnClientEnd = QStringLiteral("setRestoreOnClientEnd");
// Beside a disable's "error": true when the store did not take the restore yet and the helper
// goes on trying by itself, so the client's part of the disconnect is done.
inline const QString kRestoreWaits = QStringLiteral("restoreWaits");

// The longest request line the helper reads; a peer that sends more is answered once and dropped.
constexpr qint64 kMaxRequestLine = 64 * 1024;

// The socket's name in the user's runtime folder, where the helper's systemd socket unit listens
// too (resources/systemd/ostrel-helper.socket).
inline constexpr char kSocketName[] = "ostrel-helper.sock";

// In the user's runtime folder; without one, a name of the user's own in the temporary folder.
QString defaultSocketPath();

// The longest Unix socket path, in bytes as encoded for the file system, that a socket can be
// bound at: the kernel's sun_path holds 108 bytes with the terminating NUL, and Qt's local server
// refuses a path that fills it ("QLocalServer::listen: Name error" at 107 bytes).
constexpr qsizetype kLongestSocketPath = 106;

// Why no Unix socket can be bound or reached at `path`, or nothing when one can.
std::optional<QString> socketPathError(const QString &path);

// The uid of the process at the other end of a connected Unix socket as the kernel reports it
// (SO_PEERCRED), never as the peer says; -1 when it cannot be read.
qint64 peerUid(qintptr descriptor);
// The helper changes one user's desktop settings, so it answers that user only.
bool helperAcceptsPeer(qint64 uid);
// Where the socket sits in a shared folder (/tmp when there is no runtime folder), another user
// could be listening there first and answer in the helper's name: the client believes only a
// helper of its own user or root.
bool clientTrustsPeer(qint64 uid);

struct Request
{
    QJsonValue id; // a number or a text as sent; null when the line gave no usable one
    QString method;
    QJsonObject params;
    QString error; // empty when the request is well formed
};

// One request line as the helper reads it; nothing for a blank line, which gets no reply.
std::optional<Request> parseRequest(const QByteArray &line);

// The id of a reply line to one of the client's calls: the client numbers its calls from 1, so
// anything else (a fraction, a text, a number past what a double holds) answers nothing asked.
std::optional<qint64> replyId(const QJsonValue &id);

// The version a helper program's file carries (see OSTREL_HELPER_INFO_MARKER); nothing when the
// file cannot be read or carries none.
std::optional<QString> versionInProgram(const QString &programPath);

} // namespace HelperProtocol
