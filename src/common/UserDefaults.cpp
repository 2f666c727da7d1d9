#include "common/UserDefaults.h"

#include "common/AppPaths.h"
#include "common/Logger.h"
#include "common/CommonLog.h"
#include "common/WholeFile.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QMutexLocker>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace {

// On disk each value is {"t": type, "v": value}: JSON alone cannot tell 1 from 1.0 or from true.
const QString kTypeKey = QStringLiteral("t");
const QString kValueKey = QStringLiteral("v");

QJsonValue encode(const QVariant &value)
{
    QJsonObject out;
    switch (value.typeId()) {
    case QMetaType::Bool:
        out[kTypeKey] = QStringLiteral("bool");
        out[kValueKey] = value.toBool();
        break;
    case QMetaType::LongLong:
        out[kTypeKey] = QStringLiteral("int");
        // Text keeps every 64-bit value exact.
        out[kValueKey] = QString::number(value.toLongLong());
        break;
    case QMetaType::Double:
        out[kTypeKey] = QStringLiteral("double");
        out[kValueKey] = value.toDouble();
        break;
    case QMetaType::QString:
        out[kTypeKey] = QStringLiteral("string");
        out[kValueKey] = value.toString();
        break;
    case QMetaType::QJsonObject:
        out[kTypeKey] = QStringLiteral("dict");
        out[kValueKey] = value.toJsonObject();
        break;
    case QMetaType::QJsonArray:
        out[kTypeKey] = QStringLiteral("array");
        out[kValueKey] = value.toJsonArray();
        break;
    default:
        return QJsonValue::Undefined;
    }
    return out;
}

QVariant decode(const QJsonValue &stored)
{
    const QJsonObject o = stored.toObject();
    const QString type = o.value(kTypeKey).toString();
    const QJsonValue v = o.value(kValueKey);
    if (type == QLatin1String("bool") && v.isBool())
        return v.toBool();
    if (type == QLatin1String("int") && v.isString()) {
        bool ok = false;
        const qint64 n = v.toString().toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    if (type == QLatin1String("double") && v.isDouble())
        return v.toDouble();
    if (type == QLatin1String("string") && v.isString())
        return v.toString();
    if (type == QLatin1String("dict") && v.isObject())
        return v.toObject();
    if (type == QLatin1String("array") && v.isArray())
        return v.toArray();
    return {};
}

bool isNumber(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::Bool || t == QMetaType::LongLong || t == QMetaType::Double;
}

// Suites whose last write failed; while there are none a successful save has nothing to retry.
std::atomic<int> s_unsavedSuites{0};

QMutex s_registryMutex;
std::map<QString, std::unique_ptr<UserDefaults>> &registry()
{
    static std::map<QString, std::unique_ptr<UserDefaults>> suites;
    return suites;
}

const QString kStandardSuite = QStringLiteral("standard");

} // namespace

UserDefaults &UserDefaults::standard()
{
    return suite(kStandardSuite);
}

UserDefaults &UserDefaults::suite(const QString &name)
{
    QMutexLocker lock(&s_registryMutex);
    auto &suites = registry();
    auto it = suites.find(name);
    if (it == suites.end()) {
        std::unique_ptr<UserDefaults> created(new UserDefaults(name));
        it = suites.emplace(name, std::move(created)).first;
    }
    return *it->second;
}

void UserDefaults::reloadAllForTesting()
{
    QMutexLocker lock(&s_registryMutex);
    for (auto &[name, suite] : registry()) {
        QMutexLocker suiteLock(&suite->m_mutex);
        suite->m_values.clear();
        suite->m_registered.clear();
        suite->m_unreadable = QJsonObject();
        suite->load();
    }
}

UserDefaults::UserDefaults(const QString &name)
    : m_name(name)
{
    load();
}

QString UserDefaults::filePath() const
{
    return AppPaths::configFolder() + QLatin1Char('/') + m_name + QStringLiteral(".json");
}

