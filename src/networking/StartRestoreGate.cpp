#include "networking/StartRestoreGate.h"

#include <QCoreApplication>
#include <QNetworkProxy>

#include <algorithm>
#include <utility>

#include "common/StartGate.h"
#include "networking/LocalListeners.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/SystemRoute.h"

namespace {

struct Gate
{
    StartGate gate;
    // One per hold: an answer that comes for an older hold opens nothing.
    quint64 round = 0;
};

// Lives for the process: a send still held as the program ends is dropped with it, never run.
Gate &state()
{
    static Gate *instance = new Gate;
    return *instance;
}

bool namesOwnListener(const QList<QNetworkProxy> &route)
{
    return std::any_of(route.cbegin(), route.cend(), LocalListeners::isOwnListener);
}

// What the system's configuration names for `target` (the environment, the desktop's setting as
// libproxy reads it), before the client's route leaves its own listener out. Not known yet: it may.
bool mayNameOwnListener(const QUrl &target)
{
    const QNetworkProxyQuery query(target);
    const std::optional<QList<QNetworkProxy>> route = SystemRoute::known(query);
    if (!route) {
        SystemRoute::routeFor(query); // asks for it
        return true;
    }
    return namesOwnListener(*route);
}

QNetworkProxyQuery toTheService()
{
    return QNetworkProxyQuery(QUrl(OOHostSafeAdpter::shared().currentDomain()));
}

// Opens the gate of `round` once the system has answered afresh (or its bound passed): when
// `onlyIfNoListener`, only where its answer for the service names no listener.
void openAfterFreshAnswer(quint64 round, bool onlyIfNoListener)
{
    SystemRoute::shared().refresh(QCoreApplication::instance(), {toTheService()}, [round, onlyIfNoListener] {
        Gate &s = state();
        if (s.round != round)
            return;
        if (onlyIfNoListener) {
            const std::optional<QList<QNetworkProxy>> route = SystemRoute::known(toTheService());
            if (!route || namesOwnListener(*route))
                return;
        }
        s.gate.open();
    });
}

} // namespace

void StartRestoreGate::hold(int boundMs)
{
    Gate &s = state();
    if (!s.gate.hold(boundMs))
        return;
    const quint64 round = ++s.round;
    // An ordinary start, whose system names no listener, waits only for that first answer.
    openAfterFreshAnswer(round, true);
}

void StartRestoreGate::open()
{
    Gate &s = state();
    if (s.gate.isOpen())
        return;
    // The last answers may still name the listener the restore has just taken away, which the
    // client's route leaves out: what waited would go straight.
    openAfterFreshAnswer(s.round, false);
}

bool StartRestoreGate::isOpen()
{
    return state().gate.isOpen();
}

bool StartRestoreGate::deferWhileRestoring(QObject *context, const QUrl &target, std::function<void()> send)
{
    Gate &s = state();
    if (s.gate.isOpen() || !context || !send || !mayNameOwnListener(target))
        return false;
    s.gate.defer(context, std::move(send));
    return true;
}
