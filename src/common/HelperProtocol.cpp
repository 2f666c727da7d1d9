#include "common/HelperProtocol.h"

#include "common/JsonUtils.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace HelperProtocol {

static_assert(kLongestSocketPath == sizeof(sockaddr_un::sun_path) - 2);

QString defaultSocketPath()
{
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        return QDir::tempPath() + QStringLiteral("/ostrel-helper-%1.sock").arg(::geteuid());
    return folder + QLatin1Char('/') + QLatin1String(kSocketName);
}

std::optional<QString> socketPathError(const QString &path)
{
    // Qt puts a name that is not a path in the temporary folder.
    const QString full = path.startsWith(QLatin1Char('/')) ? path : QDir::tempPath() + QLatin1Char('/') + path;
    const qsizetype length = QFile::encodeName(full).size();
    if (length <= kLongestSocketPath)
        return std::nullopt;
    return QStringLiteral("the socket path %1 is too long: %2 bytes, where a Unix socket takes at most %3")
        .arg(full)
        .arg(length)
        .arg(kLongestSocketPath);
}

qint64 peerUid(qintptr descriptor)
{
    struct ucred credentials = {};
    socklen_t length = sizeof(credentials);
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return -1;
    return credentials.uid;
}

bool helperAcceptsPeer(qint64 uid)
{
    return uid == static_cast<qint64>(::geteuid());
}

bool clientTrustsPeer(qint64 uid)
{
    return uid == static_cast<qint64>(::geteuid()) || uid == 0;
}

std::optional<Request> parseRequest(const QByteArray &line)
{
    if (line.trimmed().isEmpty())
        return std::nullopt;
    Request request;
    request.id = QJsonValue::Null;
    const QJsonDocument document = QJsonDocument::fromJson(line);
    if (!document.isObject()) {
        request.error = QStringLiteral("malformed request");
        return request;
    }
    const QJsonObject object = document.object();
    const QJsonValue id = object.value(QStringLiteral("id"));
    if (id.isDouble() || id.isString())
        request.id = id;
    const QJsonValue method = object.value(QStringLiteral("method"));
    const QJsonValue params = object.value(QStringLiteral("params"));
    if (!method.isString() || !(params.isUndefined() || params.isObject())) {
        request.error = QStringLiteral("malformed request");
        return request;
    }
    request.method = method.toString();
    request.params = params.toObject();
    return request;
}

std::optional<qint64> replyId(const QJsonValue &id)
{
    return JsonUtils::integerIn(id, 1, JsonUtils::kMaxExactInteger);
}

std::optional<QString> versionInProgram(const QString &programPath)
{
    QFile file(programPath);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return std::nullopt;
    // Mapped, not read: the program is megabytes, and this runs on the way to the first window.
    const uchar *bytes = file.map(0, file.size());
    if (!bytes)
        return std::nullopt;
    const QByteArrayView content(reinterpret_cast<const char *>(bytes), file.size());
    const QByteArrayView marker(OSTREL_HELPER_INFO_MARKER);
    constexpr qsizetype kLongestVersion = 64;
    for (qsizetype at = content.indexOf(marker); at >= 0; at = content.indexOf(marker, at + 1)) {
        const QByteArrayView rest = content.sliced(at + marker.size()).first(
            std::min(kLongestVersion + 1, content.size() - at - marker.size()));
        const qsizetype end = rest.indexOf('\n');
        // The marker alone (a reader's own copy of it) ends with a NUL, not with a version.
        if (end <= 0 || rest.first(end).contains('\0'))
            continue;
        return QString::fromUtf8(rest.first(end));
    }
    return std::nullopt;
}

} // namespace HelperProtocol
