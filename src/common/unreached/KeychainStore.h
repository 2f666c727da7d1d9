#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Nothing in the client stores a secret here yet; it is kept as the home of small secrets.
// Small secrets by key: the desktop's secret service (through QtKeychain) when one answers,
// else a file readable by the user alone (0600, in a 0700 folder inside the data folder).
//
// The choice is made once per process with a short probe, and then kept: switching backends
// half-way would split the secrets between two places. Every call answers exactly once, later
// from the event loop, and nothing waits on the calling thread: the secret service's answer is
// awaited in the application's own event loop, bounded by a time-out that answers with a failure.
// Entry points may be called from any thread; answers come on the GUI thread.
class KeychainStore : public QObject
{
    Q_OBJECT

public:
    enum class Backend { Unknown, SecretService, File };

    // The secret (nothing when there is none or it cannot be read) and, on failure, why.
    using SecretReply = std::function<void(std::optional<QString> secret, QString error)>;
    using Done = std::function<void(bool ok, QString error)>;

    static constexpr int kProbeTimeoutMs = 1500;
    static constexpr int kJobTimeoutMs = 10000;

    static KeychainStore &shared();

    void get(const QString &key, SecretReply reply);
    void set(const QString &key, const QString &secret, Done done);
    // Removing a missing key succeeds.
    void remove(const QString &key, Done done);

    // The backend in use; Unknown until the first call has made the choice.
    Backend backend() const { return m_backend; }
    QString filePath() const;

    // Pins the backend (tests use the file; Unknown probes again on next use) and the secret
    // service's time-out.
    void setBackendForTesting(Backend backend);
    void setJobTimeoutForTesting(int ms) { m_jobTimeoutMs = ms; }

Q_SIGNALS:
    void backendChosen(KeychainStore::Backend backend);

private:
    KeychainStore();

    // Runs `next` once the backend is known, probing first (once) when it is not.
    void withBackend(std::function<void()> next);
    void probe();

    std::optional<QString> fileGet(const QString &key, QString *error);
    bool fileSet(const QString &key, const std::optional<QString> &secret, QString *error);
    std::optional<QJsonObject> readFile(QString *error) const;
    bool writeFile(const QJsonObject &items, QString *error) const;

    void serviceGet(const QString &key, SecretReply reply);
    void serviceSet(const QString &key, const QString &secret, Done done);
    void serviceRemove(const QString &key, Done done);

    Backend m_backend = Backend::Unknown;
    bool m_probing = false;
    std::vector<std::function<void()>> m_waiting;
    int m_jobTimeoutMs = kJobTimeoutMs;
};
