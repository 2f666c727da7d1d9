#include "webcore/PageRequestPolicy.h"

#include "webcore/PageOriginPolicy.h"

bool PageRequestPolicy::allows(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return PageOriginPolicy::isTrustedPage(url);
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    // Made by the page from what it already holds; nothing leaves the process.
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return true;
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank");
    return false;
}
