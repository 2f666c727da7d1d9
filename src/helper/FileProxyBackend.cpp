#include "helper/FileProxyBackend.h"

#include "helper/BackendFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr qint64 kMaxFileSize = 256 * 1024;
const QString kExists = QStringLiteral("exists");
const QString kContent = QStringLiteral("content");
const QString kExceptions = QStringLiteral("ignore_hosts");

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
    if (!snapshot.value(kExists).isBool() || !snapshot.value(kContent).isObject())
        return false;
    // Only what this backend's own reader takes: anything else, written back, would leave a file
    // the helper cannot read, which the next connect would keep again as the user's.
    QString error;
    return settingsOf(snapshot, &error).has_value();
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

std::optional<ProxySettings> FileProxyBackend::settingsOf(const QJsonObject &snapshot, QString *error) const
{
    const QJsonObject content = snapshot.value(kContent).toObject();
    if (content.isEmpty())
        return ProxySettings();
    return ProxySettings::fromJson(content, error);
}

QJsonObject FileProxyBackend::noProxySnapshot() const
{
    return {{kExists, false}, {kContent, QJsonObject()}};
}

QList<ProxyBackend::KeyGroup> FileProxyBackend::keyGroups() const
{
    return settingsKeyGroups();
}

QList<ProxyBackend::KeyGroup> FileProxyBackend::settingsKeyGroups()
{
    using Role = KeyGroup::Role;
    return {
        {Role::Mode, {QStringLiteral("mode")}},
        {Role::Route, {QStringLiteral("autoconfig_url")}},
        {Role::Bypass, {kExceptions}, kExceptions},
        {Role::Route, {QStringLiteral("socks_host"), QStringLiteral("socks_port")}},
        {Role::Route, {QStringLiteral("http_host"), QStringLiteral("http_port")}},
    };
}

QJsonObject FileProxyBackend::keyValues(const QJsonObject &snapshot) const
{
    // A missing (or empty) file is no proxy, and reads as the settings' own "no proxy": a restore
    // that keeps a group of the user's on top of it then writes a file this backend can read.
    const QJsonObject content = snapshot.value(kContent).toObject();
    return content.isEmpty() ? ProxySettings().toJson() : content;
}

std::optional<QStringList> FileProxyBackend::listEntries(const QJsonObject &keyValues) const
{
    return settingsListEntries(keyValues);
}

QJsonValue FileProxyBackend::listValue(const QStringList &entries) const
{
    return settingsListValue(entries);
}

std::optional<QStringList> FileProxyBackend::settingsListEntries(const QJsonObject &settings)
{
    const QJsonValue value = settings.value(kExceptions);
    if (value.isUndefined() || value.isNull())
        return QStringList();
    if (!value.isArray())
        return std::nullopt;
    QStringList entries;
    for (const QJsonValue &entry : value.toArray()) {
        if (!entry.isString())
            return std::nullopt;
        entries.append(entry.toString());
    }
    return entries;
}

QJsonValue FileProxyBackend::settingsListValue(const QStringList &entries)
{
    return QJsonArray::fromStringList(entries);
}

QJsonObject FileProxyBackend::snapshotOfKeys(const QJsonObject &keyValues) const
{
    return {{kExists, true}, {kContent, keyValues}};
}

QString FileProxyBackend::apply(const ProxySettings &settings)
{
    return writeObject(settings.toJson());
}
