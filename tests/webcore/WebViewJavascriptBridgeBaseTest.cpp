// The engine-free half of the older page bridge: the startup queue, callback ids, answers in both
// directions, and the escaping of what is delivered into a single-quoted script string.
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <gtest/gtest.h>

#include "webcore/unreached/WebViewJavascriptBridgeBase.h"

namespace {

struct Recorder : WebViewJavascriptBridgeBaseDelegate
{
    void _evaluateJavascript(const QString &js) override { scripts << js; }
    QStringList scripts;
};

// The message inside a delivery statement, unescaped the way a JS engine reads '...'.
QJsonObject delivered(const QString &script)
{
    const QString prefix = QStringLiteral("WebViewJavascriptBridge._handleMessageFromObjC('");
    EXPECT_TRUE(script.startsWith(prefix));
    EXPECT_TRUE(script.endsWith(QStringLiteral("');")));
    const QString body = script.mid(prefix.size(), script.size() - prefix.size() - 3);
    QString out;
    for (qsizetype i = 0; i < body.size(); ++i) {
        QChar c = body.at(i);
        EXPECT_NE(c, QLatin1Char('\'')) << "an unescaped quote ends the string early";
        EXPECT_FALSE(c == QLatin1Char('\n') || c == QChar(0x2028) || c == QChar(0x2029)) << "a raw line break ends the script";
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        c = body.at(++i);
        if (c == QLatin1Char('n')) out += QLatin1Char('\n');
        else if (c == QLatin1Char('r')) out += QLatin1Char('\r');
        else if (c == QLatin1Char('f')) out += QLatin1Char('\f');
        else if (c == QLatin1Char('u')) { out += QChar(body.mid(i + 1, 4).toUShort(nullptr, 16)); i += 4; }
        else out += c;
    }
    return QJsonDocument::fromJson(out.toUtf8()).object();
}

} // namespace

TEST(WebViewJavascriptBridgeBase, MessagesWaitForThePageScriptInOrder)
{
    Recorder page;
    WebViewJavascriptBridgeBase bridge;
    bridge.setDelegate(&page);
    bridge.sendData(QJsonValue(1), {}, QStringLiteral("first"));
    bridge.sendData(QJsonValue(2), [](const QJsonValue &) {}, QStringLiteral("second"));
    EXPECT_TRUE(page.scripts.isEmpty());
    bridge.injectJavascriptFile();
    ASSERT_EQ(page.scripts.size(), 3);
    EXPECT_TRUE(page.scripts.at(0).contains(QStringLiteral("window.WebViewJavascriptBridge = {")));
    EXPECT_EQ(delivered(page.scripts.at(1)).value(QStringLiteral("handlerName")).toString(), QStringLiteral("first"));
    const QJsonObject second = delivered(page.scripts.at(2));
    EXPECT_EQ(second.value(QStringLiteral("callbackId")).toString(), QStringLiteral("objc_cb_1"));
    // After the injection messages go out at once.
    bridge.sendData(std::nullopt, {}, std::nullopt);
    EXPECT_EQ(page.scripts.size(), 4);
}

TEST(WebViewJavascriptBridgeBase, PayloadsSurviveTheEscaping)
{
    Recorder page;
    WebViewJavascriptBridgeBase bridge;
    bridge.setDelegate(&page);
    bridge.injectJavascriptFile();
    const QString nasty = QStringLiteral("it's a \\ \"quote\"\nline\r\f") + QChar(0x2028) + QChar(0x2029) + QStringLiteral("');alert(1);//");
    bridge.sendData(QJsonValue(nasty), {}, QStringLiteral("h"));
    EXPECT_EQ(delivered(page.scripts.last()).value(QStringLiteral("data")).toString(), nasty);
}

