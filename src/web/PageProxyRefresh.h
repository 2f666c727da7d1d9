#pragma once

#include <QObject>
#include <QPointer>

class QWebEnginePage;
class QWebEngineProfile;

// Has Chromium take a change of Qt's application proxy at once. Qt WebEngine reads Qt's proxy
// only as a request of one of its pages gets under way, and takes a change it finds there from the
// next request on: without a nudge, the first page request after the client's requests were
// pointed at the engine (or given back) would take the road of before, however late it came: the
// user's token beside the tunnel, or a request to a listener that is gone. So at each change a
// throwaway request to a port on loopback that nobody serves is made in the profile: Chromium
// reads the new road as it starts, and the request fails at once.
class PageProxyRefresh : public QObject
{
    Q_OBJECT
public:
    // Watches the changes for `profile`'s pages, for the profile's life; once per profile (the
    // profile's set-up, PageProfile, starts it with the first page).
    static void watch(QWebEngineProfile *profile);

Q_SIGNALS:
    // A nudge's request ended: Chromium has read the road of that change.
    void refreshed();

private:
    explicit PageProxyRefresh(QWebEngineProfile *profile);
    void nudge();

    QPointer<QWebEngineProfile> m_profile;
    QPointer<QWebEnginePage> m_page;
};
