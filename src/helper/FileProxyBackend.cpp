#include "helper/FileProxyBackend.h"

#include "helper/BackendFile.h"

#include <QFile>
#include <QJsonDocument>

namespace {

constexpr qint64 kMaxFileSize = 256 * 1024;
const QString kExists = QStringLiteral("exists");
const QString kContent = QStringLiteral("content");

} // namespace

FileProxyBackend::FileProxyBackend(const QString &filePath)
    : m_filePath(filePath)
{
}

std::optional<QJsonObject> FileProxyBackend::readObject(QString *error) const
{
    const std::optional<QByteArray> bytes = BackendFile::read(m_filePath, kMaxFileSize, error);
    if (!bytes)
        return std::nullopt;
    if (bytes->isEmpty() && !QFile::exists(m_filePath))
        return QJsonObject();
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    if (!document.isObject()) {
        *error = QStringLiteral("%1 is not a JSON object").arg(m_filePath);
        return std::nullopt;
    }
    return document.object();
}

QString FileProxyBackend::writeObject(const QJsonObject &object) const
{
    return BackendFile::write(m_filePath, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

std::optional<QJsonObject> FileProxyBackend::snapshot(QString *error)
{
    const bool exists = QFile::exists(m_filePath);
    const std::optional<QJsonObject> content = readObject(error);
    if (!content)
        return std::nullopt;
    return QJsonObject{{kExists, exists}, {kContent, *content}};
}

bool FileProxyBackend::isValidSnapshot(const QJsonObject &snapshot) const
{
    return snapshot.value(kExists).isBool() && snapshot.value(kContent).isObject();
}

QString FileProxyBackend::restoreSnapshot(const QJsonObject &snapshot)
{
    if (!isValidSnapshot(snapshot))
        return QStringLiteral("saved settings are damaged");
    if (snapshot.value(kExists).toBool())
        return writeObject(snapshot.value(kContent).toObject());
    if (QFile::exists(m_filePath) && !QFile::remove(m_filePath))
        return QStringLiteral("cannot remove %1").arg(m_filePath);
    return {};
}

std::optional<ProxySettings> FileProxyBackend::read(QString *error)
{
    const std::optional<QJsonObject> object = readObject(error);
    if (!object)
        return std::nullopt;
    if (object->isEmpty())
        return ProxySettings();
    return ProxySettings::fromJson(*object, error);
}

QString FileProxyBackend::apply(const ProxySettings &settings)
{
    return writeObject(settings.toJson());
}
