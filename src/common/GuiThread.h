#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <utility>

// The core's process-wide objects live on the GUI thread, owned by the application, and their
// entry points may be called from any thread. Every asynchronous operation answers through
// post(): exactly once, later, from the event loop of its context's thread, and never when the
// context is gone by then (docs/architecture.md, "Completions"). Callers therefore never see
// their completion run inside the call that started it, and need not check themselves again
// after each call out.
//
// The name says where the core's objects live: run(), post() and later() work for an object of
// any thread with an event loop, but code of another thread (a WorkerThread, what lives on it)
// queues through ThreadHandOff::post(), which post() forwards to.
class GuiThread
{
public:
    // Moves a freshly made shared instance to the application's thread under its ownership.
    template <typename T>
    static T *adopt(T *object)
    {
        QCoreApplication *app = QCoreApplication::instance();
        object->moveToThread(app->thread());
        object->setParent(app);
        return object;
    }

    // Runs `task` on `context`'s thread: at once when already there, else queued. A queued task
    // whose context is gone by then does nothing. For entry points, never for completions.
    static void run(QObject *context, std::function<void()> task);
    // Always queued, even from `context`'s own thread; dropped when `context` is gone first.
    static void post(QObject *context, std::function<void()> task);
    static bool isCurrent(const QObject *context);

    // A completion that may be called at once (from inside the starting call) made into one that
    // answers later from the event loop of `context`'s thread, and at most once.
    template <typename... Args>
    static std::function<void(Args...)> later(QObject *context, std::function<void(Args...)> completion)
    {
        auto pending = std::make_shared<std::function<void(Args...)>>(std::move(completion));
        QPointer<QObject> guard(context);
        return [guard, pending](Args... args) {
            if (!*pending || !guard)
                return;
            std::function<void(Args...)> call = std::exchange(*pending, {});
            if (call)
                post(guard.data(), [call = std::move(call), args...]() mutable { call(args...); });
        };
    }

private:
    GuiThread() = delete;
};
