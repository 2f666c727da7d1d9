#include "networking/OOHostSafeAdpter.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRandomGenerator>
#include <QSet>
#include <QTimer>

#include <algorithm>

#include "common/AppPaths.h"
#include "common/NHHostTable.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "common/GuiThread.h"
#include "networking/NetworkLog.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OONetWork.h"
#include "networking/ReplyGuard.h"
#include "networking/StartRestoreGate.h"

const QString OOHostSafeAdpter::kHistoryHostsKey = QStringLiteral("historyHostsKey");
const QString OOHostSafeAdpter::kRemoteUrlsKey = QStringLiteral("kRemoteUrlsKey");
const QString OOHostSafeAdpter::kCurrentHostKey = QStringLiteral("currentHostKey");

namespace {

constexpr int kBatchSize = 3;
constexpr qint64 kMaxPlainBytes = 1024 * 1024;   // a probe answer or a host list is far smaller

QStringList textArray(const QJsonValue &value)
{
    QStringList list;
    const QJsonArray array = value.toArray();
    for (const QJsonValue &item : array) {
        if (item.isString() && !item.toString().trimmed().isEmpty())
            list << item.toString().trimmed();
    }
    return list;
}

QStringList storedArray(const QString &name)
{
    const std::optional<QString> json = NHHostTable().queryJson(name);
    if (!json)
        return {};
    return textArray(QJsonDocument::fromJson(json->toUtf8()).array());
}

} // namespace

struct OOHostSafeAdpter::Round
{
    QStringList pending;
    int phase = 0;   // 0: the given hosts, 1: remote lists, 2: generated domains
    QSet<QString> tried;
    QList<QPointer<QNetworkReply>> inFlight;
    std::function<void(QString)> completion;
    std::function<void()> afterRound;
    bool done = false;
};

OOHostSafeAdpter::OOHostSafeAdpter(QObject *parent)
    : QObject(parent)
    , m_probeTimeoutMs(ProtocolConfig::value(QStringLiteral("probe.timeout_ms")).toInt(5000))
{
}

OOHostSafeAdpter &OOHostSafeAdpter::shared()
{
    static OOHostSafeAdpter *instance = GuiThread::adopt(new OOHostSafeAdpter());
    return *instance;
}

QString OOHostSafeAdpter::currentDomain()
{
    const std::lock_guard lock(m_domainLock);
    if (!m_currentDomain) {
        QString domain;
        if (const std::optional<QString> json = NHHostTable().queryJson(kCurrentHostKey))
            domain = normalisedHost(QJsonDocument::fromJson(json->toUtf8()).object().value(QStringLiteral("host")).toString());
        if (domain.isEmpty())
            domain = defaultHosts().value(0);
        m_currentDomain = domain;
    }
    qCDebug(lcNetwork).noquote() << QStringLiteral("当前使用域名:") + *m_currentDomain;
    return *m_currentDomain;
}

bool OOHostSafeAdpter::isPolling() const
{
    return m_polling.load();
}

bool OOHostSafeAdpter::beginPolling()
{
    bool expected = false;
    return m_polling.compare_exchange_strong(expected, true);
}

QStringList OOHostSafeAdpter::cachedHosts() const
{
    const QStringList cached = storedArray(kHistoryHostsKey);
    return cached.isEmpty() ? defaultHosts() : cached;
}

QStringList OOHostSafeAdpter::shuffleHosts(QStringList hosts)
{
    std::shuffle(hosts.begin(), hosts.end(), *QRandomGenerator::global());
    return hosts;
}

QStringList OOHostSafeAdpter::defaultHosts()
{
    // A profile may name its own hosts (the demo points at the local stand-in service this way).
    QFile profileHosts(AppPaths::configFolder() + QStringLiteral("/hosts.json"));
    if (profileHosts.open(QIODevice::ReadOnly)) {
        const QStringList hosts = textArray(QJsonDocument::fromJson(profileHosts.readAll()).object().value(QStringLiteral("hosts")));
        if (!hosts.isEmpty())
            return hosts;
    }
    return textArray(ProtocolConfig::value(QStringLiteral("hosts.defaults")));
}

