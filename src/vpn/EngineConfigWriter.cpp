#include "vpn/EngineConfigWriter.h"

#include "common/AppPaths.h"
#include "vpn/VpnLog.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>

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
    if (!QDir(folder).exists() && !QDir().mkpath(folder))
        return failure(path, QStringLiteral("cannot create the folder"));
    // Tighten the folder even when someone else created it more open.
    if (!QFile::setPermissions(folder, kOwnerOnlyFolder))
        return failure(path, QStringLiteral("cannot restrict the folder's permissions"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, file.errorString());
    // QSaveFile copies the old file's permissions onto the new one; secrets stay owner-only.
    if (!file.setPermissions(kOwnerOnlyFile)) {
        file.cancelWriting();
        return failure(path, QStringLiteral("cannot restrict the file's permissions"));
    }
    const QByteArray text = QJsonDocument(content).toJson(QJsonDocument::Compact);
    if (file.write(text) != text.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return failure(path, error);
    }
    if (!file.commit())
        return failure(path, file.errorString());
    return Result{true, path, QString()};
}
