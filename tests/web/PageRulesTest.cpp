// The rules every page of ours lives by, in real Chromium: which documents are shown and
// answered, where a full-screen page may go, what its requests may reach (the web and its
// WebSockets, never the user's files, workers included), and that only the main frame of a loaded
// local page is answered. Without a display the program runs itself again under xvfb-run.
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "support/MessageCapture.h"
#include "support/WebPageScript.h"
#include "support/WebViewsFixture.h"
#include "web/ScriptMessageWebPage.h"
#include "webcore/WebLog.h"

namespace {

// A page that asks native code for the user information as soon as it is parsed.
const QByteArray kAskingPage = "<!doctype html><html><head><script>"
                               "window.webkit.messageHandlers.getUserInfo.postMessage('');"
                               "</script></head><body></body></html>";

// A WebSocket server on loopback: answers the opening handshake and greets with one text message.
class LoopbackWebSocket : public QObject
{
public:
    LoopbackWebSocket()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url(const QString &path) const { return QStringLiteral("ws://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    int handshakes = 0;

private:
    void answer(QTcpSocket *socket)
    {
        QByteArray &head = m_heads[socket];
        head += socket->readAll();
        if (!head.contains("\r\n\r\n"))
            return;
        QByteArray key;
        for (const QByteArray &line : head.split('\n')) {
            if (line.toLower().startsWith("sec-websocket-key:"))
                key = line.mid(18).trimmed();
        }
        m_heads.remove(socket);
        ++handshakes;
        const QByteArray accept = QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1).toBase64();
        const QByteArray greeting = "hello";
        socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: " + accept
                      + "\r\n\r\n" + QByteArray(1, char(0x81)) + QByteArray(1, char(greeting.size())) + greeting);
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_heads;
};

using PageRulesTest = WebViewsFixture;

TEST_F(PageRulesTest, APageFromElsewhereIsNeitherShownNorAnswered)
{
    // The same page, but from a folder that is neither the page root nor the resources.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    QFile file(elsewhere.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kAskingPage);
    file.close();

    MessageCapture log;
    ShownPage shown;
    ScriptMessageWebPage *page = shown.page;
    QSignalSpy replies(page, &ScriptMessageWebPage::replyEvaluated);
    LoadEnds ends(page);
    page->load(QUrl::fromLocalFile(file.fileName()));

    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("refused: not a page of ours")); }, 30000));
    EXPECT_EQ(ends.waitFor(QUrl::fromLocalFile(file.fileName())), std::optional<bool>(false));
    EXPECT_NE(page->url(), QUrl::fromLocalFile(file.fileName()));
    EXPECT_TRUE(page->answeringUrl().isEmpty());
    EXPECT_EQ(replies.count(), 0);
}

TEST_F(PageRulesTest, AFullScreenPageUsesTheWebAndNavigatesInPlaceWhereNothingAnswersIt)
{
    // A provider's page that asks native code for the user's token.
    LoopbackSite site(R"(<!doctype html><html><body><script>
        window.ownScript = true;
        window.webkit && window.webkit.messageHandlers.getUserInfo && window.webkit.messageHandlers.getUserInfo.postMessage('');
        </script></body></html>)", "window.cdnScript = true;");
    const QUrl page = writeLocalPage(QStringLiteral("pay/index.html"), QStringLiteral(R"(<!doctype html><html><body>
        <script src="%1"></script>
        <script>
          window.__$$$_native_call_ios = { getUserInfoCallback: function () { window.replies = (window.replies || 0) + 1; } };
          window.webkit.messageHandlers.getUserInfo.postMessage('');
        </script></body></html>)").arg(site.url(QStringLiteral("/cdn/lib.js"))).toUtf8());

    MessageCapture log;
    // The pages' console lines are debug lines.
    QLoggingCategory::setFilterRules(QStringLiteral("%1.debug=true").arg(QLatin1String(lcWeb().categoryName())));
    const auto quiet = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    ShownPage shown;
    ScriptMessageWebPage *scriptPage = shown.page;
    QSignalSpy replies(scriptPage, &ScriptMessageWebPage::replyEvaluated);
    LoadEnds ends(scriptPage);
    scriptPage->load(page);
    // Its script from the web ran, and the page is answered.
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.replies === 1 && window.cdnScript === true")));
    EXPECT_EQ(site.requests.value(0), QStringLiteral("GET /cdn/lib.js HTTP/1.1"));

    // A script sending the local page to the user's files (Qt names a script's navigation after the
    // load a clicked link): the link rule refuses it, and the navigation ends without loading.
    const QUrl passwd(QStringLiteral("file:///etc/passwd"));
    evaluate(scriptPage, QStringLiteral("location.href = '%1'").arg(passwd.toString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("link with scheme \"file\" refused")); }, 20000))
        << log.messages().join('\n').toStdString();
    EXPECT_EQ(ends.waitFor(passwd), std::optional<bool>(false));
    EXPECT_EQ(scriptPage->url(), page);

    // Off to the provider, in place.
    const QUrl provider(site.url(QStringLiteral("/checkout")));
    evaluate(scriptPage, QStringLiteral("location.href = '%1'").arg(provider.toString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return scriptPage->url() == provider; }, 30000));
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.ownScript === true && !window.__$$$_native_call_ios")));
    EXPECT_TRUE(scriptPage->answeringUrl().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("not from a loaded local page; dropped")); }, 20000))
        << "the provider's page reached native code and was turned away";
    QCoreApplication::processEvents();
    EXPECT_EQ(replies.count(), 1);

    // From the web, Chromium itself refuses the same script before any navigation starts; the page
    // says so in its console.
    evaluate(scriptPage, QStringLiteral("location.href = '%1'").arg(passwd.toString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("Not allowed to load local resource")); }, 20000))
        << log.messages().join('\n').toStdString();
    EXPECT_EQ(scriptPage->url(), provider);
}

