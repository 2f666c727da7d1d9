#include "common/KeychainStore.h"

#include "common/AppPaths.h"

#include <QDebug>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace {

const QString kServiceName = QStringLiteral("Ostrel");
const QString kProbeKey = QStringLiteral("ostrel-keychain-probe");
constexpr int kProbeTimeoutMs = 1500;
constexpr int kJobTimeoutMs = 10000;

constexpr QFileDevice::Permissions kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

struct JobOutcome
{
    bool finished = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString errorString;
    QString text;
};

// Starts the job (which deletes itself when done) and waits for it, at most timeoutMs. After a
// time-out the job may still finish later; it then only deletes itself, as nothing here is tied
// to it any more.
JobOutcome runJob(QKeychain::Job *job, int timeoutMs)
{
    auto outcome = std::make_shared<JobOutcome>();
    QEventLoop loop;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [outcome, &loop](QKeychain::Job *done) {
        outcome->finished = true;
        outcome->error = done->error();
        outcome->errorString = done->errorString();
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(done))
            outcome->text = read->textData();
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    job->setAutoDelete(true);
    job->start();
    loop.exec();
    if (!outcome->finished)
        outcome->errorString = QStringLiteral("the secret service did not answer in time");
    return *outcome;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFile::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

KeychainStore &KeychainStore::shared()
{
    static KeychainStore store;
    return store;
}

QString KeychainStore::filePath() const
{
    return AppPaths::dataFolder() + QStringLiteral("/keychain/secrets.json");
}

void KeychainStore::setBackendForTesting(Backend backend)
{
    QMutexLocker locker(&m_mutex);
    m_backend = backend;
}

KeychainStore::Backend KeychainStore::backend()
{
    QMutexLocker locker(&m_mutex);
    if (m_backend == Backend::Unknown) {
        m_backend = probe();
        qDebug().noquote() << "Keychain backend:" << (m_backend == Backend::SecretService ? "secret service" : "private file");
    }
    return m_backend;
}

KeychainStore::Backend KeychainStore::probe() const
{
    // Without a session bus there is nobody to ask, and asking could start one.
    if (!sessionBusReachable())
        return Backend::File;
    auto *job = new QKeychain::ReadPasswordJob(kServiceName);
    job->setKey(kProbeKey);
    const JobOutcome outcome = runJob(job, kProbeTimeoutMs);
    const bool answered = outcome.finished && (outcome.error == QKeychain::NoError || outcome.error == QKeychain::EntryNotFound);
    return answered ? Backend::SecretService : Backend::File;
}

std::optional<QString> KeychainStore::get(const QString &key, QString *error)
{
    if (backend() == Backend::SecretService)
        return serviceGet(key, error);
    QMutexLocker locker(&m_mutex);
    return fileGet(key, error);
}

bool KeychainStore::set(const QString &key, const QString &secret, QString *error)
{
    if (backend() == Backend::SecretService)
        return serviceSet(key, secret, error);
    QMutexLocker locker(&m_mutex);
    return fileSet(key, secret, error);
}

bool KeychainStore::remove(const QString &key, QString *error)
{
    if (backend() == Backend::SecretService)
        return serviceRemove(key, error);
    QMutexLocker locker(&m_mutex);
    return fileSet(key, std::nullopt, error);
}

std::optional<QString> KeychainStore::serviceGet(const QString &key, QString *error) const
{
    auto *job = new QKeychain::ReadPasswordJob(kServiceName);
    job->setKey(key);
    const JobOutcome outcome = runJob(job, kJobTimeoutMs);
    if (outcome.finished && outcome.error == QKeychain::NoError)
        return outcome.text;
    if (!(outcome.finished && outcome.error == QKeychain::EntryNotFound))
        setError(error, outcome.errorString);
    return std::nullopt;
}

bool KeychainStore::serviceSet(const QString &key, const QString &secret, QString *error) const
{
    auto *job = new QKeychain::WritePasswordJob(kServiceName);
    job->setKey(key);
    job->setTextData(secret);
    const JobOutcome outcome = runJob(job, kJobTimeoutMs);
    if (outcome.finished && outcome.error == QKeychain::NoError)
        return true;
    setError(error, outcome.errorString);
    return false;
}

bool KeychainStore::serviceRemove(const QString &key, QString *error) const
{
    auto *job = new QKeychain::DeletePasswordJob(kServiceName);
    job->setKey(key);
    const JobOutcome outcome = runJob(job, kJobTimeoutMs);
    if (outcome.finished && (outcome.error == QKeychain::NoError || outcome.error == QKeychain::EntryNotFound))
        return true;
    setError(error, outcome.errorString);
    return false;
}

std::optional<QJsonObject> KeychainStore::readFile(QString *error) const
{
    QFile file(filePath());
    if (!file.exists())
        return QJsonObject();
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot read %1: %2").arg(filePath(), file.errorString()));
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        setError(error, QStringLiteral("%1 is damaged").arg(filePath()));
        return std::nullopt;
    }
    return document.object();
}

bool KeychainStore::writeFile(const QJsonObject &items, QString *error) const
{
    const QString folder = AppPaths::dataFolder() + QStringLiteral("/keychain");
    if (!AppPaths::ensureFolder(folder, true)) {
        setError(error, QStringLiteral("cannot create %1").arg(folder));
        return false;
    }
    QSaveFile file(filePath());
    // The temporary file gets owner-only rights before a single secret byte is written to it.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kOwnerOnlyFile)) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(filePath(), file.errorString()));
        return false;
    }
    file.write(QJsonDocument(items).toJson(QJsonDocument::Compact));
    if (!file.commit()) {
        setError(error, QStringLiteral("cannot write %1: %2").arg(filePath(), file.errorString()));
        return false;
    }
    return true;
}

std::optional<QString> KeychainStore::fileGet(const QString &key, QString *error)
{
    const std::optional<QJsonObject> items = readFile(error);
    if (!items)
        return std::nullopt;
    const QJsonValue value = items->value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

bool KeychainStore::fileSet(const QString &key, const std::optional<QString> &secret, QString *error)
{
    std::optional<QJsonObject> items = readFile(error);
    if (!items) {
        // Keep the damaged file for inspection instead of overwriting what it may still hold.
        const QString aside = filePath() + QStringLiteral(".corrupt");
        QFile::remove(aside);
        if (!QFile::rename(filePath(), aside))
            return false;
        qWarning().noquote() << "Keychain file was damaged; kept as" << aside;
        setError(error, QString());
        items = QJsonObject();
    }
    if (secret)
        items->insert(key, *secret);
    else if (!items->contains(key))
        return true;
    else
        items->remove(key);
    return writeFile(*items, error);
}