QStringList OOHostSafeAdpter::generatedDomains(const QDate &dayUtc)
{
    const QString seed = ProtocolConfig::string(QStringLiteral("generated_domains.seed"));
    const QString suffix = ProtocolConfig::string(QStringLiteral("generated_domains.suffix"));
    const int count = ProtocolConfig::value(QStringLiteral("generated_domains.count")).toInt(3);
    if (seed.isEmpty() || suffix.isEmpty())
        return {};
    QStringList domains;
    // Today's names first, then yesterday's, so a client whose clock runs ahead still finds them.
    for (const QDate &day : {dayUtc, dayUtc.addDays(-1)}) {
        const QString date = day.toString(QStringLiteral("yyyyMMdd"));
        for (int i = 0; i < count; ++i) {
            const QByteArray digest = QCryptographicHash::hash(
                QStringLiteral("%1:%2:%3").arg(seed, date).arg(i).toUtf8(), QCryptographicHash::Md5);
            domains << QStringLiteral("https://") + QString::fromLatin1(digest.toHex().left(12)) + QLatin1Char('.') + suffix;
        }
    }
    return domains;
}

bool OOHostSafeAdpter::startPollingRoundIfIdle(std::function<void()> callback)
{
    if (!beginPolling())
        return false;
    QPointer<OOHostSafeAdpter> self(this);
    const int era = m_era.load();
    GuiThread::run(this, [self, callback, era] {
        self->pollHosts(shuffleHosts(self->cachedHosts()), [self, callback, era](const QString &found) {
            if (!self)
                return;
            if (era != self->m_era.load()) {
                // Begun before a reset: its host is the old service's, and the polling flag
                // belongs to the rounds after the reset.
                qCInfo(lcNetwork) << "a round begun before the reset ended; its host is not kept";
                if (callback)
                    callback();
                return;
            }
            self->finishPolling(found, callback);
        });
    });
    return true;
}

void OOHostSafeAdpter::pollHosts(const QStringList &hosts, std::function<void(QString)> completion,
                                 std::function<void()> afterRound)
{
    auto round = std::make_shared<Round>();
    for (const QString &host : hosts)
        round->pending << normalisedHost(host);
    // A round with nothing to probe ends at once; its answer still comes from the event loop.
    round->completion = GuiThread::later(this, std::move(completion));
    round->afterRound = GuiThread::later(this, std::move(afterRound));
    runPhase(round);
}

void OOHostSafeAdpter::runPhase(const std::shared_ptr<Round> &round)
{
    QStringList batch;
    while (!round->pending.isEmpty() && batch.size() < kBatchSize) {
        const QString host = round->pending.takeFirst();
        if (host.isEmpty() || round->tried.contains(host))
            continue;
        round->tried.insert(host);
        batch << host;
    }
    if (!batch.isEmpty()) {
        probeBatch(round, batch);
        return;
    }
    ++round->phase;
    if (round->phase == 1) {
        fetchRemoteLists(round);
        return;
    }
    if (round->phase == 2) {
        round->pending = m_generatedOverride ? *m_generatedOverride : generatedDomains(QDateTime::currentDateTimeUtc().date());
        for (QString &host : round->pending)
            host = normalisedHost(host);
        runPhase(round);
        return;
    }
    endRound(round, QString());
}

void OOHostSafeAdpter::probeBatch(const std::shared_ptr<Round> &round, const QStringList &batch)
{
    // A probe sent straight while the desktop still names a killed run's listener fails where only
    // the user's proxy leads out, and the round would give up on hosts that answer.
    const auto later = [this, round, batch] {
        if (!round->done)
            probeBatch(round, batch);
    };
    if (!batch.isEmpty() && StartRestoreGate::deferWhileRestoring(this, QUrl(batch.first()), later))
        return;
    auto outstanding = std::make_shared<int>(batch.size());
    round->inFlight.clear();
    for (const QString &host : batch) {
        QNetworkReply *reply = probe(host);
        if (!reply) {
            if (--*outstanding == 0)
                runPhase(round);
            continue;
        }
        round->inFlight << reply;
        connect(reply, &QNetworkReply::finished, this, [this, round, reply, host, outstanding] {
            reply->deleteLater();
            if (round->done)
                return;
            const bool answered = reply->error() == QNetworkReply::NoError
                && reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200
                && QString::fromUtf8(reply->rawHeader("Etag")) == OONetWork::expectedEtag();
            qCDebug(lcNetwork) << "probe" << host << (answered ? "answered" : "failed");
            if (answered) {
                endRound(round, host);
                return;
            }
            if (--*outstanding == 0)
                runPhase(round);
        });
    }
}

QNetworkReply *OOHostSafeAdpter::probe(const QString &host)
{
    const QUrl url(host + ProtocolConfig::string(QStringLiteral("probe.path")));
    if (!url.isValid() || !OONetWork::isAllowedUrl(url))
        return nullptr;
    return plainGet(url);
}

