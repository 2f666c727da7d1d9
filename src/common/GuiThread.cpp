#include "common/GuiThread.h"

#include "common/ThreadHandOff.h"
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
    ThreadHandOff::post(context, std::move(task));
}

bool GuiThread::isCurrent(const QObject *context)
{
    return QThread::currentThread() == context->thread();
}
