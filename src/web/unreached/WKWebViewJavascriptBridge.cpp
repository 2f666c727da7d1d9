#include "web/unreached/WKWebViewJavascriptBridge.h"

#include <QWebEngineScript>

#include "web/ScriptMessageWebPage.h"
#include "webcore/WebLog.h"

WKWebViewJavascriptBridge *WKWebViewJavascriptBridge::bridgeForWebView(QWebEnginePage *webView)
{
    auto *page = qobject_cast<ScriptMessageWebPage *>(webView);
    if (!page) {
        webLog(QStringLiteral("BadWebViewType: Unknown web view type."), Q_FUNC_INFO);
        return nullptr;
    }
    return new WKWebViewJavascriptBridge(page);
}

WKWebViewJavascriptBridge::WKWebViewJavascriptBridge(ScriptMessageWebPage *webView)
    : QObject(webView)
    , m_webView(webView)
    , m_base(std::make_unique<WebViewJavascriptBridgeBase>())
{
    m_base->setDelegate(this);
    m_base->reset();
    QPointer<WKWebViewJavascriptBridge> self(this);
    webView->setNavigationFilter(
        [self](const QUrl &url, QWebEnginePage::NavigationType type, bool isMainFrame) -> std::optional<bool> {
            return self ? self->decidePolicy(url, type, isMainFrame) : std::nullopt;
        });
}

WKWebViewJavascriptBridge::~WKWebViewJavascriptBridge()
{
    if (m_webView)
        m_webView->setNavigationFilter({});
    m_base->setDelegate(nullptr);
}

void WKWebViewJavascriptBridge::setWebViewDelegate(QObject *owner, ScriptMessageWebPage::NavigationFilter decide)
{
    m_webViewDelegateOwner = owner;
    m_webViewDelegate = owner ? std::move(decide) : ScriptMessageWebPage::NavigationFilter();
}

std::optional<bool> WKWebViewJavascriptBridge::decidePolicy(const QUrl &url, QWebEnginePage::NavigationType type,
                                                            bool isMainFrame)
{
    if (!m_base->isWebViewJavascriptBridgeURL(url)) {
        if (url.scheme().compare(QLatin1String("wvjbscheme"), Qt::CaseInsensitive) == 0) {
            m_base->logUnknownMessage(url);
            return false;
        }
        if (m_webViewDelegateOwner && m_webViewDelegate)
            return m_webViewDelegate(url, type, isMainFrame);
        return std::nullopt;
    }
    // The bridge's signals are never navigations. Only a loaded local page may talk to native
    // handlers; a signal sent while it loads is acted on once it has, on that page.
    if (!m_webView)
        return false;
    QPointer<WKWebViewJavascriptBridge> self(this);
    const bool loaded = m_base->isBridgeLoadedURL(url);
    const bool queued = m_base->isQueueMessageURL(url);
    m_webView->whenAnswering([self, loaded, queued] {
        if (!self)
            return;
        if (loaded)
            self->m_base->injectJavascriptFile();
        else if (queued)
            self->flushMessageQueue();
    });
    return false;
}

void WKWebViewJavascriptBridge::flushMessageQueue()
{
    QPointer<WKWebViewJavascriptBridge> self(this);
    m_webView->runJavaScript(WebViewJavascriptBridgeBase::webViewJavascriptFetchQueyCommand(), QWebEngineScript::MainWorld,
                             [self](const QVariant &result) {
                                 if (!self)
                                     return;
                                 if (!result.isValid() || result.typeId() != QMetaType::QString)
                                     qCWarning(lcWeb).noquote()
                                         << "WebViewJavascriptBridge: WARNING: Error when trying to fetch data from WKWebView: no text";
                                 self->m_base->flushMessageQueue(result.toString());
                             });
}

void WKWebViewJavascriptBridge::_evaluateJavascript(const QString &javascriptCommand)
{
    if (m_webView)
        m_webView->runJavaScript(javascriptCommand, QWebEngineScript::MainWorld);
}

void WKWebViewJavascriptBridge::send(const QJsonValue &data, WebViewJavascriptBridgeBase::ResponseCallback responseCallback)
{
    m_base->sendData(data, std::move(responseCallback), std::nullopt);
}

void WKWebViewJavascriptBridge::callHandler(const QString &handlerName, const std::optional<QJsonValue> &data,
                                            WebViewJavascriptBridgeBase::ResponseCallback responseCallback)
{
    m_base->sendData(data, std::move(responseCallback), handlerName);
}

void WKWebViewJavascriptBridge::registerHandler(const QString &handlerName, WebViewJavascriptBridgeBase::Handler handler)
{
    m_base->registerHandler(handlerName, std::move(handler));
}

void WKWebViewJavascriptBridge::removeHandler(const QString &handlerName)
{
    m_base->removeHandler(handlerName);
}

void WKWebViewJavascriptBridge::reset()
{
    m_base->reset();
}

void WKWebViewJavascriptBridge::disableJavscriptAlertBoxSafetyTimeout()
{
    m_base->sendData(std::nullopt, {}, QStringLiteral("_disableJavascriptAlertBoxSafetyTimeout"));
}
