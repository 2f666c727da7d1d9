#include "webcore/unreached/WebViewJavascriptBridgeBase.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <atomic>

#include "webcore/WebLog.h"
#include "webcore/unreached/WebViewJavascriptBridgeJS.h"

namespace {

std::atomic<bool> s_logging{false};
std::atomic<int> s_logMaxLength{500};

const QString kOldScheme = QStringLiteral("wvjbscheme");
const QString kNewScheme = QStringLiteral("https");
const QString kQueueHost = QStringLiteral("__wvjb_queue_message__");
const QString kLoadedHost = QStringLiteral("__bridge_loaded__");

} // namespace

WebViewJavascriptBridgeBase::WebViewJavascriptBridgeBase()
{
    reset();
}

void WebViewJavascriptBridgeBase::enableLogging()
{
    s_logging = true;
}

void WebViewJavascriptBridgeBase::setLogMaxLength(int length)
{
    s_logMaxLength = length;
}

void WebViewJavascriptBridgeBase::reset()
{
    m_startupMessageQueue = QList<QJsonObject>();
    m_responseCallbacks.clear();
    m_uniqueId = 0;
}

void WebViewJavascriptBridgeBase::sendData(const std::optional<QJsonValue> &data, ResponseCallback responseCallback,
                                           const std::optional<QString> &handlerName)
{
    QJsonObject message;
    if (data)
        message.insert(QStringLiteral("data"), *data);
    if (responseCallback) {
        const QString callbackId = QStringLiteral("objc_cb_%1").arg(++m_uniqueId);
        m_responseCallbacks.insert(callbackId, std::move(responseCallback));
        message.insert(QStringLiteral("callbackId"), callbackId);
    }
    if (handlerName)
        message.insert(QStringLiteral("handlerName"), *handlerName);
    queueMessage(message);
}

void WebViewJavascriptBridgeBase::flushMessageQueue(const QString &messageQueueString)
{
    if (messageQueueString.isEmpty()) {
        qCWarning(lcWeb).noquote()
            << "WebViewJavascriptBridge: WARNING: ObjC got nil while fetching the message queue JSON from webview. "
               "This can happen if the WebViewJavascriptBridge JS is not currently present in the webview, e.g if "
               "the webview just loaded a new page.";
        return;
    }
    const QJsonDocument document = QJsonDocument::fromJson(messageQueueString.toUtf8());
    const QJsonArray messages = document.array();
    for (const QJsonValue &value : messages) {
        if (!value.isObject()) {
            qCWarning(lcWeb).noquote() << QStringLiteral("WebViewJavascriptBridge: WARNING: Invalid %1 received: %2")
                                              .arg(QString::fromLatin1(value.isArray() ? "array" : "value"),
                                                   QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)));
            continue;
        }
        log(QStringLiteral("RCVD"), value);
        dispatchMessage(value.toObject());
    }
}