void UserDefaults::load()
{
    QFile file(filePath());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcCommon) << "cannot read defaults file" << file.fileName() << file.errorString();
        return;
    }
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        // Keep the broken file for inspection instead of overwriting it with the next write.
        const QString aside = filePath() + QStringLiteral(".corrupt");
        QFile::remove(aside);
        QFile::rename(filePath(), aside);
        // Worth a line in the file log: every setting of this suite is back at its default.
        const QString line = QStringLiteral("Defaults file %1 is corrupt (%2); kept as %3, starting empty")
                                 .arg(filePath(), error.errorString(), aside);
        OSTREL_LOG(Logger::Error, line);
        qCWarning(lcCommon).noquote() << line;
        return;
    }
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QVariant value = decode(it.value());
        if (value.isValid()) {
            m_values.insert(it.key(), value);
            continue;
        }
        const QString line = QStringLiteral("Defaults %1: value of \"%2\" is unreadable; kept untouched")
                                 .arg(m_name, it.key());
        OSTREL_LOG(Logger::Warning, line);
        qCWarning(lcCommon).noquote() << line;
        m_unreadable.insert(it.key(), it.value());
    }
}

bool UserDefaults::save()
{
    QJsonObject root = m_unreadable;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        root.insert(it.key(), encode(it.value()));
    QString error;
    if (!AppPaths::ensureFolder(AppPaths::configFolder(), true))
        error = QStringLiteral("cannot make the folder %1").arg(AppPaths::configFolder());
    else
        error = WholeFile::write(filePath(), QJsonDocument(root).toJson(QJsonDocument::Compact),
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    noteWrite(error);
    return m_lastWriteOk;
}

void UserDefaults::noteWrite(const QString &error)
{
    const bool wasOk = m_lastWriteOk;
    m_lastWriteOk = error.isEmpty();
    // Said when it changes, not at every save: on a full disk each click would add a line.
    if (wasOk == m_lastWriteOk)
        return;
    s_unsavedSuites += m_lastWriteOk ? -1 : 1;
    if (!m_lastWriteOk) {
        const QString line = QStringLiteral("Settings not saved (%1); the file keeps what it had, and this run's "
                                            "changes hold until a save succeeds")
                                 .arg(error);
        OSTREL_LOG(Logger::Warning, line);
        qCWarning(lcCommon).noquote() << line;
        return;
    }
    const QString line = QStringLiteral("Settings saved again to %1").arg(filePath());
    OSTREL_LOG(Logger::Info, line);
    qCInfo(lcCommon).noquote() << line;
}

QVariant UserDefaults::lookup(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it != m_values.cend())
        return it.value();
    return m_registered.value(key);
}

QVariant UserDefaults::normalised(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QJsonObject:
    case QMetaType::QJsonArray:
        return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QVariant(value.toLongLong());
    case QMetaType::Float:
        return QVariant(value.toDouble());
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return QJsonObject::fromVariantMap(value.toMap());
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return QJsonArray::fromVariantList(value.toList());
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    case QMetaType::QJsonValue: {
        // A value taken straight out of a JSON reply: store what it holds (null is refused).
        const QJsonValue json = value.toJsonValue();
        if (json.isObject())
            return json.toObject();
        if (json.isArray())
            return json.toArray();
        const QVariant inner = json.toVariant();
        return inner.typeId() == QMetaType::QJsonValue ? QVariant() : normalised(inner);
    }
    default:
        return {};
    }
}

bool UserDefaults::contains(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return lookup(key).isValid();
}

QVariant UserDefaults::object(const QString &key) const
{
    QMutexLocker lock(&m_mutex);
    return lookup(key);
}

std::optional<bool> UserDefaults::boolValue(const QString &key) const
{
    const QVariant v = object(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (!isNumber(v))
        return std::nullopt;
    const double d = v.toDouble();
    if (d == 0.0 || d == 1.0)
        return d == 1.0;
    return std::nullopt;
}

std::optional<qint64> UserDefaults::integerValue(const QString &key) const
{
    const QVariant v = object(key);
    if (!isNumber(v))
        return std::nullopt;
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        // Past 2^63 the conversion is undefined; such a value is no integer of ours.
        if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    return v.toLongLong();
}

std::optional<double> UserDefaults::doubleValue(const QString &key) const
{
    const QVariant v = object(key);
    if (!isNumber(v))
        return std::nullopt;
    return v.toDouble();
}

std::optional<QString> UserDefaults::stringValue(const QString &key) const
{
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    return v.toString();
}

std::optional<QJsonObject> UserDefaults::dictionaryValue(const QString &key) const
{
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QJsonObject)
        return std::nullopt;
    return v.toJsonObject();
}

