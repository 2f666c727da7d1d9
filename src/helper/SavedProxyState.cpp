#include "helper/SavedProxyState.h"

#include "common/WholeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {

constexpr qint64 kMaxFileSize = 256 * 1024;
constexpr qsizetype kMostListeners = 8;
const QString kBackend = QStringLiteral("backend");
const QString kState = QStringLiteral("state");
// The names older helpers read: what a restore gives back, and what the last enable left.
const QString kToRestore = QStringLiteral("snapshot");
const QString kApplied = QStringLiteral("applied");
const QString kFound = QStringLiteral("found");
// An older helper's mark of a decided restore, read but no longer written.
const QString kRestoring = QStringLiteral("restoring");
const QString kListeners = QStringLiteral("listeners");
const QString kWrittenInPlace = QStringLiteral("writtenInPlace");
const QString kUsersOwnKept = QStringLiteral("usersOwnKept");

const QString kSaved = QStringLiteral("saved");
const QString kAppliedState = QStringLiteral("applied");
const QString kRestoringState = QStringLiteral("restoring");

QString stateName(SavedProxyState::Stage stage)
{
    switch (stage) {
    case SavedProxyState::Stage::Saved:
        return kSaved;
    case SavedProxyState::Stage::Applied:
        return kAppliedState;
    case SavedProxyState::Stage::Restoring:
        return kRestoringState;
    }
    return kSaved;
}

// The state a copy's object is in, by its "state", or by the keys an older helper wrote; nothing
// for a shape no helper writes.
std::optional<SavedProxyState::Stage> stageOf(const QJsonObject &object)
{
    using Stage = SavedProxyState::Stage;
    const QJsonValue applied = object.value(kApplied);
    const QJsonValue found = object.value(kFound);
    const QJsonValue restoring = object.value(kRestoring);
    if (!object.value(kBackend).isString() || !object.value(kToRestore).isObject())
        return std::nullopt;
    if (!(applied.isUndefined() || applied.isObject()) || !(found.isUndefined() || found.isObject())
        || !(restoring.isUndefined() || restoring.isBool()))
        return std::nullopt;
    const QJsonValue state = object.value(kState);
    if (state.isUndefined()) {
        if (restoring.toBool())
            return Stage::Restoring;
        return applied.isObject() ? Stage::Applied : Stage::Saved;
    }
    if (state == kSaved)
        return Stage::Saved;
    if (state == kAppliedState)
        return applied.isObject() ? std::optional(Stage::Applied) : std::nullopt;
    if (state == kRestoringState)
        return Stage::Restoring;
    return std::nullopt;
}

QJsonObject listenerJson(const SavedProxyState::Listener &listener)
{
    return {{QStringLiteral("port"), listener.port},
            {QStringLiteral("socksPort"), listener.socksPort},
            {QStringLiteral("pac"), listener.pac}};
}

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

QString SavedProxyState::listenerFilePath() const
{
    return m_folder + QStringLiteral("/listener.json");
}

bool SavedProxyState::exists() const
{
    return QFile::exists(filePath());
}

bool SavedProxyState::anyRecord() const
{
    return exists() || QFile::exists(listenerFilePath());
}