TEST_F(PageRulesTest, NothingALocalPageStartsReadsTheUsersFilesWorkersIncluded)
{
    // Something of the user's to steal.
    ASSERT_TRUE(QDir().mkpath(QDir::homePath() + QStringLiteral("/.ssh")));
    QFile key(QDir::homePath() + QStringLiteral("/.ssh/id_ed25519"));
    ASSERT_TRUE(key.open(QIODevice::WriteOnly));
    key.write("PRIVATE KEY");
    key.close();
    const QString sshUrl = QUrl::fromLocalFile(key.fileName()).toString();
    // What every worker does: read the key and say what came of it.
    const QString steal = QStringLiteral(R"(
        function steal(say) {
          fetch('%1').then(function (r) { return r.text(); })
                     .then(function (t) { say('read ' + t); }, function () { say('refused'); });
        })").arg(sshUrl);
    writeLocalPage(QStringLiteral("thief/own.js"), "window.ownScript = true;");
    writeLocalPage(QStringLiteral("thief/shared.js"), (steal + QStringLiteral(R"(
        onconnect = function (e) { var port = e.ports[0]; steal(function (m) { port.postMessage(m); }); };)")).toUtf8());
    writeLocalPage(QStringLiteral("thief/dedicated.js"), (steal + QStringLiteral(R"(
        steal(function (m) { postMessage(m); });)")).toUtf8());
    writeLocalPage(QStringLiteral("thief/service.js"), (steal + QStringLiteral(R"(
        self.addEventListener('install', function () { steal(function (m) { fetch('/?' + m); }); });)")).toUtf8());
    const QUrl page = writeLocalPage(QStringLiteral("thief/index.html"), QStringLiteral(R"(<!doctype html><html><body>
        <script src="own.js"></script>
        <script>
          window.results = {};
          function settle(name, promise) {
            promise.then(function (r) { return r.text(); }).then(function (t) { window.results[name] = 'read ' + t; },
                                                               function () { window.results[name] = 'refused'; });
          }
          settle('key', fetch('%1'));
          var xhr = new XMLHttpRequest();
          xhr.onload = function () { window.results.xhr = 'read ' + xhr.responseText; };
          xhr.onerror = function () { window.results.xhr = 'refused'; };
          xhr.open('GET', '%1');
          xhr.send();
          try {
            var shared = new SharedWorker('shared.js');
            shared.port.onmessage = function (e) { window.results.shared = e.data; };
            shared.onerror = function () { window.results.shared = 'refused'; };
          } catch (e) { window.results.shared = 'refused'; }
          try {
            var dedicated = new Worker('dedicated.js');
            dedicated.onmessage = function (e) { window.results.dedicated = e.data; };
            dedicated.onerror = function () { window.results.dedicated = 'refused'; };
          } catch (e) { window.results.dedicated = 'refused'; }
          try {
            navigator.serviceWorker.register('service.js').then(function () { window.results.service = 'registered'; },
                                                                function () { window.results.service = 'refused'; });
          } catch (e) { window.results.service = 'refused'; }
        </script></body></html>)").arg(sshUrl).toUtf8());

    ShownPage shown;
    ScriptMessageWebPage *scriptPage = shown.page;
    scriptPage->load(page);
    const QString all = QStringLiteral("window.results.key && window.results.xhr && window.results.shared && "
                                       "window.results.dedicated && window.results.service");
    ASSERT_TRUE(waitInPage(scriptPage, all)) << evaluate(scriptPage, QStringLiteral("JSON.stringify(window.results)")).toString().toStdString();
    EXPECT_TRUE(evaluate(scriptPage, QStringLiteral("window.ownScript === true")).toBool()) << "its own files still load";
    for (const char *road : {"key", "xhr", "shared", "dedicated", "service"})
        EXPECT_EQ(evaluate(scriptPage, QStringLiteral("window.results.%1").arg(QLatin1String(road))).toString().toStdString(),
                  "refused") << road;
}

TEST_F(PageRulesTest, OnlyTheMainFrameOfALoadedLocalPageIsAnswered)
{
    // A frame inside the local page reaches the channel itself (with the script beside it and the
    // transport of the page it sits in) and asks with every id it could think of.
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    ASSERT_TRUE(channelScript.open(QIODevice::ReadOnly));
    writeLocalPage(QStringLiteral("framed/qwebchannel.js"), channelScript.readAll());
    writeLocalPage(QStringLiteral("framed/frame.html"), R"(<!doctype html><html><body>
      <script src="qwebchannel.js"></script>
      <script>
        var transport = (window.qt && qt.webChannelTransport) || (parent.qt && parent.qt.webChannelTransport);
        new QWebChannel(transport, function (c) {
          ['guess', '*', ''].forEach(function (id) { c.objects.nativeBridge.postMessage('getUserInfo', '', id); });
          parent.frameAsked = true;
        });
      </script></body></html>)");
    const QUrl page = writeLocalPage(QStringLiteral("framed/index.html"), R"(<!doctype html><html><body>
        <script>
          window.replies = 0;
          window.__$$$_native_call_ios = { getUserInfoCallback: function () { window.replies++; } };
        </script><iframe src="frame.html"></iframe></body></html>)");

    MessageCapture log;
    ShownPage shown;
    ScriptMessageWebPage *scriptPage = shown.page;
    QSignalSpy replies(scriptPage, &ScriptMessageWebPage::replyEvaluated);
    scriptPage->load(page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return scriptPage->answeringUrl() == page; }, 30000));
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.frameAsked === true")))
        << "the frame must reach the channel for this to test anything";
    // All three of its calls reached the gate and were turned away there: "guess" and "*" as
    // another document's, the empty id as no document's.
    const auto dropped = [&](const QString &why) { return log.messages().filter(why).size(); };
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return dropped(QStringLiteral("call from another document")) == 2 && dropped(QStringLiteral("call without the id")) == 1;
    }, 20000)) << log.messages().join('\n').toStdString();
    evaluate(scriptPage, QStringLiteral("window.webkit.messageHandlers.getUserInfo.postMessage('')"));
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.replies >= 1")));
    EXPECT_EQ(replies.count(), 1) << "the frame's calls got nothing";
    EXPECT_EQ(evaluate(scriptPage, QStringLiteral("window.replies")).toInt(), 1);
}

TEST_F(PageRulesTest, ALocalPageOpensAWebSocketAsItReachesTheWeb)
{
    LoopbackWebSocket server;
    const QUrl page = writeLocalPage(QStringLiteral("live/index.html"), QStringLiteral(R"(<!doctype html><html><body><script>
          var socket = new WebSocket('%1');
          socket.onmessage = function (e) { window.socketResult = 'got ' + e.data; };
          socket.onerror = function () { window.socketResult = window.socketResult || 'refused'; };
        </script></body></html>)").arg(server.url(QStringLiteral("/live"))).toUtf8());

    ShownPage shown;
    ScriptMessageWebPage *scriptPage = shown.page;
    scriptPage->load(page);
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.socketResult")));
    EXPECT_EQ(evaluate(scriptPage, QStringLiteral("window.socketResult")).toString().toStdString(), "got hello");
    EXPECT_EQ(server.handshakes, 1);
}

} // namespace
