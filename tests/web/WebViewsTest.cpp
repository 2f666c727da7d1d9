// The web views in real Chromium through Qt WebEngine: one program, so Chromium starts once.
// Without a display the program runs itself again under xvfb-run (WebTestDisplay).
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "app/NBMainWindowController.h"
#include "app/WebModule.h"
#include "common/AppPaths.h"
#include "uikit/NBPresentationAnimator.h"
#include "support/NetworkTestSupport.h"
#include "support/MessageCapture.h"
#include "support/StandinProcess.h"
#include "support/TestZipBuilder.h"
#include "support/WebPageScript.h"
#include "support/WebTestDisplay.h"
#include "web/DesktopLinkOpener.h"
#include "web/NBUpgradeViewController.h"
#include "web/OOPopupWebProtocol.h"
#include "web/OOPopupWebView.h"
#include "web/PopupUpgradeWindowHook.h"
#include "web/ScriptMessageWebPage.h"
#include "web/unreached/WKWebViewJavascriptBridge.h"
#include "webcore/OOPageLoader.h"
#include "webmodule/WebModuleViews.h"

namespace {

// (Kept above the page texts: moc misreads some raw string literals.)
// A catcher for QDesktopServices: anything handed to the desktop behind our back.
class DesktopCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void handle(const QUrl &url) { urls << url; }
};

// Without a display the program runs itself again under xvfb-run, before main. It links the pages,
// so it tells Chromium before it starts what the client's module loader would.
const bool kUnderDisplay = WebTestDisplay::ensure();
const bool kEngineEnvironment = [] {
    WebModule::prepareEngineEnvironment();
    return true;
}();

// A page that asks for the user information while it is still being parsed, long before the
// channel to native code is up, and keeps what it gets.
const QByteArray kEarlyAskingPage = R"(<!doctype html><html><head><meta charset="utf-8">
<script>
  window.__$$$_native_call_ios = {
    getUserInfoCallback: function (reply) { window.userInfoReply = reply; },
    encryptStringCallback: function (reply) { window.encryptReply = reply; }
  };
  window.postedEarly = !!(window.webkit && window.webkit.messageHandlers.getUserInfo);
  window.webkit.messageHandlers.getUserInfo.postMessage('');
</script></head>
<body style="margin:0"><a id="link" href="foo://elsewhere/x" style="display:block;position:fixed;inset:0">elsewhere</a></body></html>
)";

class RecordingDelegate : public QObject, public OOPopupWebProtocol
{
public:
    void handleJumpAction(const QString &destination) override { destinations << destination; }
    QStringList destinations;
};

// The web on loopback: answers a ".js" address with `script` (a CDN's), any other with `html` (a
// provider's page), and keeps what it was asked.
class LoopbackSite : public QObject
{
public:
    explicit LoopbackSite(QByteArray html, QByteArray script = {})
        : m_html(std::move(html))
        , m_script(std::move(script))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    const QByteArray line = head.left(head.indexOf('\r'));
                    requests << QString::fromUtf8(line);
                    const bool script = line.contains(".js ");
                    const QByteArray &body = script ? m_script : m_html;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + QByteArray(script ? "text/javascript" : "text/html")
                                  + "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    QStringList requests;

private:
    QTcpServer m_server;
    QByteArray m_html;
    QByteArray m_script;
};

// Writes a page under the page root (a local page) and gives its address.
QUrl writeLocalPage(const QString &relative, const QByteArray &html)
{
    const QString path = AppPaths::pageFolder() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(html);
    return QUrl::fromLocalFile(path);
}

class WebViewsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
        QDir(AppPaths::dataFolder()).removeRecursively();
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { opened << url; });
        // Chromium's own road to the desktop for schemes it does not know ends here too.
        for (const char *scheme : {"foo", "file", "http", "https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktopCatcher, "handle");
    }

    void TearDown() override
    {
        for (const char *scheme : {"foo", "file", "http", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        DesktopLinkOpener::setOpenerForTesting({});
        PopupUpgradeWindowHook::setOpener({});
    }

    // Installs a test-made purchase package where the page-package update would put it.
    static void installPurchasePackage(const QByteArray &indexHtml)
    {
        AppPaths::ensureFolder(AppPaths::privateFolder(), true);
        ASSERT_TRUE(TestZipBuilder().addFile(QStringLiteral("index.html"), indexHtml)
                        .writeTo(OOPageLoader::localArchive(OOPageLoader::kPurchasePage)));
    }

    DesktopCatcher desktopCatcher;
    QList<QUrl> opened;
};

TEST_F(WebViewsTest, ALocalPageAsksBeforeTheChannelIsUpAndGetsItsAnswerButItsLinksStayIn)
{
    ASSERT_TRUE(QFile::exists(OOPageLoader::bundledArchive(OOPageLoader::kPurchasePage)))
        << "the page archives are built with the program";
    installPurchasePackage(kEarlyAskingPage);

    // The page as the window shows it: its content swap brings the page in.
    NBMainWindowController window;
    auto *shown = new NBUpgradeViewController;
    NBUpgradeViewController &screen = *shown;
    screen.json = QJsonObject{{QStringLiteral("needBack"), true}};
    QSignalSpy started(&screen, &NBBaseWebViewController::pageLoadStarted);
    QSignalSpy loads(screen.page(), &QWebEnginePage::loadFinished);
    // Asked for its page before it was loaded: still one web view.
    EXPECT_EQ(screen.findChildren<QWebEngineView *>().size(), 1);
    window.show();
    window.setContentViewController(shown);
    ASSERT_TRUE(started.wait(20000));
    ASSERT_EQ(started.takeFirst().at(0).toString(), OOPageLoader::pageFolder(OOPageLoader::kPurchasePage) + "/index.html");
    QWebEnginePage *page = screen.page();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loads.count() == 1; }, 30000));

    // Posted while the document was being parsed; answered once the channel came up.
    ASSERT_TRUE(waitInPage(page, QStringLiteral("window.userInfoReply")));
    EXPECT_TRUE(evaluate(page, QStringLiteral("window.postedEarly")).toBool());
    EXPECT_EQ(evaluate(page, QStringLiteral("window.userInfoReply.code")).toInt(), 200);
    EXPECT_EQ(evaluate(page, QStringLiteral("window.userInfoReply.msg")).toString(), QStringLiteral("success"));
    EXPECT_EQ(evaluate(page, QStringLiteral("window.userInfoReply.data.language")).toString(), QStringLiteral("zh_CN"));
    EXPECT_EQ(evaluate(page, QStringLiteral("JSON.stringify(window.initializeData)")).toString(),
              QStringLiteral("{\"needBack\":true}"));
    // Only the page controller's own names exist in the page.
    EXPECT_TRUE(evaluate(page, QStringLiteral("!!window.webkit.messageHandlers.getProducts")).toBool());
    EXPECT_FALSE(evaluate(page, QStringLiteral("!!window.webkit.messageHandlers.getStore")).toBool());

    // A real click on a link of a scheme nobody handles: Chromium would hand it to the desktop.
    const QUrl pageUrl = page->url();
    QWidget *surface = screen.webView()->focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, surface->rect().center());
    // Links through the bridge: refused schemes stay in, the https one goes out. It is sent last,
    // so once it is out the others have been dealt with.
    evaluate(page, QStringLiteral(R"(
        ['file:///etc/passwd', 'foo://elsewhere/y', 'javascript:alert(1)', 'https://example.com/ok'].forEach(function (url) {
          window.webkit.messageHandlers.button.postMessage(JSON.stringify({type: 'jump', params: {url: url}}));
        });)"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 20000));
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("https://example.com/ok"))});
    EXPECT_TRUE(desktopCatcher.urls.isEmpty()) << desktopCatcher.urls.value(0).toString().toStdString();
    EXPECT_EQ(page->url(), pageUrl);

    // Covered by another screen, then shown again: the page is loaded again, with one copy of
    // its initial data.
    auto made = std::make_unique<NBBaseViewController>();
    auto *animator = new NBPresentationAnimator(made.get(), &screen);
    NBBaseViewController *cover = screen.presentViewController(std::move(made), animator);
    ASSERT_NE(cover, nullptr);
    EXPECT_FALSE(screen.isAppearing());
    screen.json.reset();
    evaluate(page, QStringLiteral("window.earlierDocument = true"));
    cover->dismissAction();
    EXPECT_TRUE(screen.isAppearing());
    ASSERT_TRUE(waitInPage(page, QStringLiteral("!window.earlierDocument && window.userInfoReply")));
    EXPECT_FALSE(screen.page()->hasInitialDataScript());
    EXPECT_EQ(evaluate(page, QStringLiteral("typeof window.initializeData")).toString(), QStringLiteral("undefined"));
}

