#include "common/unreached/KeychainStore.h"

#include "common/AppPaths.h"
#include "common/GuiThread.h"
#include "common/WholeFile.h"
#include "common/CommonLog.h"

#include <QDebug>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QPointer>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace {

const QString kServiceName = QStringLiteral("Ostrel");
const QString kProbeKey = QStringLiteral("ostrel-keychain-probe");

constexpr QFileDevice::Permissions kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

struct JobOutcome
{
    bool finished = false;
    QKeychain::Error error = QKeychain::OtherError;
    QString errorString;
    QString text;
};

// Starts the job (which deletes itself when done) and answers once: with its outcome, or after
// `timeoutMs` with an unfinished one. A job that finishes after its time-out only deletes itself.
void runJob(QKeychain::Job *job, QObject *context, int timeoutMs, std::function<void(JobOutcome)> answer)
{
    auto pending = std::make_shared<std::function<void(JobOutcome)>>(std::move(answer));
    QObject::connect(job, &QKeychain::Job::finished, context, [pending](QKeychain::Job *done) {
        if (!*pending)
            return;
        JobOutcome outcome;
        outcome.finished = true;
        outcome.error = done->error();
        outcome.errorString = done->errorString();
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(done))
            outcome.text = read->textData();
        std::exchange(*pending, {})(outcome);
    });
    QTimer::singleShot(timeoutMs, context, [pending] {
        if (!*pending)
            return;
        JobOutcome outcome;
        outcome.errorString = QStringLiteral("the secret service did not answer in time");
        std::exchange(*pending, {})(outcome);
    });
    job->setAutoDelete(true);
    job->start();
}

bool sessionBusReachable()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFile::exists(runtime + QStringLiteral("/bus"));
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

KeychainStore::KeychainStore() = default;

KeychainStore &KeychainStore::shared()
{
    static KeychainStore *store = GuiThread::adopt(new KeychainStore());
    return *store;
}

QString KeychainStore::filePath() const
{
    return AppPaths::dataFolder() + QStringLiteral("/keychain/secrets.json");
}

void KeychainStore::setBackendForTesting(Backend backend)
{
    m_backend = backend;
}

void KeychainStore::withBackend(std::function<void()> next)
{
    if (m_backend != Backend::Unknown) {
        next();
        return;
    }
    m_waiting.push_back(std::move(next));
    if (!m_probing)
        probe();
}

void KeychainStore::probe()
{
    m_probing = true;
    auto choose = [this](Backend backend) {
        m_probing = false;
        m_backend = backend;
        qCDebug(lcCommon).noquote() << "Keychain backend:" << (backend == Backend::SecretService ? "secret service" : "private file");
        Q_EMIT backendChosen(backend);
        for (std::function<void()> &next : std::exchange(m_waiting, {}))
            next();
    };
    // Without a session bus there is nobody to ask, and asking could start one.
    if (!sessionBusReachable()) {
        choose(Backend::File);
        return;
    }
    auto *job = new QKeychain::ReadPasswordJob(kServiceName);
    job->setKey(kProbeKey);
    runJob(job, this, kProbeTimeoutMs, [choose](JobOutcome outcome) {
        const bool answered = outcome.finished && (outcome.error == QKeychain::NoError || outcome.error == QKeychain::EntryNotFound);
        choose(answered ? Backend::SecretService : Backend::File);
    });
}

void KeychainStore::get(const QString &key, SecretReply reply)
{
    auto answer = GuiThread::later(this, std::function<void(std::optional<QString>, QString)>(
        [reply = std::move(reply)](std::optional<QString> secret, QString error) {
            if (reply)
                reply(secret, error);
        }));
    GuiThread::run(this, [this, key, answer] {
        withBackend([this, key, answer] {
            if (m_backend == Backend::SecretService) {
                serviceGet(key, answer);
                return;
            }
            QString error;
            const std::optional<QString> secret = fileGet(key, &error);
            answer(secret, error);
        });
    });
}

void KeychainStore::set(const QString &key, const QString &secret, Done done)
{
    auto answer = GuiThread::later(this, std::function<void(bool, QString)>(
        [done = std::move(done)](bool ok, QString error) {
            if (done)
                done(ok, error);
        }));
    GuiThread::run(this, [this, key, secret, answer] {
        withBackend([this, key, secret, answer] {
            if (m_backend == Backend::SecretService) {
                serviceSet(key, secret, answer);
                return;
            }
            QString error;
            const bool ok = fileSet(key, secret, &error);
            answer(ok, error);
        });
    });
}

void KeychainStore::remove(const QString &key, Done done)
{
    auto answer = GuiThread::later(this, std::function<void(bool, QString)>(
        [done = std::move(done)](bool ok, QString error) {
            if (done)
                done(ok, error);
        }));
    GuiThread::run(this, [this, key, answer] {
        withBackend([this, key, answer] {
            if (m_backend == Backend::SecretService) {
                serviceRemove(key, answer);
                return;
            }
            QString error;
            const bool ok = fileSet(key, std::nullopt, &error);
            answer(ok, error);
        });
    });
}

void KeychainStore::serviceGet(const QString &key, SecretReply reply)
{
    auto *job = new QKeychain::ReadPasswordJob(kServiceName);
    job->setKey(key);
    runJob(job, this, m_jobTimeoutMs, [reply](JobOutcome outcome) {
        if (outcome.finished && outcome.error == QKeychain::NoError) {
            reply(outcome.text, QString());
            return;
        }
        const bool missing = outcome.finished && outcome.error == QKeychain::EntryNotFound;
        reply(std::nullopt, missing ? QString() : outcome.errorString);
    });
}

void KeychainStore::serviceSet(const QString &key, const QString &secret, Done done)
{
    auto *job = new QKeychain::WritePasswordJob(kServiceName);
    job->setKey(key);
    job->setTextData(secret);
    runJob(job, this, m_jobTimeoutMs, [done](JobOutcome outcome) {
        const bool ok = outcome.finished && outcome.error == QKeychain::NoError;
        done(ok, ok ? QString() : outcome.errorString);
    });
}

void KeychainStore::serviceRemove(const QString &key, Done done)
{
    auto *job = new QKeychain::DeletePasswordJob(kServiceName);
    job->setKey(key);
    runJob(job, this, m_jobTimeoutMs, [done](JobOutcome outcome) {
        const bool ok = outcome.finished && (outcome.error == QKeychain::NoError || outcome.error == QKeychain::EntryNotFound);
        done(ok, ok ? QString() : outcome.errorString);
    });
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
    // The temporary file gets owner-only rights before a single secret byte is written to it; on a
    // full disk the secrets stored before stay as they were.
    const QString failed = WholeFile::write(filePath(), QJsonDocument(items).toJson(QJsonDocument::Compact), kOwnerOnlyFile);
    if (!failed.isEmpty()) {
        setError(error, failed);
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
        qCWarning(lcCommon).noquote() << "Keychain file was damaged; kept as" << aside;
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
