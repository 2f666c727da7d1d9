#include "common/ProcessTeardown.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThreadPool>

#include <openssl/crypto.h>

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

} // namespace

void ProcessTeardown::prepare()
{
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
}

void ProcessTeardown::add(QObject *owner, std::function<void()> step)
{
    QMutexLocker lock(&s_mutex);
    s_steps.push_back(Step{owner, std::move(step)});
}

void ProcessTeardown::run()
{
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
