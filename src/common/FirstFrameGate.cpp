#include "common/FirstFrameGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <utility>

#include "common/StartGate.h"

namespace {

// Lives for the process: work still held as the program ends goes with it, never run.
StartGate &gate()
{
    static StartGate *instance = new StartGate;
    return *instance;
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
    gate().defer(context, std::move(work));
}

void FirstFrameGate::hold(int timeoutMs)
{
    gate().hold(timeoutMs);
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
    gate().open();
}

bool FirstFrameGate::isOpen()
{
    return gate().isOpen();
}