TEST_F(WebViewsTest, TheShippedPurchasePageReadsTheProductsFromTheServiceThroughTheBridge)
{
    // The page signs its request through encryptString, sends it itself, and reads the sealed
    // answer through decryptString.
    StandinProcess standin;
    ASSERT_TRUE(standin.start({QStringLiteral("--resources"), QStringLiteral(OSTREL_SOURCE_DIR "/resources")}))
        << standin.errorText().toStdString();
    ASSERT_TRUE(pointClientAt({standin.baseUrl()}));

    NBMainWindowController window;
    auto *shown = new NBUpgradeViewController;
    NBUpgradeViewController &screen = *shown;
    window.show();
    window.setContentViewController(shown);
    QWebEnginePage *page = screen.page();
    ASSERT_TRUE(waitInPage(page, QStringLiteral("document.body.dataset.products && document.body.dataset.userInfo")));
    EXPECT_GT(evaluate(page, QStringLiteral("document.body.dataset.products")).toString().toInt(), 0)
        << evaluate(page, QStringLiteral("document.body.innerText")).toString().toStdString();
    EXPECT_EQ(evaluate(page, QStringLiteral("document.getElementById('back').hidden")).toBool(), true);
}

TEST_F(WebViewsTest, APageFromElsewhereIsNeitherShownNorAnswered)
{
    // The same page, but from a folder that is neither the page root nor the resources.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    QFile file(elsewhere.filePath(QStringLiteral("index.html")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(kEarlyAskingPage);
    file.close();

    MessageCapture log;
    QWebEngineView view;
    auto *page = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, &view);
    QSignalSpy replies(page, &ScriptMessageWebPage::replyEvaluated);
    view.setPage(page);
    view.resize(400, 300);
    view.show();
    page->load(QUrl::fromLocalFile(file.fileName()));

    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("refused: not a page of ours")); }, 30000));
    QTest::qWait(300);
    EXPECT_NE(page->url(), QUrl::fromLocalFile(file.fileName()));
    EXPECT_TRUE(page->answeringUrl().isEmpty());
    EXPECT_EQ(replies.count(), 0);
}

TEST_F(WebViewsTest, NoticePopupClosesOnceTakesDestinationsAndReachesTheUpgradeWindow)
{
    // The notice page is a local page like the others.
    const QString folder = AppPaths::pageFolder() + QStringLiteral("/notice");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/index.html"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<!doctype html><html><body><a id="out" href="https://example.com/news">news</a><script>
        window.post = function (name, body) { window.webkit.messageHandlers[name].postMessage(JSON.stringify(body)); };
    </script></body></html>)");
    file.close();

    QList<QPair<QUrl, QString>> upgrades;
    PopupUpgradeWindowHook::setOpener([&](const QUrl &url, const QString &version) { upgrades.append({url, version}); });
    RecordingDelegate delegate;
    QWidget window;
    window.resize(800, 500);
    QPointer<OOPopupWebView> popup = new OOPopupWebView(QRect(0, 0, 800, 500), QStringLiteral("{\"n\": 1}"), &window);
    popup->setDelegate(&delegate);
    int closes = 0;
    popup->closeBlock = [&] { ++closes; };
    window.show();
    QSignalSpy loaded(popup->page(), &QWebEnginePage::loadFinished);
    popup->load(QUrl::fromLocalFile(file.fileName()));
    ASSERT_TRUE(loaded.wait(30000));
    QWebEnginePage *page = popup->page();
    EXPECT_EQ(evaluate(page, QStringLiteral("JSON.stringify(window.initializeData)")).toString(), QStringLiteral("{\"n\":1}"));
    EXPECT_FALSE(evaluate(page, QStringLiteral("!!window.webkit.messageHandlers.getProducts")).toBool());
    EXPECT_TRUE(evaluate(page, QStringLiteral("!!window.webkit.messageHandlers.getStore")).toBool());

    // In order: an update without a version (nothing), an http installer (refused), a lottery
    // destination (the popup stays), a "marlet" jump (the delegate, then closing), and a
    // close after it (already closed: no second close).
    evaluate(page, QStringLiteral(R"(
        post('button', {type: 'update', params: {url: 'https://example.com/a.deb'}});
        post('button', {type: 'update', params: {url: 'http://example.com/a.deb', version: '2.0'}});
        post('button', {type: 'lotteryPage', params: {}});
        post('button', {type: 'jump', params: {url: 'marlet://newsList'}});
        post('jumpAction', {type: 'close'});)"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return closes > 0; }, 20000));
    EXPECT_EQ(delegate.destinations, (QStringList{QStringLiteral("lotteryPage"), QStringLiteral("newsList")}));
    EXPECT_TRUE(upgrades.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, 20000));
    EXPECT_EQ(closes, 1);

    // A second popup, whose data is no JSON (nothing injected, nothing run): "update" with an https installer opens the upgrade window and closes.
    QPointer<OOPopupWebView> second = new OOPopupWebView(QRect(0, 0, 800, 500), QStringLiteral("alert(1)"), &window);
    second->closeBlock = [&] { ++closes; };
    QSignalSpy loadedAgain(second->page(), &QWebEnginePage::loadFinished);
    second->load(QUrl::fromLocalFile(file.fileName()));
    ASSERT_TRUE(loadedAgain.wait(30000));
    EXPECT_EQ(evaluate(second->page(), QStringLiteral("typeof window.initializeData")).toString(), QStringLiteral("undefined"));
    evaluate(second->page(), QStringLiteral(
        "post('button', {type: 'update', params: {url: 'https://example.com/Ostrel-2.0.deb', version: '2.0'}})"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !upgrades.isEmpty(); }, 20000));
    EXPECT_EQ(upgrades.value(0).first, QUrl(QStringLiteral("https://example.com/Ostrel-2.0.deb")));
    EXPECT_EQ(upgrades.value(0).second, QStringLiteral("2.0"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.isNull(); }, 20000));
    EXPECT_EQ(closes, 2);
}

