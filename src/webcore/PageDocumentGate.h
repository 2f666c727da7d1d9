#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <vector>

// Whether native code may answer the document in a web view's main frame: only a loaded local
// page, and only that very document. The view's URL alone cannot tell: it names the page being
// loaded as soon as a load starts, while the previous (maybe remote) document still runs and can
// post. So every main-frame navigation shuts the gate; it opens when a local page has finished
// loading and has said which document it is (an id its page script made, which no other document
// and no other frame can read).
//
// A call that comes while a load is under way waits: a page posts while it is still being parsed.
// It is delivered when its document turns out to be the loaded local page, and dropped otherwise.
class PageDocumentGate
{
public:
    using Delivery = std::function<void(const QUrl &page)>;
    static constexpr std::size_t kMaxWaiting = 256;

    enum class LoadEnd {
        Ignored,       // no navigation of ours was under way (a refused one ending): nothing changes
        Refused,       // ours ended without a local page: nobody is answered
        Identifying,   // a local page: its document id is wanted (documentIdentified)
    };

    // A main-frame navigation the view has accepted, to `target` (again for each redirect).
    void navigationStarted(const QUrl &target);
    // The end of a main-frame load to `url`, with `shown` the view's address now. The engine may
    // report only the last of overlapping loads (a navigation refused while ours ran): then ours
    // counts as done when the view shows its page.
    LoadEnd loadFinished(bool ok, const QUrl &url, const QUrl &shown);
    // The id read from the loaded page; ignored unless it answers the current load.
    void documentIdentified(int navigation, const QString &documentId);
    int navigation() const { return m_navigation; }

    // A page's call: runs `delivery` now, later or never, as above. Only the id the gate read from
    // the loaded local page itself opens it; any other word of the caller's ("*", empty, a guess)
    // is dropped.
    void deliver(const QString &documentId, Delivery delivery);
    // A step of the view's own, not a page's call: runs once a local page is answered, whichever
    // document that is (now, after the load under way, or never).
    void whenAnswering(Delivery delivery);

    bool isAnswering() const { return m_state == State::Answering; }
    // The loaded local page while answering; empty otherwise.
    QUrl answeringUrl() const { return isAnswering() ? m_url : QUrl(); }

private:
    enum class State { Closed, Loading, Identifying, Answering };
    struct Waiting
    {
        QString documentId;   // empty: a step of the view's own
        Delivery delivery;
    };
    void pass(const QString &documentId, Delivery delivery);
    void close(State next);
    void runWaiting();
    void dropWaiting();

    State m_state = State::Closed;
    int m_navigation = 0;
    QUrl m_url;
    QUrl m_pending;
    QString m_documentId;
    std::vector<Waiting> m_waiting;
};