QNetworkReply *OOHostSafeAdpter::plainGet(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(m_probeTimeoutMs);
    QNetworkReply *reply = OONetWork::shared().manager()->get(request);
    // A host that trickles bytes would keep the transfer time-out from ever firing, and the
    // round with it: every fetch also has a hard deadline and a size limit.
    ReplyGuard::hold(reply, kMaxPlainBytes, 2 * m_probeTimeoutMs);
    return reply;
}

void OOHostSafeAdpter::fetchRemoteLists(const std::shared_ptr<Round> &round)
{
    const QStringList urls = storedArray(kRemoteUrlsKey);
    const auto later = [this, round] {
        if (!round->done)
            fetchRemoteLists(round);
    };
    // Like the probes: the lists' addresses take the user's road once it is back.
    if (!urls.isEmpty() && StartRestoreGate::deferWhileRestoring(this, QUrl(urls.first()), later))
        return;
    auto outstanding = std::make_shared<int>(0);
    auto found = std::make_shared<QStringList>();
    for (const QString &text : urls) {
        const QUrl url(text);
        if (!url.isValid() || !OONetWork::isAllowedUrl(url))
            continue;
        QNetworkReply *reply = plainGet(url);
        ++*outstanding;
        connect(reply, &QNetworkReply::finished, this, [this, round, reply, outstanding, found] {
            reply->deleteLater();
            if (reply->error() == QNetworkReply::NoError)
                *found << parseRemoteList(ReplyGuard::takeBody(reply));
            if (--*outstanding > 0 || round->done)
                return;
            for (const QString &host : std::as_const(*found))
                round->pending << normalisedHost(host);
            runPhase(round);
        });
    }
    if (*outstanding == 0)
        runPhase(round);
}

QStringList OOHostSafeAdpter::parseRemoteList(const QByteArray &body)
{
    const std::optional<QByteArray> plain = OOAES256::decrypt(ProtocolConfig::apiKey(), QString::fromLatin1(body.trimmed()));
    if (!plain)
        return {};
    return textArray(QJsonDocument::fromJson(*plain).object().value(QStringLiteral("hosts")));
}

void OOHostSafeAdpter::endRound(const std::shared_ptr<Round> &round, const QString &found)
{
    round->done = true;
    for (const QPointer<QNetworkReply> &reply : std::as_const(round->inFlight)) {
        if (reply && reply->isRunning())
            reply->abort();
    }
    round->inFlight.clear();
    if (round->completion)
        round->completion(found);
    if (round->afterRound)
        round->afterRound();
}

void OOHostSafeAdpter::finishPolling(const QString &foundHost, const std::function<void()> &callback)
{
    if (!foundHost.isEmpty()) {
        QJsonObject record{{QStringLiteral("host"), foundHost},
                           {QStringLiteral("found_at"), QDateTime::currentSecsSinceEpoch()}};
        // Unstored, the host still serves this run; the next start begins from the defaults.
        if (!NHHostTable().insertOrReplace(QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact)), kCurrentHostKey))
            qCWarning(lcNetwork) << "the found API host could not be stored";
        const QString domain = normalisedHost(foundHost);
        {
            const std::lock_guard lock(m_domainLock);
            m_currentDomain = domain.isEmpty() ? std::nullopt : std::optional(domain);
        }
        qCInfo(lcNetwork) << "API host now" << foundHost;
    } else {
        qCWarning(lcNetwork) << "no API host answered";
        NetworkUiHooks::instance()->showPollingFailure();
    }
    if (callback)
        callback();
    m_polling = false;
    Q_EMIT roundFinished(foundHost);
}

QString OOHostSafeAdpter::normalisedHost(const QString &host)
{
    QString text = host.trimmed();
    if (text.isEmpty())
        return text;
    if (!text.contains(QLatin1String("://")))
        text.prepend(QStringLiteral("https://"));
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

void OOHostSafeAdpter::setProbeTimeoutForTesting(int ms)
{
    m_probeTimeoutMs = ms;
}

void OOHostSafeAdpter::setGeneratedDomainsForTesting(std::optional<QStringList> domains)
{
    m_generatedOverride = std::move(domains);
}

void OOHostSafeAdpter::resetForTesting()
{
    ++m_era;
    m_polling = false;
    NHHostTable table;
    for (const QString &key : {kCurrentHostKey, kHistoryHostsKey, kRemoteUrlsKey}) {
        if (!table.remove(key))
            qCWarning(lcNetwork) << "the stored host entry could not be removed:" << key;
    }
    // After the entry went, so that no question in between reads the old one back.
    const std::lock_guard lock(m_domainLock);
    m_currentDomain.reset();
}