TEST_F(WebViewsTest, TheOlderPageBridgeCarriesMessagesBothWays)
{
    const QString folder = AppPaths::pageFolder() + QStringLiteral("/older");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(folder + QStringLiteral("/index.html"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<!doctype html><html><body><script>
      function setupWebViewJavascriptBridge(callback) {
        if (window.WebViewJavascriptBridge) { return callback(WebViewJavascriptBridge); }
        if (window.WVJBCallbacks) { return window.WVJBCallbacks.push(callback); }
        window.WVJBCallbacks = [callback];
        var frame = document.createElement('iframe');
        frame.style.display = 'none';
        frame.src = 'https://__bridge_loaded__';
        document.documentElement.appendChild(frame);
        setTimeout(function () { document.documentElement.removeChild(frame); }, 0);
      }
      setupWebViewJavascriptBridge(function (bridge) {
        bridge.registerHandler('toPage', function (data, respond) { window.pageGot = data; respond({back: data}); });
        bridge.callHandler('echo', {text: 'it\'s \\ \u2028 "q"'}, function (answer) { window.nativeAnswer = answer; });
      });
    </script></body></html>)");
    file.close();

    QWebEngineView view;
    auto *page = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, &view);
    view.setPage(page);
    WKWebViewJavascriptBridge *bridge = WKWebViewJavascriptBridge::bridgeForWebView(page);
    ASSERT_NE(bridge, nullptr);
    EXPECT_EQ(WKWebViewJavascriptBridge::bridgeForWebView(nullptr), nullptr);
    QJsonValue nativeGot(QJsonValue::Undefined);
    bridge->registerHandler(QStringLiteral("echo"), [&](const QJsonValue &data, auto respond) {
        nativeGot = data;
        respond(data);
    });
    // Sent before the page script is in: delivered right after it, with its answer.
    const QJsonObject payload{{QStringLiteral("text"), QStringLiteral("it's \\ \u2028 \"q\"")}};
    QJsonValue pageAnswer(QJsonValue::Undefined);
    bridge->callHandler(QStringLiteral("toPage"), payload, [&](const QJsonValue &answer) { pageAnswer = answer; });
    view.show();
    page->load(QUrl::fromLocalFile(file.fileName()));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !pageAnswer.isUndefined() && !nativeGot.isUndefined(); }, 30000));
    EXPECT_EQ(nativeGot, QJsonValue(payload));
    EXPECT_EQ(pageAnswer, QJsonValue(QJsonObject{{QStringLiteral("back"), payload}}));
    ASSERT_TRUE(waitInPage(page, QStringLiteral("window.nativeAnswer")));
    EXPECT_EQ(evaluate(page, QStringLiteral("window.nativeAnswer.text")).toString(), payload.value("text").toString());
    EXPECT_EQ(evaluate(page, QStringLiteral("window.pageGot.text")).toString(), payload.value("text").toString());

    // The page's own delegate has its say over the other navigations while it lives.
    const QUrl next = writeLocalPage(QStringLiteral("older/next.html"), "<!doctype html><p>next</p>");
    auto owner = std::make_unique<QObject>();
    QList<QUrl> asked;
    bridge->setWebViewDelegate(owner.get(), [&](const QUrl &url, QWebEnginePage::NavigationType, bool isMainFrame) {
        if (isMainFrame)
            asked << url;
        return std::optional<bool>(false);
    });
    const QUrl here = page->url();
    evaluate(page, QStringLiteral("location.href = 'next.html'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 20000));
    EXPECT_EQ(asked.value(0), next);
    QTest::qWait(200);
    EXPECT_EQ(page->url(), here);
    owner.reset();
    QSignalSpy moved(page, &QWebEnginePage::loadFinished);
    evaluate(page, QStringLiteral("location.href = 'next.html'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->url() == next; }, 20000));
    EXPECT_EQ(asked.size(), 1);
}

TEST_F(WebViewsTest, InAppLinksClickedInTheNoticeKeepTheirCase)
{
    const QUrl notice = writeLocalPage(QStringLiteral("notice-links/index.html"), R"(<!doctype html><html><body style="margin:0">
        <a id="news" href="marlet://newsList" style="position:fixed;left:0;top:0;width:400px;height:500px">news</a>
        <a id="buy" href="marlet://linkBuy" style="position:fixed;left:400px;top:0;width:400px;height:500px">buy</a>
        </body></html>)");
    RecordingDelegate delegate;
    QWidget window;
    window.resize(800, 500);
    QPointer<OOPopupWebView> popup = new OOPopupWebView(QRect(0, 0, 800, 500), QString(), &window);
    popup->setDelegate(&delegate);
    int closes = 0;
    popup->closeBlock = [&] { ++closes; };
    window.show();
    popup->load(notice);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup && popup->scriptPage()->answeringUrl() == notice; }, 30000));

    // A real click on the link: the destination as the page wrote it, then the popup closes.
    QWidget *surface = popup->focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(200, 250));
    ASSERT_TRUE(QTest::qWaitFor([&] { return closes > 0; }, 20000));
    EXPECT_EQ(delegate.destinations, QStringList{QStringLiteral("newsList")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, 20000));
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(desktopCatcher.urls.isEmpty());

    // A notice whose page is not there leaves nothing over the window.
    QPointer<OOPopupWebView> missing = new OOPopupWebView(QRect(0, 0, 800, 500), QString(), &window);
    missing->closeBlock = [&] { ++closes; };
    missing->load(QUrl::fromLocalFile(AppPaths::pageFolder() + QStringLiteral("/gone/gone.html")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return missing.isNull(); }, 30000));
    EXPECT_EQ(closes, 2);
}

