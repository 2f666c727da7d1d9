#include "networking/StartRestoreGate.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

#include "common/GuiThread.h"
#include "networking/LocalListeners.h"

namespace {

struct Held
{
    QPointer<QObject> context;
    std::function<void()> send;
};

struct Gate
{
    bool open = true;
    // One per hold: the bound of an older hold opens nothing.
    quint64 round = 0;
    std::vector<Held> held;
};

// Lives for the process: a send still held as the program ends is dropped with it, never run.
Gate &gate()
{
    static Gate *instance = new Gate;
    return *instance;
}

// What the system's configuration names for `target` (the environment, the desktop's setting as
// libproxy reads it), before the client's road leaves its own listener out.
bool systemNamesOwnListener(const QUrl &target)
{
    const QList<QNetworkProxy> road = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(target));
    return std::any_of(road.cbegin(), road.cend(), LocalListeners::isOwnListener);
}

} // namespace

void StartRestoreGate::hold(int boundMs)
{
    Gate &state = gate();
    state.open = false;
    const quint64 round = ++state.round;
    if (!QCoreApplication::instance())
        return;
    QTimer::singleShot(boundMs, QCoreApplication::instance(), [round] {
        if (gate().round == round)
            open();
    });
}

void StartRestoreGate::open()
{
    Gate &state = gate();
    if (state.open)
        return;
    state.open = true;
    for (Held &held : std::exchange(state.held, {})) {
        if (held.context)
            GuiThread::post(held.context.data(), std::move(held.send));
    }
}

bool StartRestoreGate::isOpen()
{
    return gate().open;
}

bool StartRestoreGate::waits(QObject *context, const QUrl &target, std::function<void()> send)
{
    Gate &state = gate();
    if (state.open || !context || !send || !systemNamesOwnListener(target))
        return false;
    state.held.push_back({context, std::move(send)});
    return true;
}
