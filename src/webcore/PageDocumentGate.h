#pragma once

#include <QUrl>

// Whether the document in a web view's main frame is a loaded local page, which is the only
// document native code answers. The view's URL alone cannot tell: it names the page being loaded
// as soon as a load starts, while the previous (maybe remote) document still runs and can post.
// So the gate shuts when any main-frame navigation starts and opens only when a load of a local
// page has finished.
class PageDocumentGate
{
public:
    void navigationStarted();
    void loadFinished(bool ok, const QUrl &url);

    bool isAnswering() const { return m_answering; }
    // The loaded local page while answering; empty otherwise.
    QUrl answeringUrl() const { return m_answering ? m_url : QUrl(); }

private:
    bool m_answering = false;
    QUrl m_url;
};
