#include "web/DesktopLinkOpener.h"

#include <QDesktopServices>

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
    QDesktopServices::openUrl(url);
}

void DesktopLinkOpener::setOpenerForTesting(Opener replacement)
{
    opener() = std::move(replacement);
}
