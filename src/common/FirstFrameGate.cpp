#include "common/FirstFrameGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <utility>

namespace {

struct Pending
{
    QPointer<QObject> context;
    std::function<void()> work;
};

bool g_open = true;
std::deque<Pending> g_pending;
// Bumped at each hold, so the time-out of an earlier hold cannot open a later one.
quint64 g_holdGeneration = 0;

void runSoon(Pending pending)
{
    QObject *context = pending.context.data();
    if (!context)
        return;
    QTimer::singleShot(0, context, [work = std::move(pending.work)] { work(); });
}

// Watches one window for its first paint, then opens the gate from the event loop (the paint
// event arrives before the frame is handed to the display).
class PaintWatcher : public QObject
{
public:
    explicit PaintWatcher(QObject *window)
        : QObject(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, QCoreApplication::instance(), [] { FirstFrameGate::open(); });
            deleteLater();
        }
        return false;
    }
};

} // namespace

void FirstFrameGate::defer(QObject *context, std::function<void()> work)
{
    if (!context || !work)
        return;
    Pending pending{context, std::move(work)};
    if (g_open) {
        runSoon(std::move(pending));
        return;
    }
    g_pending.push_back(std::move(pending));
}

void FirstFrameGate::hold(int timeoutMs)
{
    g_open = false;
    const quint64 generation = ++g_holdGeneration;
    if (QCoreApplication::instance()) {
        QTimer::singleShot(timeoutMs, QCoreApplication::instance(), [generation] {
            if (generation == g_holdGeneration)
                open();
        });
    }
}

void FirstFrameGate::openAfterPaintOf(QObject *window)
{
    if (!window) {
        open();
        return;
    }
    new PaintWatcher(window);
}

void FirstFrameGate::open()
{
    if (g_open)
        return;
    g_open = true;
    std::deque<Pending> pending;
    pending.swap(g_pending);
    for (Pending &item : pending)
        runSoon(std::move(item));
}

bool FirstFrameGate::isOpen()
{
    return g_open;
}
