#pragma once

#include <QUrl>

// Where a web view of ours may go.
//
// A full-screen page navigates in place: a purchase may pass through a payment provider's pages
// and come back. What protects the user there is that native code answers only our own loaded
// local page (PageDocumentGate), and that no document reads the user's files (PageRequestPolicy):
// its main frame may go to the web or to our local pages, not to other files. A clicked link of
// another scheme (mailto, an in-app destination) leaves through the link rule of the page's router.
//
// The notice popup covers the whole window and its only close control is its page's own: it shows
// the one local document it was opened with. Any way its page leaves that document (a script, a
// refresh, a form, a link) closes the popup instead, a clicked link's address going to the router.
class PageNavigationPolicy
{
public:
    enum class Decision {
        Allow,
        Refuse,       // the view stays where it is
        FollowLink,   // refused; the address goes to the router's link rule
        Close,        // refused; the view goes away (the notice popup)
    };
    enum class Cause {
        Host,         // the view's own load of its page
        Reload,
        LinkClicked,
        Page,         // anything else the page did: a script, a refresh, a form, a redirect
    };

    // A full-screen page.
    static Decision decide(const QUrl &url, Cause cause, bool isMainFrame);
    // The notice popup, showing `shown` now (empty before its first page).
    static Decision decideForNotice(const QUrl &url, Cause cause, bool isMainFrame, const QUrl &shown);

private:
    PageNavigationPolicy() = delete;
};