std::optional<QJsonArray> UserDefaults::arrayValue(const QString &key) const
{
    const QVariant v = object(key);
    if (v.typeId() != QMetaType::QJsonArray)
        return std::nullopt;
    return v.toJsonArray();
}

void UserDefaults::setBool(const QString &key, bool value)
{
    setValue(key, QVariant(value));
}

void UserDefaults::setInteger(const QString &key, qint64 value)
{
    setValue(key, QVariant(value));
}

void UserDefaults::setDouble(const QString &key, double value)
{
    setValue(key, QVariant(value));
}

void UserDefaults::setString(const QString &key, const QString &value)
{
    setValue(key, QVariant(value));
}

void UserDefaults::setDictionary(const QString &key, const QJsonObject &value)
{
    setValue(key, QVariant(value));
}

void UserDefaults::setArray(const QString &key, const QJsonArray &value)
{
    setValue(key, QVariant(value));
}

void UserDefaults::setValue(const QString &key, const QVariant &value)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    const QVariant stored = normalised(value);
    if (!stored.isValid()) {
        qCWarning(lcCommon) << "refusing to store a value of type" << value.typeName() << "under" << key;
        return;
    }
    QMutexLocker lock(&m_mutex);
    // Each write is a synchronous flush to disk; start-up alone sets three flags that nearly
    // always hold their value already. An unchanged value is on disk as it is, unless the last
    // write failed.
    const auto existing = m_values.constFind(key);
    if (existing != m_values.cend() && existing->metaType() == stored.metaType() && *existing == stored
        && m_lastWriteOk && !m_unreadable.contains(key))
        return;
    m_unreadable.remove(key);
    m_values.insert(key, stored);
    const bool saved = save();
    // Another suite is locked only once this one is not: two suites saving at once never wait
    // for each other.
    lock.unlock();
    if (saved)
        saveTheUnsaved();
}

void UserDefaults::remove(const QString &key)
{
    QMutexLocker lock(&m_mutex);
    const bool hadUnreadable = m_unreadable.contains(key);
    m_unreadable.remove(key);
    if (m_values.remove(key) == 0 && !hadUnreadable)
        return;
    const bool saved = save();
    lock.unlock();
    if (saved)
        saveTheUnsaved();
}

void UserDefaults::registerDefaults(const QVariantMap &defaults)
{
    QMutexLocker lock(&m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
        const QVariant v = normalised(it.value());
        if (v.isValid())
            m_registered.insert(it.key(), v);
    }
}

void UserDefaults::removePersistentDomain()
{
    QMutexLocker lock(&m_mutex);
    m_values.clear();
    m_unreadable = QJsonObject();
    QFile file(filePath());
    // Left on disk, the old values would come back at the next start.
    const bool removed = !file.exists() || file.remove();
    noteWrite(removed ? QString() : QStringLiteral("cannot remove %1: %2").arg(filePath(), file.errorString()));
}

bool UserDefaults::retrySave()
{
    QMutexLocker lock(&m_mutex);
    // What a failed write left unsaved is written now, if the disk takes it again.
    if (!m_lastWriteOk)
        save();
    return m_lastWriteOk;
}

bool UserDefaults::synchronize()
{
    if (!retrySave())
        return false;
    saveTheUnsaved();
    return true;
}

bool UserDefaults::synchronizeAll()
{
    std::vector<UserDefaults *> suites;
    {
        QMutexLocker lock(&s_registryMutex);
        // A suite, once made, lives as long as the program.
        for (const auto &[name, suite] : registry())
            suites.push_back(suite.get());
    }
    bool all = true;
    for (UserDefaults *suite : suites)
        all = suite->retrySave() && all;
    return all;
}

void UserDefaults::saveTheUnsaved()
{
    if (s_unsavedSuites.load() > 0)
        (void)synchronizeAll();
}

void UserDefaults::synchronizeOrLog(const char *what)
{
    // The failure itself was logged once, when saving stopped working.
    if (!synchronize())
        qCDebug(lcCommon) << "settings still not saved to" << filePath() << "after" << what;
}
