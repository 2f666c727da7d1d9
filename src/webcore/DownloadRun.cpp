#include "webcore/DownloadRun.h"

DownloadRun::DownloadRun(QObject *context, Completion completion)
    : m_context(context)
    , m_completion(std::move(completion))
{
}

bool DownloadRun::downloadFinished()
{
    ++m_finished;
    return m_finished == m_started;
}

void DownloadRun::report(bool success)
{
    if (m_reported)
        return;
    m_reported = true;
    if (!m_completion || !m_context)
        return;
    Completion completion = m_completion;
    QMetaObject::invokeMethod(m_context, [completion, success] { completion(success); }, Qt::QueuedConnection);
}
