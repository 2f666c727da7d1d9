#pragma once

#include <QJsonObject>
#include <QRecursiveMutex>
#include <QString>

#include <optional>

// Small secrets by key: the desktop's secret service (through QtKeychain) when one answers,
// else a file readable by the user alone (0600, in a 0700 folder inside the data folder).
//
// The choice is made once per process with a short probe, and then kept: switching backends
// half-way would split the secrets between two places. Calls are synchronous (a short local
// event loop waits for the secret service) and report failures as values.
class KeychainStore
{
public:
    enum class Backend { Unknown, SecretService, File };

    static KeychainStore &shared();

    // The secret, or nothing when there is none or it cannot be read (then `error` says why).
    std::optional<QString> get(const QString &key, QString *error = nullptr);
    bool set(const QString &key, const QString &secret, QString *error = nullptr);
    // Removing a missing key succeeds.
    bool remove(const QString &key, QString *error = nullptr);

    Backend backend();
    QString filePath() const;

    // Pins the backend (tests use the file; Unknown probes again on next use).
    void setBackendForTesting(Backend backend);

private:
    KeychainStore() = default;
    Backend probe() const;

    std::optional<QString> fileGet(const QString &key, QString *error);
    bool fileSet(const QString &key, const std::optional<QString> &secret, QString *error);
    std::optional<QJsonObject> readFile(QString *error) const;
    bool writeFile(const QJsonObject &items, QString *error) const;

    std::optional<QString> serviceGet(const QString &key, QString *error) const;
    bool serviceSet(const QString &key, const QString &secret, QString *error) const;
    bool serviceRemove(const QString &key, QString *error) const;

    // Recursive: the probe waits in a local event loop, where another caller on this thread may
    // arrive.
    QRecursiveMutex m_mutex;
    Backend m_backend = Backend::Unknown;
};