TEST(WebViewJavascriptBridgeBase, AnswersBothWays)
{
    Recorder page;
    WebViewJavascriptBridgeBase bridge;
    bridge.setDelegate(&page);
    bridge.injectJavascriptFile();
    QJsonValue answer;
    int answers = 0;
    bridge.sendData(QJsonValue(QStringLiteral("q")), [&](const QJsonValue &v) { answer = v; ++answers; }, QStringLiteral("ask"));
    const QString id = delivered(page.scripts.last()).value(QStringLiteral("callbackId")).toString();
    QJsonValue received;
    bridge.registerHandler(QStringLiteral("native"), [&](const QJsonValue &data, auto respond) {
        received = data;
        respond(QJsonValue());   // no value: the page gets null
    });
    const QJsonArray queue{QJsonObject{{QStringLiteral("responseId"), id}, {QStringLiteral("responseData"), 42}},
                           QJsonObject{{QStringLiteral("responseId"), QStringLiteral("objc_cb_99")}, {QStringLiteral("responseData"), 1}},
                           QJsonObject{{QStringLiteral("responseId"), id}, {QStringLiteral("responseData"), 43}},
                           QJsonObject{{QStringLiteral("handlerName"), QStringLiteral("native")}, {QStringLiteral("data"), QStringLiteral("d")},
                                       {QStringLiteral("callbackId"), QStringLiteral("cb_1_5")}},
                           QJsonObject{{QStringLiteral("handlerName"), QStringLiteral("missing")}},
                           QJsonValue(7)};
    const int before = page.scripts.size();
    bridge.flushMessageQueue(QString::fromUtf8(QJsonDocument(queue).toJson(QJsonDocument::Compact)));
    EXPECT_EQ(answers, 1) << "an answer is used once; unknown ids are ignored";
    EXPECT_EQ(answer, QJsonValue(42));
    EXPECT_EQ(received, QJsonValue(QStringLiteral("d")));
    ASSERT_EQ(page.scripts.size(), before + 1);
    const QJsonObject reply = delivered(page.scripts.last());
    EXPECT_EQ(reply.value(QStringLiteral("responseId")).toString(), QStringLiteral("cb_1_5"));
    EXPECT_TRUE(reply.contains(QStringLiteral("responseData")));
    EXPECT_TRUE(reply.value(QStringLiteral("responseData")).isNull());
    bridge.flushMessageQueue(QString());   // logged, nothing else
    bridge.flushMessageQueue(QStringLiteral("not json"));
}

TEST(WebViewJavascriptBridgeBase, ResetAndUrls)
{
    Recorder page;
    WebViewJavascriptBridgeBase bridge;
    bridge.setDelegate(&page);
    bridge.injectJavascriptFile();
    bridge.sendData(std::nullopt, [](const QJsonValue &) {}, std::nullopt);
    bridge.reset();
    EXPECT_TRUE(bridge.hasStartupQueue());
    bridge.sendData(std::nullopt, [](const QJsonValue &) {}, std::nullopt);
    bridge.injectJavascriptFile();
    EXPECT_EQ(delivered(page.scripts.last()).value(QStringLiteral("callbackId")).toString(), QStringLiteral("objc_cb_1"));

    EXPECT_TRUE(bridge.isQueueMessageURL(QUrl(QStringLiteral("https://__wvjb_queue_message__"))));
    EXPECT_TRUE(bridge.isBridgeLoadedURL(QUrl(QStringLiteral("WVJBSCHEME://__BRIDGE_LOADED__"))));
    EXPECT_TRUE(bridge.isWebViewJavascriptBridgeURL(QUrl(QStringLiteral("https://__bridge_loaded__/"))));
    EXPECT_FALSE(bridge.isWebViewJavascriptBridgeURL(QUrl(QStringLiteral("https://example.com/"))));
    EXPECT_FALSE(bridge.isWebViewJavascriptBridgeURL(QUrl(QStringLiteral("http://__wvjb_queue_message__"))));
    EXPECT_EQ(WebViewJavascriptBridgeBase::webViewJavascriptFetchQueyCommand(), QStringLiteral("WebViewJavascriptBridge._fetchQueue();"));
}
