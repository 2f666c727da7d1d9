#include "webcore/PageDocumentGate.h"

#include "webcore/PageOriginPolicy.h"

void PageDocumentGate::navigationStarted()
{
    m_answering = false;
    m_url.clear();
}

void PageDocumentGate::loadFinished(bool ok, const QUrl &url)
{
    m_answering = ok && PageOriginPolicy::isTrustedPage(url);
    m_url = m_answering ? url : QUrl();
}
