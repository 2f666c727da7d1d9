#include "webcore/PageRequestPolicy.h"

#include "webcore/PageOriginPolicy.h"

bool PageRequestPolicy::allows(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return PageOriginPolicy::isTrustedPage(url);
    // A WebSocket is the same page talking to the same web, upgraded: Chromium hands its handshake
    // here as ws: or wss:, and a page waiting on one would otherwise stall.
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ws")
        || scheme == QLatin1String("wss"))
        return !url.host().isEmpty();
    // Made by the page from what it already holds; nothing leaves the process.
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return true;
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank");
    return false;
}
