#include "networking/StartRestoreGate.h"

#include <QCoreApplication>
#include <QNetworkProxy>

#include <algorithm>
#include <utility>

#include "common/StartGate.h"
#include "networking/LocalListeners.h"
#include "networking/SystemRoute.h"

namespace {

struct Gate
{
    StartGate gate;
    // One per hold: an answer that comes for an older hold opens nothing.
    quint64 round = 0;
    // Where what waits goes, while the gate is closed.
    QList<QUrl> targets;
    bool watching = false;
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

// An ordinary start: once the system has answered for every target that waits, and names the
// listener for none, nothing is left to wait for.
void openIfNoneNamesOwnListener()
{
    Gate &s = state();
    if (s.gate.isOpen() || s.targets.isEmpty())
        return;
    for (const QUrl &target : std::as_const(s.targets)) {
        const std::optional<QList<QNetworkProxy>> route = SystemRoute::known(QNetworkProxyQuery(target));
        if (!route || namesOwnListener(*route))
            return;
    }
    s.targets.clear();
    s.gate.open();
}

} // namespace

void StartRestoreGate::hold(int boundMs)
{
    Gate &s = state();
    if (!s.gate.hold(boundMs))
        return;
    ++s.round;
    s.targets.clear();
    if (!std::exchange(s.watching, true))
        QObject::connect(&SystemRoute::shared(), &SystemRoute::answered, &SystemRoute::shared(), openIfNoneNamesOwnListener);
}

void StartRestoreGate::open()
{
    Gate &s = state();
    if (s.gate.isOpen())
        return;
    // The last answers may still name the listener the restore has just taken away, which the
    // client's route leaves out: what waited would go straight. So the system is asked afresh
    // first, SystemRoute::kBoundMs at most.
    SystemRoute::shared().refresh(QCoreApplication::instance(), {}, [round = s.round] {
        Gate &now = state();
        if (now.round != round)
            return;
        now.targets.clear();
        now.gate.open();
    });
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
    if (!s.targets.contains(target))
        s.targets.append(target);
    return true;
}
