#pragma once

#include <QCoreApplication>
#include <QObject>

#include <functional>

// The network layer's process-wide objects live on the GUI thread, owned by the application,
// and their entry points may be called from any thread. These helpers hold that rule in one
// place.
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
    // whose context is gone by then does nothing.
    static void run(QObject *context, std::function<void()> task);
    // Always queued, even from `context`'s own thread (completions never run inside the call
    // that started them).
    static void post(QObject *context, std::function<void()> task);
    static bool isCurrent(const QObject *context);

private:
    GuiThread() = delete;
};
