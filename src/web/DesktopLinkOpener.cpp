#include "web/DesktopLinkOpener.h"

#include "common/DetachedProcess.h"
#include "webcore/PageOriginPolicy.h"
#include "webcore/WebLog.h"

namespace {

DesktopLinkOpener::Opener &opener()
{
    static DesktopLinkOpener::Opener current;
    return current;
}

} // namespace

void DesktopLinkOpener::open(const QUrl &url)
{
    if (!PageOriginPolicy::isAllowedExternalLink(url)) {
        webLog(QStringLiteral("link refused at the desktop's door"), Q_FUNC_INFO);
        return;
    }
    if (opener())
        return opener()(url);
    // The desktop's own opener, started by us: through QDesktopServices it would hold every
    // descriptor of the client, and keep the web engine's processes alive as long as the browser.
    const DetachedProcess::Result started = DetachedProcess::openUrl(url);
    if (!started.ok())
        webLog(QStringLiteral("the link could not be handed to the desktop: ") + started.error, Q_FUNC_INFO);
}

void DesktopLinkOpener::setOpenerForTesting(Opener replacement)
{
    opener() = std::move(replacement);
}
