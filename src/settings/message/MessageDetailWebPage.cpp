#include "settings/message/MessageDetailWebPage.h"
#include "web/PageProfile.h"
#include "webcore/WebLog.h"

#include <QColor>
#include <QDebug>
#include <QWebEngineSettings>

namespace {

void lockDown(QWebEngineSettings *settings)
{
    // The body is the service's HTML: shown, never run. The template needs no script.
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    // A clicked "marlet" link must reach acceptNavigationRequest (the router decides), which
    // refuses it there, so nothing of an unknown scheme is ever handed to the desktop. Without a
    // click (a refresh, a script) such a link is refused by the engine.
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
}

} // namespace

MessageDetailWebPage::MessageDetailWebPage(QObject *parent)
    : QWebEnginePage(parent)
{
    lockDown(settings());
    // A message's images come from the web: they take the client's road as every page's requests.
    PageProfile::prepare(profile());
    // The pane's own colour under the page: what a transparent page shows, without leaning on
    // the compositor to blend a web view into a widget.
    setBackgroundColor(QColor(22, 22, 22));
}

bool MessageDetailWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (m_catcher) {
        // A page for a new window only carries its first address over; it never loads anything.
        if (m_catchFor)
            Q_EMIT m_catchFor->linkClicked(url);
        m_catchFor = nullptr;
        deleteLater();
        return false;
    }
    if (type == NavigationTypeLinkClicked) {
        Q_EMIT linkClicked(url);
        return false;
    }
    // The message's own HTML comes as a data: address. Frames are kept out by the template's
    // content policy; should one appear it stays blank.
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("data") || (!isMainFrame && url == QUrl(QStringLiteral("about:blank"))))
        return true;
    qCWarning(lcWeb) << "message page: navigation refused, scheme" << scheme << "type" << type << "main frame" << isMainFrame;
    return false;
}

QWebEnginePage *MessageDetailWebPage::createWindow(WebWindowType)
{
    auto *catcher = new MessageDetailWebPage(this);
    catcher->m_catcher = true;
    catcher->m_catchFor = this;
    return catcher;
}
