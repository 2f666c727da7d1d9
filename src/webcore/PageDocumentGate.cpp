#include "webcore/PageDocumentGate.h"

#include "webcore/PageOriginPolicy.h"
#include "webcore/WebLog.h"

void PageDocumentGate::close(State next)
{
    m_state = next;
    m_url.clear();
    m_documentId.clear();
}

namespace {

QUrl document(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

void PageDocumentGate::navigationStarted(const QUrl &target)
{
    ++m_navigation;
    m_waiting.clear();
    close(State::Loading);
    m_pending = document(target);
}

PageDocumentGate::LoadEnd PageDocumentGate::loadFinished(bool ok, const QUrl &url, const QUrl &shown)
{
    if (m_state != State::Loading)
        return LoadEnd::Ignored;
    QUrl loaded = url;
    if (document(url) != m_pending) {
        // Another navigation's end (one the view refused): the document shown has not changed,
        // unless ours has arrived meanwhile.
        if (document(shown) != m_pending || !PageOriginPolicy::isTrustedPage(shown))
            return LoadEnd::Ignored;
        loaded = shown;
    } else if (!ok || !PageOriginPolicy::isTrustedPage(url)) {
        dropWaiting();
        close(State::Closed);
        return LoadEnd::Refused;
    }
    m_state = State::Identifying;
    m_url = loaded;
    return LoadEnd::Identifying;
}

void PageDocumentGate::documentIdentified(int navigation, const QString &documentId)
{
    if (navigation != m_navigation || m_state != State::Identifying)
        return;
    if (documentId.isEmpty()) {
        // A page without our script (it failed, or the page replaced it): nobody to answer.
        dropWaiting();
        close(State::Closed);
        return;
    }
    m_state = State::Answering;
    m_documentId = documentId;
    runWaiting();
}

void PageDocumentGate::dropWaiting()
{
    if (!m_waiting.empty())
        webLog(QStringLiteral("%1 calls not from a loaded local page; dropped").arg(m_waiting.size()), Q_FUNC_INFO);
    m_waiting.clear();
}

void PageDocumentGate::runWaiting()
{
    std::vector<Waiting> waiting;
    waiting.swap(m_waiting);
    const int navigation = m_navigation;
    for (Waiting &call : waiting) {
        // A delivery may start another navigation; what is left then belongs to a gone document.
        if (navigation != m_navigation)
            return;
        pass(call.documentId, std::move(call.delivery));
    }
}

void PageDocumentGate::deliver(const QString &documentId, Delivery delivery)
{
    // An id the gate never issues cannot open it: a page (or a frame that reached the channel)
    // naming no document, or every document, gets nothing.
    if (documentId.isEmpty()) {
        webLog(QStringLiteral("call without the id of a loaded local page; dropped"), Q_FUNC_INFO);
        return;
    }
    pass(documentId, std::move(delivery));
}

void PageDocumentGate::whenAnswering(Delivery delivery)
{
    pass(QString(), std::move(delivery));
}

void PageDocumentGate::pass(const QString &documentId, Delivery delivery)
{
    if (!delivery)
        return;
    if (m_state == State::Answering) {
        if (documentId.isEmpty() || documentId == m_documentId)
            delivery(m_url);
        else
            webLog(QStringLiteral("call from another document, not from the loaded local page; dropped"), Q_FUNC_INFO);
        return;
    }
    if (m_state == State::Closed) {
        webLog(QStringLiteral("call not from a loaded local page; dropped"), Q_FUNC_INFO);
        return;
    }
    // A page flooding us while it loads gets no more than this held.
    if (m_waiting.size() >= kMaxWaiting)
        return;
    m_waiting.push_back({documentId, std::move(delivery)});
}
