#pragma once

#include <QUrl>

// Where a web view of ours may go. Its main frame shows only our own local pages: whatever a page
// or a redirect leads to elsewhere would fill the view with a document that has none of our
// controls (the notice popup covers the whole window and could then never be closed). A clicked
// link leaves through the link rule of the page's router instead (in-app destinations, or the
// desktop's browser for http, https and mailto); any other way out is refused.
class PageNavigationPolicy
{
public:
    enum class Decision { Allow, Refuse, FollowLink };

    static Decision decide(const QUrl &url, bool linkClicked, bool isMainFrame);

private:
    PageNavigationPolicy() = delete;
};