TEST_F(WebViewsTest, ANoticeThatLeavesItsPageByAnyRoadClosesAndFreesTheWindow)
{
    LoopbackSite site("<!doctype html><p>promo</p>");
    const QString promo = site.url(QStringLiteral("/promo"));
    // Each road a page has out of its document, taken once it has loaded.
    const QList<std::pair<const char *, QString>> roads{
        {"script", QStringLiteral("<script>addEventListener('load', function () { location.href = '%1'; });</script>")},
        {"refresh", QStringLiteral("<meta http-equiv=\"refresh\" content=\"0; url=%1\">")},
        {"form", QStringLiteral("<form action=\"%1\" method=\"post\"><input name=\"a\" value=\"b\"></form>"
                                "<script>addEventListener('load', function () { document.forms[0].submit(); });</script>")},
        {"link", QStringLiteral("<a href=\"%1\" style=\"position:fixed;inset:0\">promo</a>")},
    };
    QWidget window;
    window.resize(800, 500);
    window.show();
    for (const auto &[road, html] : roads) {
        SCOPED_TRACE(road);
        opened.clear();
        const QUrl notice = writeLocalPage(QStringLiteral("notice-away/%1.html").arg(QLatin1String(road)),
                                           (QStringLiteral("<!doctype html><html><body style=\"margin:0\">") + html.arg(promo)
                                            + QStringLiteral("</body></html>")).toUtf8());
        // Shown as the home screen shows its notices.
        int closes = 0;
        WebViews::NoticePopup shown;
        shown.frame = QRect(0, 0, 800, 500);
        shown.page = notice;
        shown.closed = [&closes] { ++closes; };
        QPointer<OOPopupWebView> popup = qobject_cast<OOPopupWebView *>(WebModuleViews().showNoticePopup(&window, shown));
        ASSERT_FALSE(popup.isNull());
        if (QLatin1String(road) == QLatin1String("link")) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return popup && popup->scriptPage()->answeringUrl() == notice; }, 30000));
            QTest::mouseClick(popup->focusProxy(), Qt::LeftButton, {}, QPoint(400, 250));
        }
        // Gone, not left blank over the window: the window's own area is free again.
        ASSERT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, 30000));
        EXPECT_EQ(closes, 1);
        EXPECT_EQ(window.childAt(400, 250), nullptr);
        // A clicked link's address goes where the link rule sends it: the desktop's browser.
        const QList<QUrl> expected = QLatin1String(road) == QLatin1String("link") ? QList<QUrl>{QUrl(promo)} : QList<QUrl>{};
        EXPECT_EQ(opened, expected);
    }
    EXPECT_TRUE(site.requests.isEmpty()) << site.requests.join('\n').toStdString();
}

