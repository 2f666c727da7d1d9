#include "common/ThreadHandOff.h"

#include <QObject>
#include <QPointer>

void ThreadHandOff::post(QObject *context, std::function<void()> task)
{
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(context, carried([guard, task = std::move(task)] {
        if (guard)
            task();
    }), Qt::QueuedConnection);
}
