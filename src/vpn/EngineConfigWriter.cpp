#include "vpn/EngineConfigWriter.h"

#include "common/AppPaths.h"
#include "common/WholeFile.h"
#include "vpn/VpnLog.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <cerrno>

namespace {

constexpr QFileDevice::Permissions kOwnerOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

EngineConfigWriter::Result failure(const QString &path, const QString &error)
{
    qCWarning(lcVpn).noquote() << "engine configuration not written:" << path << error;
    return EngineConfigWriter::Result{false, path, error};
}

} // namespace

EngineConfigWriter::Result EngineConfigWriter::writePrivateJson(const QString &fileName, const QJsonObject &content)
{
    return writeJson(AppPaths::privateFolder(), fileName, content);
}

EngineConfigWriter::Result EngineConfigWriter::writeJson(const QString &folder, const QString &fileName,
                                                         const QJsonObject &content)
{
    const QString path = folder + QLatin1Char('/') + fileName;
    qCDebug(lcVpn).noquote() << path;
    errno = 0;
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) {
        const int error = errno;
        return failure(path, QStringLiteral("cannot make the folder %1: %2")
                                 .arg(folder, error != 0 ? qt_error_string(error) : QStringLiteral("unknown error")));
    }
    // Tighten the folder even when someone else created it more open.
    if (!QFile::setPermissions(folder, kOwnerOnlyFolder))
        return failure(path, QStringLiteral("cannot restrict the folder's permissions"));

    // Written whole with owner-only permissions from its first byte (the old file's are not
    // copied), or not at all: on a full disk the old file stays and the reason comes back.
    const QString error = WholeFile::write(path, QJsonDocument(content).toJson(QJsonDocument::Compact),
                                           kOwnerOnlyFile);
    if (!error.isEmpty())
        return failure(path, error);
    return Result{true, path, QString()};
}