TEST_F(WebViewsTest, AFullScreenPageUsesTheWebAndNavigatesInPlaceWhereNothingAnswersIt)
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
    QWebEngineView view;
    auto *scriptPage = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, &view);
    QSignalSpy replies(scriptPage, &ScriptMessageWebPage::replyEvaluated);
    view.setPage(scriptPage);
    view.resize(400, 300);
    view.show();
    scriptPage->load(page);
    // Its script from the web ran, and the page is answered.
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.replies === 1 && window.cdnScript === true")));
    EXPECT_EQ(site.requests.value(0), QStringLiteral("GET /cdn/lib.js HTTP/1.1"));

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

    // A script sending the page to the user's files goes nowhere.
    evaluate(scriptPage, QStringLiteral("location.href = 'file:///etc/passwd'"));
    QTest::qWait(200);
    EXPECT_EQ(scriptPage->url(), provider);
}

TEST_F(WebViewsTest, NothingALocalPageStartsReadsTheUsersFilesWorkersIncluded)
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

    QWebEngineView view;
    auto *scriptPage = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, &view);
    view.setPage(scriptPage);
    view.resize(400, 300);
    view.show();
    scriptPage->load(page);
    const QString all = QStringLiteral("window.results.key && window.results.xhr && window.results.shared && "
                                       "window.results.dedicated && window.results.service");
    ASSERT_TRUE(waitInPage(scriptPage, all)) << evaluate(scriptPage, QStringLiteral("JSON.stringify(window.results)")).toString().toStdString();
    EXPECT_TRUE(evaluate(scriptPage, QStringLiteral("window.ownScript === true")).toBool()) << "its own files still load";
    for (const char *road : {"key", "xhr", "shared", "dedicated", "service"})
        EXPECT_EQ(evaluate(scriptPage, QStringLiteral("window.results.%1").arg(QLatin1String(road))).toString().toStdString(),
                  "refused") << road;
}

TEST_F(WebViewsTest, OnlyTheMainFrameOfALoadedLocalPageIsAnswered)
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
    QWebEngineView view;
    auto *scriptPage = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, &view);
    QSignalSpy replies(scriptPage, &ScriptMessageWebPage::replyEvaluated);
    view.setPage(scriptPage);
    view.resize(400, 300);
    view.show();
    scriptPage->load(page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return scriptPage->answeringUrl() == page; }, 30000));
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.frameAsked === true")))
        << "the frame must reach the channel for this to test anything";
    // Its calls reached the gate.
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.contains(QStringLiteral("call from another document")); }, 20000))
        << log.messages().join('\n').toStdString();
    evaluate(scriptPage, QStringLiteral("window.webkit.messageHandlers.getUserInfo.postMessage('')"));
    ASSERT_TRUE(waitInPage(scriptPage, QStringLiteral("window.replies >= 1")));
    QTest::qWait(300);
    EXPECT_EQ(replies.count(), 1) << "the frame's calls got nothing";
    EXPECT_EQ(evaluate(scriptPage, QStringLiteral("window.replies")).toInt(), 1);
}

} // namespace

#include "WebViewsTest.moc"
