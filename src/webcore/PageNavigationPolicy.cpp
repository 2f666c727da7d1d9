#include "webcore/PageNavigationPolicy.h"

#include "webcore/PageOriginPolicy.h"

PageNavigationPolicy::Decision PageNavigationPolicy::decide(const QUrl &url, bool linkClicked, bool isMainFrame)
{
    // A frame inside a local page is held by the page's request rule and gets no native side.
    if (!isMainFrame)
        return Decision::Allow;
    if (PageOriginPolicy::isTrustedPage(url))
        return Decision::Allow;
    return linkClicked ? Decision::FollowLink : Decision::Refuse;
}
