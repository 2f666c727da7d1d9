#include "webcore/PageNavigationPolicy.h"

#include "webcore/PageOriginPolicy.h"

namespace {

bool isWeb(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

QUrl document(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

PageNavigationPolicy::Decision PageNavigationPolicy::decide(const QUrl &url, Cause cause, bool isMainFrame)
{
    // A frame is held by the request rule and never gets the native side.
    if (!isMainFrame)
        return Decision::Allow;
    if (PageOriginPolicy::isTrustedPage(url) || isWeb(url))
        return Decision::Allow;
    return cause == Cause::LinkClicked ? Decision::FollowLink : Decision::Refuse;
}

PageNavigationPolicy::Decision PageNavigationPolicy::decideForNotice(const QUrl &url, Cause cause, bool isMainFrame,
                                                                     const QUrl &shown)
{
    if (!isMainFrame)
        return Decision::Allow;
    switch (cause) {
    case Cause::Host:
        return PageOriginPolicy::isTrustedPage(url) ? Decision::Allow : Decision::Close;
    case Cause::Reload:
        return PageOriginPolicy::isTrustedPage(url) && document(url) == document(shown) ? Decision::Allow : Decision::Close;
    case Cause::LinkClicked:
        return Decision::FollowLink;
    case Cause::Page:
        break;
    }
    return Decision::Close;
}
