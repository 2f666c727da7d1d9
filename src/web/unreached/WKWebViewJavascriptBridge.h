#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

#include "web/ScriptMessageWebPage.h"
#include "webcore/unreached/WebViewJavascriptBridgeBase.h"


// Nothing in the client creates this yet; it is kept for pages written for the older bridge.
// The web view half of the older page bridge: it watches the page's navigations for the bridge's
// signals (a frame pointed at https://__bridge_loaded__ or https://__wvjb_queue_message__),
// cancels them, puts the page script in, and fetches and delivers the page's queued messages.
// Native handlers answer only local pages, as the script messages do.
//
// No screen of the client makes one; pages written for this bridge keep working where one is.
class WKWebViewJavascriptBridge : public QObject, public WebViewJavascriptBridgeBaseDelegate
{
    Q_OBJECT
public:
    // A bridge for pages of our own kind; nothing (and "BadWebViewType" logged) for any other.
    static WKWebViewJavascriptBridge *bridgeForWebView(QWebEnginePage *webView);

    ~WKWebViewJavascriptBridge() override;

    static void enableLogging() { WebViewJavascriptBridgeBase::enableLogging(); }

    void send(const QJsonValue &data, WebViewJavascriptBridgeBase::ResponseCallback responseCallback = {});
    void callHandler(const QString &handlerName, const std::optional<QJsonValue> &data = std::nullopt,
                     WebViewJavascriptBridgeBase::ResponseCallback responseCallback = {});
    void registerHandler(const QString &handlerName, WebViewJavascriptBridgeBase::Handler handler);
    void removeHandler(const QString &handlerName);
    void reset();
    void disableJavscriptAlertBoxSafetyTimeout();
    // The page's own say over every navigation that is not a bridge signal, while `owner` lives
    // (held weakly). It can refuse a navigation; what the page itself refuses stays refused.
    void setWebViewDelegate(QObject *owner, ScriptMessageWebPage::NavigationFilter decide);

    void _evaluateJavascript(const QString &javascriptCommand) override;

private:
    explicit WKWebViewJavascriptBridge(ScriptMessageWebPage *webView);
    std::optional<bool> decidePolicy(const QUrl &url, QWebEnginePage::NavigationType type, bool isMainFrame);
    void flushMessageQueue();

    QPointer<ScriptMessageWebPage> m_webView;
    std::unique_ptr<WebViewJavascriptBridgeBase> m_base;
    QPointer<QObject> m_webViewDelegateOwner;
    ScriptMessageWebPage::NavigationFilter m_webViewDelegate;
};
