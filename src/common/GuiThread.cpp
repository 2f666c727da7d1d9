#include "common/GuiThread.h"

#include "common/ThreadHandOff.h"
#include <QPointer>
#include <QThread>

void GuiThread::run(QObject *context, std::function<void()> task)
{
    if (isCurrent(context)) {
        task();
        return;
    }
    post(context, std::move(task));
}

void GuiThread::post(QObject *context, std::function<void()> task)
{
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(context, ThreadHandOff::carried([guard, task = std::move(task)] {
        if (guard)
            task();
    }), Qt::QueuedConnection);
}

bool GuiThread::isCurrent(const QObject *context)
{
    return QThread::currentThread() == context->thread();
}