QString SavedProxyState::save(const Entry &entry)
{
    QJsonObject object = {
        {kBackend, entry.backend},
        {kState, stateName(entry.stage)},
        {kToRestore, entry.toRestore},
        {QStringLiteral("saved_at"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
    };
    if (entry.untouched)
        object.insert(entry.stage == Stage::Applied ? kApplied : kFound, *entry.untouched);
    if (entry.stage == Stage::Restoring && !entry.usersOwnKeys.isEmpty())
        object.insert(kUsersOwnKept, QJsonArray::fromStringList(entry.usersOwnKeys));
    return write(filePath(), object);
}

QString SavedProxyState::recordApplied(const QJsonObject &applied)
{
    return edit([&applied](QJsonObject &object) {
        object.insert(kState, kAppliedState);
        object.insert(kApplied, applied);
        object.remove(kFound);
        object.remove(kRestoring);
        object.remove(kUsersOwnKept);
    });
}

QString SavedProxyState::forgetApplied()
{
    return edit([](QJsonObject &object) {
        object.insert(kState, kSaved);
        object.remove(kApplied);
    });
}

QString SavedProxyState::edit(const std::function<void(QJsonObject &)> &change)
{
    QString error;
    bool setAside = false;
    std::optional<QJsonObject> object = readObject(&error, &setAside);
    if (!object)
        return error.isEmpty() ? QStringLiteral("no saved proxy settings to change") : error;
    change(*object);
    return write(filePath(), *object);
}

QString SavedProxyState::write(const QString &path, const QJsonObject &object)
{
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("cannot create %1").arg(m_folder);
    QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return WholeFile::write(path, QJsonDocument(object).toJson(QJsonDocument::Indented),
                            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

std::optional<QJsonObject> SavedProxyState::readObject(QString *error, bool *setAside) const
{
    QFile file(filePath());
    if (!file.exists())
        return std::nullopt;
    // A file that cannot be opened or read may be a passing fault: it stays, and says why.
    if (file.size() <= kMaxFileSize && !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("the saved proxy settings cannot be read: %1").arg(file.errorString());
        return std::nullopt;
    }
    QJsonDocument document;
    if (file.isOpen()) {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            *error = QStringLiteral("the saved proxy settings cannot be read: %1").arg(file.errorString());
            return std::nullopt;
        }
        document = QJsonDocument::fromJson(bytes);
    }
    file.close();
    const QJsonObject object = document.object();
    if (stageOf(object))
        return object;
    const QString aside = filePath() + QStringLiteral(".damaged");
    QFile::remove(aside);
    QFile::rename(filePath(), aside);
    *setAside = true;
    *error = QStringLiteral("the saved proxy settings were damaged and were set aside as %1").arg(aside);
    return std::nullopt;
}

SavedProxyState::Loaded SavedProxyState::load(const std::function<bool(const QJsonObject &)> &isUsable) const
{
    Loaded loaded;
    const std::optional<QJsonObject> object = readObject(&loaded.error, &loaded.setAside);
    if (!object)
        return loaded;
    Entry entry{object->value(kBackend).toString(), *stageOf(*object), object->value(kToRestore).toObject(), std::nullopt};
    if (entry.stage == Stage::Applied)
        entry.untouched = object->value(kApplied).toObject();
    else if (entry.stage == Stage::Restoring && object->value(kFound).isObject())
        entry.untouched = object->value(kFound).toObject();
    if (entry.stage == Stage::Restoring) {
        for (const QJsonValue &key : object->value(kUsersOwnKept).toArray()) {
            if (key.isString())
                entry.usersOwnKeys.append(key.toString());
        }
    }
    // Refused by the backend that wrote it (a value it would never write, a key it does not
    // manage): no restore could ever write it, so it is as damaged as a file cut in half.
    if (isUsable && !isUsable(entry.toRestore)) {
        const QString aside = filePath() + QStringLiteral(".damaged");
        QFile::remove(aside);
        QFile::rename(filePath(), aside);
        loaded.setAside = true;
        loaded.error = QStringLiteral("the saved proxy settings hold what the %1 backend refuses and were set aside as %2")
                           .arg(entry.backend, aside);
        return loaded;
    }
    loaded.entry = entry;
    return loaded;
}

bool SavedProxyState::clear()
{
    for (const QString &path : {filePath(), listenerFilePath()}) {
        if (QFile::exists(path))
            QFile::remove(path);
    }
    return !anyRecord();
}

std::optional<QJsonObject> SavedProxyState::readListenerRecord() const
{
    QFile file(listenerFilePath());
    if (!file.exists() || file.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}

QString SavedProxyState::writeListenerRecord(const QJsonObject &object)
{
    return write(listenerFilePath(), object);
}

QString SavedProxyState::recordListener(const Listener &listener)
{
    QJsonObject record = readListenerRecord().value_or(QJsonObject());
    QJsonArray known = record.value(kListeners).toArray();
    const QJsonObject entry = listenerJson(listener);
    if (known.contains(entry))
        return {};
    known.append(entry);
    while (known.size() > kMostListeners)
        known.removeFirst();
    record.insert(kListeners, known);
    return writeListenerRecord(record);
}

QList<SavedProxyState::Listener> SavedProxyState::listeners() const
{
    QList<Listener> found;
    const std::optional<QJsonObject> record = readListenerRecord();
    if (!record)
        return found;
    for (const QJsonValue &value : record->value(kListeners).toArray()) {
        const QJsonObject object = value.toObject();
        Listener listener{object.value(QStringLiteral("port")).toInt(), object.value(QStringLiteral("socksPort")).toInt(),
                          object.value(QStringLiteral("pac")).toString()};
        if (listener.port > 0 || listener.socksPort > 0 || !listener.pac.isEmpty())
            found.append(listener);
    }
    return found;
}

QJsonObject SavedProxyState::writtenInPlace() const
{
    return readListenerRecord().value_or(QJsonObject()).value(kWrittenInPlace).toObject();
}

QString SavedProxyState::recordWrittenInPlace(const QJsonObject &keyValues)
{
    QJsonObject record = readListenerRecord().value_or(QJsonObject());
    record.insert(kWrittenInPlace, keyValues);
    return writeListenerRecord(record);
}
