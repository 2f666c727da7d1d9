#include "networking/NetworkUiHooks.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex s_mutex;
std::shared_ptr<NetworkUiHooks> s_hooks;
NetworkUiHooks::StopLocalHandler s_stopLocal;

const std::shared_ptr<NetworkUiHooks> &noOpHooks()
{
    static const std::shared_ptr<NetworkUiHooks> hooks = std::make_shared<NetworkUiHooks>();
    return hooks;
}

} // namespace

std::shared_ptr<NetworkUiHooks> NetworkUiHooks::instance()
{
    QMutexLocker lock(&s_mutex);
    if (!s_hooks)
        return noOpHooks();
    return s_hooks;
}

void NetworkUiHooks::setInstance(std::shared_ptr<NetworkUiHooks> hooks)
{
    QMutexLocker lock(&s_mutex);
    s_hooks = std::move(hooks);
}

void NetworkUiHooks::setStopLocalHandler(StopLocalHandler handler)
{
    QMutexLocker lock(&s_mutex);
    s_stopLocal = std::move(handler);
}

NetworkUiHooks::StopLocalHandler NetworkUiHooks::stopLocalHandler()
{
    QMutexLocker lock(&s_mutex);
    return s_stopLocal;
}
