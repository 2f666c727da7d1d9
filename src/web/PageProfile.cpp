#include "web/PageProfile.h"

#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

#include "networking/ApplicationProxy.h"
#include "web/PageProxyRefresh.h"
#include "webcore/PageRequestPolicy.h"
#include "webcore/WebLog.h"

namespace {

// A shared worker or a service worker belongs to no page, so a page's own interceptor never hears
// of its requests: the rule is the profile's. Qt calls it on the GUI thread.
class ProfileRequestGate : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QUrl url = info.requestUrl();
        if (PageRequestPolicy::allows(url))
            return;
        info.block(true);
        // Scheme and host are enough to find the page at fault; a path may name the user's files.
        webLog(QStringLiteral("page request refused: %1 %2").arg(url.scheme(), url.host().left(100)), Q_FUNC_INFO);
    }
};

} // namespace

void PageProfile::prepare(QWebEngineProfile *profile)
{
    if (!profile)
        return;
    // Chromium reads the road as the profile's first request gets under way: the client's
    // factory is Qt's by then.
    ApplicationProxy::install();
    if (!profile->findChild<ProfileRequestGate *>(QString(), Qt::FindDirectChildrenOnly))
        profile->setUrlRequestInterceptor(new ProfileRequestGate(profile));
    PageProxyRefresh::watch(profile);
}

#include "PageProfile.moc"
