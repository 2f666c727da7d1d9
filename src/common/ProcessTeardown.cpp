#include "common/ProcessTeardown.h"

#include "common/Logger.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <openssl/crypto.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct Step
{
    QPointer<QObject> owner;
    std::function<void()> run;
};

QMutex s_mutex;
std::vector<Step> s_steps;
std::atomic<bool> s_openSslKept{false};
std::atomic<bool> s_warned{false};
std::atomic<int> s_unendingCalls{0};
// A question that is only slow is let end: the usual end is the one that runs the exit handlers.
constexpr auto kUnendingGrace = std::chrono::milliseconds(100);

// Said once, at the first sign of end-time work: whoever registers a step starts threads that
// may still be ending at exit, and run() may never come (a main that forgot it too).
void warnUnlessOpenSslKept()
{
    if (s_openSslKept.load() || s_warned.exchange(true))
        return;
    qWarning("ProcessTeardown: OpenSSL was not kept to the end (keepOpenSslToTheEnd() first in main): "
             "a thread of Qt's still ending may corrupt the heap at exit");
}

} // namespace

void ProcessTeardown::keepOpenSslToTheEnd()
{
    if (OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1)
        s_openSslKept.store(true);
}

void ProcessTeardown::add(QObject *owner, std::function<void()> step)
{
    warnUnlessOpenSslKept();
    QMutexLocker lock(&s_mutex);
    s_steps.push_back(Step{owner, std::move(step)});
}

void ProcessTeardown::run()
{
    warnUnlessOpenSslKept();
    std::vector<Step> steps;
    {
        QMutexLocker lock(&s_mutex);
        steps = std::exchange(s_steps, {});
    }
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (it->owner && it->run)
            it->run();
    }
    // Archive unpacking and page loading answer through the event loop, which is over: their
    // answers are dropped, but they must not still run when the application goes.
    QThreadPool::globalInstance()->waitForDone();
}

void ProcessTeardown::beginUnendingCall()
{
    s_unendingCalls.fetch_add(1);
}

void ProcessTeardown::endUnendingCall()
{
    s_unendingCalls.fetch_sub(1);
}

int ProcessTeardown::end(int status)
{
    const auto giveUp = std::chrono::steady_clock::now() + kUnendingGrace;
    while (s_unendingCalls.load() > 0 && std::chrono::steady_clock::now() < giveUp)
        QThread::msleep(5);
    if (s_unendingCalls.load() == 0)
        return status;
    Logger::flush();
    std::fflush(nullptr);
    std::_Exit(status);
}
