#pragma once

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Only the older bridge's adapter, which nothing in the client creates, uses this; kept with it.
// Whoever can run a script in the page (the web view adapter).
class WebViewJavascriptBridgeBaseDelegate
{
public:
    virtual ~WebViewJavascriptBridgeBaseDelegate() = default;
    virtual void _evaluateJavascript(const QString &javascriptCommand) = 0;
};

// The engine-free half of the older page bridge: messages with "handlerName", "data",
// "callbackId", "responseId" and "responseData" in both directions, native handlers by name,
// answer callbacks by id, and the queue of messages sent before the page script is in. The web
// view adapter recognises the bridge's navigations (isWebViewJavascriptBridgeURL), runs the page
// script (injectJavascriptFile) and hands the page's queue text to flushMessageQueue.
//
// No page of this client uses it; it exists so that pages written for it keep working.
class WebViewJavascriptBridgeBase
{
public:
    using ResponseCallback = std::function<void(const QJsonValue &responseData)>;
    using Handler = std::function<void(const QJsonValue &data, ResponseCallback respond)>;

    WebViewJavascriptBridgeBase();

    // Not owned; the owner clears it before it goes away.
    void setDelegate(WebViewJavascriptBridgeBaseDelegate *delegate) { m_delegate = delegate; }

    // Forgets the answer callbacks, starts a new startup queue and sets the id counter to 0.
    void reset();

    void sendData(const std::optional<QJsonValue> &data, ResponseCallback responseCallback,
                  const std::optional<QString> &handlerName);
    void flushMessageQueue(const QString &messageQueueString);
    void injectJavascriptFile();

    void registerHandler(const QString &handlerName, Handler handler) { m_messageHandlers.insert(handlerName, std::move(handler)); }
    void removeHandler(const QString &handlerName) { m_messageHandlers.remove(handlerName); }

    bool isWebViewJavascriptBridgeURL(const QUrl &url) const;
    bool isQueueMessageURL(const QUrl &url) const;
    bool isBridgeLoadedURL(const QUrl &url) const;
    void logUnknownMessage(const QUrl &url) const;

    static QString webViewJavascriptCheckCommand();      // "typeof WebViewJavascriptBridge == 'object';"
    static QString webViewJavascriptFetchQueyCommand();   // "WebViewJavascriptBridge._fetchQueue();"
    // The delivery statement for one message: its compact JSON, escaped for a single-quoted string.
    static QString deliveryCommand(const QJsonObject &message);
    static QString escapedForSingleQuotes(const QString &json);

    static void enableLogging();
    static void setLogMaxLength(int length);

    bool hasStartupQueue() const { return m_startupMessageQueue.has_value(); }

private:
    void queueMessage(const QJsonObject &message);
    void dispatchMessage(const QJsonObject &message);
    void log(const QString &action, const QJsonValue &json) const;

    WebViewJavascriptBridgeBaseDelegate *m_delegate = nullptr;
    std::optional<QList<QJsonObject>> m_startupMessageQueue;
    QHash<QString, ResponseCallback> m_responseCallbacks;
    QHash<QString, Handler> m_messageHandlers;
    long m_uniqueId = 0;
};
