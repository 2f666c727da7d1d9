#include "web/PageProxyRefresh.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "app/TerminationRoad.h"
#include "networking/ApplicationProxy.h"

namespace {

// A loopback port nobody serves: one just given up by a listener of ours. Chromium refuses the
// well-known ports before it looks at the road at all, so none of those will do.
quint16 unservedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

} // namespace

void PageProxyRefresh::watch(QWebEngineProfile *profile)
{
    if (!profile || profile->findChild<PageProxyRefresh *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new PageProxyRefresh(profile);
}

PageProxyRefresh::PageProxyRefresh(QWebEngineProfile *profile)
    : QObject(profile)
    , m_profile(profile)
{
    connect(&ApplicationProxy::shared(), &ApplicationProxy::changed, this, &PageProxyRefresh::nudge);
    // A nudge under way as the application quits does not outlive its pages into the profile's
    // end.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { delete m_page; });
}

void PageProxyRefresh::nudge()
{
    // The quit gives the road back too, with no page left to serve. Its teardown runs before the
    // application's aboutToQuit (and a signal's before the quit at all): the road knows first.
    if (TerminationRoad::isUnderWay() || !m_profile)
        return;
    const quint16 port = unservedPort();
    if (port == 0)
        return;
    // One nudge at a time: a newer change replaces a nudge under way, whose road is old news.
    delete m_page;
    auto *page = new QWebEnginePage(m_profile, this);
    m_page = page;
    connect(page, &QWebEnginePage::loadFinished, this, [this, page](bool) {
        page->deleteLater();
        Q_EMIT refreshed();
    });
    page->load(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)));
}
