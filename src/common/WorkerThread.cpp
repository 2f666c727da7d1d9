#include "common/WorkerThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

#include <pthread.h>

#include "common/ThreadHandOff.h"

WorkerThread::WorkerThread(const QString &name)
{
    std::promise<void> ready;
    std::future<void> started = ready.get_future();
    m_thread = std::thread([this, name, ready = std::move(ready)]() mutable {
        run(name, ready);
    });
    started.wait();
}

WorkerThread::~WorkerThread()
{
    stop();
}

void WorkerThread::run(const QString &name, std::promise<void> &ready)
{
    pthread_setname_np(pthread_self(), name.toUtf8().left(15).constData());
    {
        QEventLoop loop;
        QObject context;
        m_loop = &loop;
        m_context.store(&context);
        ready.set_value();
        loop.exec();
        // An object left to deleteLater, with no parent, may still point at the thread's objects:
        // it goes first, here on its own thread, before the context takes its children with it.
        // Qt's end of the thread would delete it too, but only after them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Events still queued for objects of this thread are Qt's to drop as the thread's data goes,
    // which happens in this thread's exit clean-up, before the join in stop() returns.
}

void WorkerThread::post(std::function<void()> task)
{
    QObject *context = m_context.load();
    if (!context)
        return;
    ThreadHandOff::post(context, std::move(task));
}

void WorkerThread::stop(const std::function<void()> &last)
{
    // The context is taken first, so nothing posted from now on lands behind the last step.
    QObject *context = m_context.exchange(nullptr);
    if (!context)
        return;
    ThreadHandOff::post(context, [this, last] {
        if (last)
            last();
        m_loop->quit();
    });
    m_thread.join();
}
