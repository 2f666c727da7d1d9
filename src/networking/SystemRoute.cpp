#include "networking/SystemRoute.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <pthread.h>

#include "common/ProcessTeardown.h"
#include "common/ThreadHandOff.h"

namespace {

struct Entry
{
    // The target alone: an address without its path or query text, which may carry secrets and
    // would make every request a question of its own.
    QNetworkProxyQuery query;
    std::optional<QList<QNetworkProxy>> answer;
    // Queued or with the system: not asked again until it comes back.
    bool out = false;
    // Asked afresh while out: the answer under way may be older than what the caller waits for,
    // so it is asked once more as it comes.
    bool again = false;
};

struct Asker
{
    std::thread thread;
    bool busy = false;
    // Ends at its next turn (the program's end); a stuck one ends once its question returns.
    bool retired = false;
};

struct Waiter
{
    quint64 id = 0;
    QPointer<QObject> context;
    std::function<void()> done;
};

struct State
{
    std::mutex mutex;
    std::condition_variable wake;
    QHash<QString, Entry> entries;
    std::deque<QString> queue;
    std::vector<std::unique_ptr<Asker>> askers;
    int idle = 0;
    int busy = 0;
    int outstanding = 0;
    bool teardownAdded = false;
    SystemRoute::Reader reader;
    // Bumped as the reader is replaced: an answer of the one before is dropped.
    quint64 readerRound = 0;
    // GUI thread only.
    std::vector<Waiter> waiters;
    quint64 lastWaiter = 0;
    // The newest answer for any address: what a new address takes until its own answer comes.
    std::optional<QList<QNetworkProxy>> newestForAnAddress;
};

// Lives for the process: a thread stuck in the system's question still holds it at the end.
State &state()
{
    static State *instance = new State;
    return *instance;
}

QList<QNetworkProxy> straight()
{
    return {QNetworkProxy(QNetworkProxy::NoProxy)};
}

QString keyOf(const QNetworkProxyQuery &query)
{
    if (query.queryType() == QNetworkProxyQuery::UrlRequest) {
        const QUrl url = query.url();
        return QStringLiteral("url %1://%2:%3").arg(url.scheme().toLower(), url.host().toLower()).arg(url.port());
    }
    return QStringLiteral("socket %1 %2 %3:%4 %5")
        .arg(int(query.queryType()))
        .arg(query.url().scheme().toLower(), query.peerHostName().toLower())
        .arg(query.peerPort())
        .arg(query.localPort());
}

QNetworkProxyQuery targetOnly(const QNetworkProxyQuery &query)
{
    if (query.queryType() != QNetworkProxyQuery::UrlRequest)
        return query;
    const QUrl url = query.url();
    QUrl target;
    target.setScheme(url.scheme());
    target.setHost(url.host());
    target.setPort(url.port());
    return QNetworkProxyQuery(target);
}

void settle(bool changed);

void runAsker(Asker *self)
{
    pthread_setname_np(pthread_self(), "system route");
    State &s = state();
    std::unique_lock lock(s.mutex);
    for (;;) {
        while (s.queue.empty() && !self->retired) {
            ++s.idle;
            s.wake.wait(lock);
            --s.idle;
        }
        if (self->retired)
            return;
        const QString key = s.queue.front();
        s.queue.pop_front();
        const auto it = s.entries.constFind(key);
        if (it == s.entries.cend())
            continue;
        const QNetworkProxyQuery query = it->query;
        const SystemRoute::Reader reader = s.reader;
        const quint64 round = s.readerRound;
        self->busy = true;
        ++s.busy;
        lock.unlock();
        ProcessTeardown::beginUnendingCall();
        const QList<QNetworkProxy> answer = reader ? reader(query) : QNetworkProxyFactory::systemProxyForQuery(query);
        ProcessTeardown::endUnendingCall();
        lock.lock();
        self->busy = false;
        --s.busy;
        const auto entry = s.entries.find(key);
        if (round != s.readerRound || entry == s.entries.end())
            continue;
        const bool changed = entry->answer != answer;
        entry->answer = answer;
        if (query.queryType() == QNetworkProxyQuery::UrlRequest)
            s.newestForAnAddress = answer;
        if (std::exchange(entry->again, false)) {
            s.queue.push_back(key);
        } else {
            entry->out = false;
            --s.outstanding;
        }
        // Posted under the lock, so that the end's teardown, which takes it, knows no post is
        // half made. Carried with a hand-off: Qt's queue hands it over out of the thread
        // sanitizer's sight.
        QMetaObject::invokeMethod(&SystemRoute::shared(), ThreadHandOff::carried([changed] { settle(changed); }),
                                  Qt::QueuedConnection);
    }
}

// At the program's end: idle askers end and are joined; a stuck one is left to the process's end.
void stopAskers()
{
    State &s = state();
    std::vector<std::unique_ptr<Asker>> idle;
    {
        std::lock_guard lock(s.mutex);
        for (std::unique_ptr<Asker> &asker : s.askers) {
            asker->retired = true;
            if (asker->busy) {
                asker->thread.detach();
                (void)asker.release(); // its thread still runs on it
                continue;
            }
            idle.push_back(std::move(asker));
        }
        s.askers.clear();
        for (const QString &key : s.queue) {
            if (s.entries.contains(key) && std::exchange(s.entries[key].out, false)) {
                s.entries[key].again = false;
                --s.outstanding;
            }
        }
        s.queue.clear();
        s.teardownAdded = false;
        s.wake.notify_all();
    }
    for (const std::unique_ptr<Asker> &asker : idle)
        asker->thread.join();
}

// Under the lock. `fresh`: the answer must come from a question asked from now on.
void askLocked(State &s, const QString &key, bool fresh)
{
    Entry &entry = s.entries[key];
    if (entry.out) {
        entry.again = entry.again || fresh;
        return;
    }
    entry.out = true;
    ++s.outstanding;
    s.queue.push_back(key);
    // An idle asker woken for an earlier question is not free for this one until it took that
    // one: each question waiting in the queue needs an idle asker of its own.
    if (int(s.queue.size()) <= s.idle) {
        s.wake.notify_one();
        return;
    }
    if (int(s.askers.size()) >= SystemRoute::kMostAskers)
        return; // the askers are all stuck or busy: the first one back takes it
    if (!s.teardownAdded) {
        s.teardownAdded = true;
        ProcessTeardown::add(&SystemRoute::shared(), stopAskers);
    }
    auto asker = std::make_unique<Asker>();
    asker->thread = std::thread(runAsker, asker.get());
    s.askers.push_back(std::move(asker));
}

void askLocked(State &s, const QNetworkProxyQuery &query, bool fresh)
{
    const QString key = keyOf(query);
    if (!s.entries.contains(key))
        s.entries[key].query = targetOnly(query);
    askLocked(s, key, fresh);
}

// Runs the waiters when no question is out, or the one `id` names (its bound passed).
void runWaiters(std::optional<quint64> id)
{
    State &s = state();
    std::vector<Waiter> due;
    {
        std::lock_guard lock(s.mutex);
        const bool allIn = s.outstanding == 0;
        for (auto it = s.waiters.begin(); it != s.waiters.end();) {
            if (allIn || it->id == id) {
                due.push_back(std::move(*it));
                it = s.waiters.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (Waiter &waiter : due) {
        if (waiter.context && waiter.done)
            waiter.done();
    }
}

void settle(bool changed)
{
    if (changed)
        Q_EMIT SystemRoute::shared().answered();
    runWaiters(std::nullopt);
}

} // namespace

SystemRoute &SystemRoute::shared()
{
    static SystemRoute *instance = [] {
        auto *route = new SystemRoute;
        if (QCoreApplication *app = QCoreApplication::instance())
            route->moveToThread(app->thread());
        return route;
    }();
    return *instance;
}

QList<QNetworkProxy> SystemRoute::routeFor(const QNetworkProxyQuery &query)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    askLocked(s, query, false);
    const std::optional<QList<QNetworkProxy>> &answer = s.entries[keyOf(query)].answer;
    if (answer)
        return *answer;
    if (query.queryType() == QNetworkProxyQuery::UrlRequest && s.newestForAnAddress)
        return *s.newestForAnAddress;
    return straight();
}

std::optional<QList<QNetworkProxy>> SystemRoute::known(const QNetworkProxyQuery &query)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    const auto it = s.entries.constFind(keyOf(query));
    if (it == s.entries.cend())
        return std::nullopt;
    return it->answer;
}

void SystemRoute::refresh(QObject *context, const QList<QNetworkProxyQuery> &more, std::function<void()> done)
{
    State &s = state();
    quint64 id = 0;
    {
        std::lock_guard lock(s.mutex);
        for (const QString &key : s.entries.keys())
            askLocked(s, key, true);
        for (const QNetworkProxyQuery &query : more)
            askLocked(s, query, true);
        id = ++s.lastWaiter;
        s.waiters.push_back({id, context, std::move(done)});
        if (s.outstanding == 0) {
            QTimer::singleShot(0, this, [] { runWaiters(std::nullopt); });
            return;
        }
    }
    QTimer::singleShot(kBoundMs, this, [id] { runWaiters(id); });
}

bool SystemRoute::isAsking()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.busy > 0;
}

void SystemRoute::setReaderForTesting(Reader reader)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.reader = std::move(reader);
    ++s.readerRound;
    s.entries.clear();
    s.queue.clear();
    s.outstanding = 0;
    s.newestForAnAddress.reset();
}
