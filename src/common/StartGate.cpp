#include "common/StartGate.h"

#include <QCoreApplication>
#include <QTimer>

#include <utility>

namespace {

void runSoon(QObject *context, std::function<void()> work)
{
    if (!context)
        return;
    QTimer::singleShot(0, context, [work = std::move(work)] { work(); });
}

} // namespace

bool StartGate::hold(int boundMs)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    m_open = false;
    const quint64 round = ++m_round;
    // A gate lives as long as the program; the bound of an older hold finds a newer round.
    QTimer::singleShot(boundMs, app, [this, round] {
        if (m_round == round)
            open();
    });
    return true;
}

void StartGate::open()
{
    if (m_open)
        return;
    m_open = true;
    for (Held &held : std::exchange(m_held, {}))
        runSoon(held.context.data(), std::move(held.work));
}

void StartGate::defer(QObject *context, std::function<void()> work)
{
    if (!context || !work)
        return;
    if (m_open) {
        runSoon(context, std::move(work));
        return;
    }
    m_held.push_back({context, std::move(work)});
}