void WebViewJavascriptBridgeBase::dispatchMessage(const QJsonObject &message)
{
    const QString responseId = message.value(QStringLiteral("responseId")).toString();
    if (!responseId.isEmpty()) {
        // An answer nobody waits for any more is dropped.
        const ResponseCallback callback = m_responseCallbacks.take(responseId);
        if (callback)
            callback(message.value(QStringLiteral("responseData")));
        return;
    }
    ResponseCallback respond = [](const QJsonValue &) {};
    const QString callbackId = message.value(QStringLiteral("callbackId")).toString();
    if (!callbackId.isEmpty()) {
        respond = [this, callbackId](const QJsonValue &responseData) {
            QJsonObject answer{{QStringLiteral("responseId"), callbackId},
                               {QStringLiteral("responseData"), responseData.isUndefined() ? QJsonValue() : responseData}};
            queueMessage(answer);
        };
    }
    const QString handlerName = message.value(QStringLiteral("handlerName")).toString();
    const auto handler = m_messageHandlers.constFind(handlerName);
    if (handler == m_messageHandlers.constEnd()) {
        qCWarning(lcWeb).noquote() << QStringLiteral("WVJBNoHandlerException, No handler for message from JS: %1")
                                          .arg(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        return;
    }
    handler.value()(message.value(QStringLiteral("data")), respond);
}

void WebViewJavascriptBridgeBase::injectJavascriptFile()
{
    if (m_delegate)
        m_delegate->_evaluateJavascript(WebViewJavascriptBridge_js());
    const std::optional<QList<QJsonObject>> queue = std::exchange(m_startupMessageQueue, std::nullopt);
    if (!queue)
        return;
    for (const QJsonObject &message : *queue)
        queueMessage(message);
}

void WebViewJavascriptBridgeBase::queueMessage(const QJsonObject &message)
{
    if (m_startupMessageQueue) {
        m_startupMessageQueue->append(message);
        return;
    }
    log(QStringLiteral("SEND"), message);
    if (m_delegate)
        m_delegate->_evaluateJavascript(deliveryCommand(message));
}

QString WebViewJavascriptBridgeBase::escapedForSingleQuotes(const QString &json)
{
    QString text = json;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    text.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    text.replace(QLatin1Char('\f'), QStringLiteral("\\f"));
    text.replace(QChar(0x2028), QStringLiteral("\\u2028"));
    text.replace(QChar(0x2029), QStringLiteral("\\u2029"));
    return text;
}

QString WebViewJavascriptBridgeBase::deliveryCommand(const QJsonObject &message)
{
    const QString json = QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
    return QStringLiteral("WebViewJavascriptBridge._handleMessageFromObjC('%1');").arg(escapedForSingleQuotes(json));
}

bool WebViewJavascriptBridgeBase::isWebViewJavascriptBridgeURL(const QUrl &url) const
{
    const QString scheme = url.scheme().toLower();
    if (scheme != kOldScheme && scheme != kNewScheme)
        return false;
    return isQueueMessageURL(url) || isBridgeLoadedURL(url);
}

bool WebViewJavascriptBridgeBase::isQueueMessageURL(const QUrl &url) const
{
    const QString scheme = url.scheme().toLower();
    return (scheme == kOldScheme || scheme == kNewScheme) && url.host().toLower() == kQueueHost;
}

bool WebViewJavascriptBridgeBase::isBridgeLoadedURL(const QUrl &url) const
{
    const QString scheme = url.scheme().toLower();
    return (scheme == kOldScheme || scheme == kNewScheme) && url.host().toLower() == kLoadedHost;
}

void WebViewJavascriptBridgeBase::logUnknownMessage(const QUrl &url) const
{
    qCWarning(lcWeb).noquote() << QStringLiteral("WebViewJavascriptBridge: WARNING: Received unknown WebViewJavascriptBridge command %1")
                                      .arg(url.toString());
}

QString WebViewJavascriptBridgeBase::webViewJavascriptCheckCommand()
{
    return QStringLiteral("typeof WebViewJavascriptBridge == 'object';");
}

QString WebViewJavascriptBridgeBase::webViewJavascriptFetchQueyCommand()
{
    return QStringLiteral("WebViewJavascriptBridge._fetchQueue();");
}

void WebViewJavascriptBridgeBase::log(const QString &action, const QJsonValue &json) const
{
    if (!s_logging)
        return;
    const QJsonDocument document = json.isArray() ? QJsonDocument(json.toArray()) : QJsonDocument(json.toObject());
    QString text = json.isString() ? json.toString() : QString::fromUtf8(document.toJson(QJsonDocument::Indented));
    const int limit = s_logMaxLength;
    if (text.size() > limit)
        qCInfo(lcWeb).noquote() << QStringLiteral("WVJB %1: %2 [...]").arg(action, text.left(limit));
    else
        qCInfo(lcWeb).noquote() << QStringLiteral("WVJB %1: %2").arg(action, text);
}
