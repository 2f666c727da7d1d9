#include "helper/SavedProxyState.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr qint64 kMaxFileSize = 256 * 1024;
const QString kBackend = QStringLiteral("backend");
const QString kSnapshot = QStringLiteral("snapshot");
const QString kApplied = QStringLiteral("applied");
const QString kRestoring = QStringLiteral("restoring");

} // namespace

SavedProxyState::SavedProxyState(const QString &folder)
    : m_folder(folder)
{
}

QString SavedProxyState::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/ostrel-helper");
}

QString SavedProxyState::filePath() const
{
    return m_folder + QStringLiteral("/saved-proxy-settings.json");
}

bool SavedProxyState::exists() const
{
    return QFile::exists(filePath());
}

QString SavedProxyState::save(const Entry &entry)
{
    QJsonObject object = {
        {kBackend, entry.backend},
        {kSnapshot, entry.snapshot},
        {QStringLiteral("saved_at"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
    };
    if (entry.applied)
        object.insert(kApplied, *entry.applied);
    if (entry.restoring)
        object.insert(kRestoring, true);
    return write(object);
}

QString SavedProxyState::recordApplied(const QJsonObject &applied)
{
    QString error;
    std::optional<QJsonObject> object = readObject(&error);
    if (!object)
        return error.isEmpty() ? QStringLiteral("no saved proxy settings to add to") : error;
    object->insert(kApplied, applied);
    return write(*object);
}

QString SavedProxyState::forgetApplied()
{
    QString error;
    std::optional<QJsonObject> object = readObject(&error);
    if (!object)
        return error.isEmpty() ? QStringLiteral("no saved proxy settings to change") : error;
    if (!object->contains(kApplied))
        return {};
    object->remove(kApplied);
    return write(*object);
}

QString SavedProxyState::write(const QJsonObject &object)
{
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("cannot create %1").arg(m_folder);
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QSaveFile file(filePath());
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot save the current proxy settings");
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
    if (!file.commit())
        return QStringLiteral("cannot save the current proxy settings");
    return {};
}

std::optional<QJsonObject> SavedProxyState::readObject(QString *error) const
{
    QFile file(filePath());
    if (!file.exists())
        return std::nullopt;
    QJsonDocument document;
    if (file.size() <= kMaxFileSize && file.open(QIODevice::ReadOnly))
        document = QJsonDocument::fromJson(file.readAll());
    file.close();
    const QJsonObject object = document.object();
    const QJsonValue applied = object.value(kApplied);
    const QJsonValue restoring = object.value(kRestoring);
    if (!object.value(kBackend).isString() || !object.value(kSnapshot).isObject()
        || !(applied.isUndefined() || applied.isObject()) || !(restoring.isUndefined() || restoring.isBool())) {
        const QString aside = filePath() + QStringLiteral(".damaged");
        QFile::remove(aside);
        QFile::rename(filePath(), aside);
        *error = QStringLiteral("the saved proxy settings were damaged and were set aside as %1").arg(aside);
        return std::nullopt;
    }
    return object;
}

std::optional<SavedProxyState::Entry> SavedProxyState::load(QString *error) const
{
    const std::optional<QJsonObject> object = readObject(error);
    if (!object)
        return std::nullopt;
    Entry entry{object->value(kBackend).toString(), object->value(kSnapshot).toObject(), std::nullopt,
                object->value(kRestoring).toBool()};
    if (object->contains(kApplied))
        entry.applied = object->value(kApplied).toObject();
    return entry;
}

bool SavedProxyState::clear()
{
    return !QFile::exists(filePath()) || QFile::remove(filePath());
}
