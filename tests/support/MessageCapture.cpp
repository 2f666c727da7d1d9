#include "MessageCapture.h"

#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex s_mutex;
QStringList s_messages;
QtMessageHandler s_previous = nullptr;
} // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker lock(&s_mutex);
    s_messages.clear();
    m_previous = qInstallMessageHandler(&MessageCapture::handler);
    s_previous = m_previous;
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(m_previous);
    QMutexLocker lock(&s_mutex);
    s_previous = nullptr;
}

QStringList MessageCapture::messages() const
{
    QMutexLocker lock(&s_mutex);
    return s_messages;
}

bool MessageCapture::contains(const QString &fragment) const
{
    const QStringList all = messages();
    for (const QString &message : all) {
        if (message.contains(fragment))
            return true;
    }
    return false;
}

void MessageCapture::handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker lock(&s_mutex);
        s_messages.append(message);
        previous = s_previous;
    }
    if (previous)
        previous(type, context, message);
}
