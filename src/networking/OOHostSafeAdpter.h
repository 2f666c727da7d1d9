#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QNetworkReply;
class QUrl;

// API-domain fail-over: which API host the client talks to, and the polling round that finds a
// working one when replies stop carrying the server fingerprint or the network comes back.
//
// A round probes candidate hosts three at a time, then the hosts named by the remote host lists,
// then the generated domains; the first host whose probe answers with the fingerprint wins and
// becomes the current domain (kept in the "Host" table, so it survives a restart).
class OOHostSafeAdpter : public QObject
{
    Q_OBJECT
public:
    static OOHostSafeAdpter &shared();

    // Scheme and host (and port), no trailing "/". Safe from any thread, and cheap: read from the
    // database once, then kept here as each round stores what it found. Every request and every
    // page's proxy question asks it.
    QString currentDomain();
    bool isPolling() const;
    // Marks a round as running; false when one already runs (the caller then leaves it alone).
    bool beginPolling();

    QStringList cachedHosts() const;
    static QStringList shuffleHosts(QStringList hosts);
    static QStringList defaultHosts();
    static QStringList generatedDomains(const QDate &dayUtc);

    // Probes the hosts, then the remote lists, then the generated domains. `completion` gets the
    // first host that answered, or the empty text; `afterRound` runs after it.
    void pollHosts(const QStringList &hosts, std::function<void(QString)> completion,
                   std::function<void()> afterRound = {});
    // Stores a found host, shows the failure prompt when none answered, calls `callback`,
    // and clears isPolling.
    void finishPolling(const QString &foundHost, const std::function<void()> &callback = {});

    // The standard round (cached → shuffled → polled → finished) unless one already runs.
    // Callable from any thread. True when a round was started.
    bool startPollingRoundIfIdle(std::function<void()> callback = {});

    static const QString kHistoryHostsKey;   // "historyHostsKey"
    static const QString kRemoteUrlsKey;     // "kRemoteUrlsKey"
    static const QString kCurrentHostKey;    // "currentHostKey"

    void setProbeTimeoutForTesting(int ms);
    // Replaces the generated domains (which need public DNS) in tests.
    void setGeneratedDomainsForTesting(std::optional<QStringList> domains);
    // As on a first start: no chosen host, no host lists learnt from a service, no round
    // running. A round begun before still ends and calls its callback, but what it finds is not
    // kept: it names the service of before (the previous case of a test program).
    void resetForTesting();

Q_SIGNALS:
    void roundFinished(const QString &foundHost);

private:
    struct Round;

    explicit OOHostSafeAdpter(QObject *parent = nullptr);
    void runPhase(const std::shared_ptr<Round> &round);
    void probeBatch(const std::shared_ptr<Round> &round, const QStringList &batch);
    void fetchRemoteLists(const std::shared_ptr<Round> &round);
    void endRound(const std::shared_ptr<Round> &round, const QString &found);
    QNetworkReply *probe(const QString &host);
    QNetworkReply *plainGet(const QUrl &url);
    static QString normalisedHost(const QString &host);
    static QStringList parseRemoteList(const QByteArray &body);

    // The current domain once read or found; empty until the first question and after a reset.
    std::mutex m_domainLock;
    std::optional<QString> m_currentDomain;
    std::atomic<bool> m_polling{false};
    std::atomic<int> m_era{0};   // moves on at each reset; a round keeps what it finds only in its own
    int m_probeTimeoutMs = 5000;
    std::optional<QStringList> m_generatedOverride;
};
