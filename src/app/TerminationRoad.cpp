#include "app/TerminationRoad.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include "common/Logger.h"
#include "common/UnixSignalWatcher.h"

#include <csignal>

namespace {
// Roads that have ended and are still there (GUI thread only).
int s_endedRoads = 0;
} // namespace

TerminationRoad::TerminationRoad(std::function<void()> teardown, QObject *parent)
    : QObject(parent)
    , m_teardown(std::move(teardown))
    , m_quit([] { QCoreApplication::quit(); })
{
}

TerminationRoad::~TerminationRoad()
{
    if (m_ended)
        --s_endedRoads;
}

bool TerminationRoad::isUnderWay()
{
    return s_endedRoads > 0;
}

void TerminationRoad::install()
{
    if (m_signals)
        return;
    m_signals = std::make_unique<UnixSignalWatcher>(QList<int>{SIGTERM, SIGINT, SIGHUP});
    connect(m_signals.get(), &UnixSignalWatcher::unixSignal, this,
            [this](int number) { end(Reason::Signal, number); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { end(Reason::Quit); });
    // The session manager asks before the session ends; after this the session may simply kill us.
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { end(Reason::SessionEnd); });
}

void TerminationRoad::end(Reason reason, int signalNumber)
{
    // A second signal while the teardown waits for the helper changes nothing: the teardown is
    // bounded, and a second run would stop what the first is stopping.
    if (m_ended)
        return;
    m_ended = true;
    ++s_endedRoads;
    if (reason == Reason::Signal)
        OSTREL_LOG(Logger::Info, QStringLiteral("ending on signal %1").arg(signalNumber));
    if (m_teardown)
        m_teardown();
    Q_EMIT ended(reason, signalNumber);
    if (reason != Reason::Quit && m_quit)
        m_quit();
}
