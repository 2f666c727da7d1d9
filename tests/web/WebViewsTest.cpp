// The page controller's web views in real Chromium through Qt WebEngine: the purchase page as the
// window shows it, its answers through the bridge, the products it reads from the service, and
// the older page bridge. Without a display the program runs itself again under xvfb-run (WebTestDisplay).
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <csignal>
#include <signal.h>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "app/NBMainWindowController.h"
#include "uikit/NBPresentationAnimator.h"
#include "common/AppPaths.h"
#include "support/FileLogText.h"
#include "support/NetworkTestSupport.h"
#include "support/StandinProcess.h"
#include "support/WebPageScript.h"
#include "support/WebViewsFixture.h"
#include "web/NBUpgradeViewController.h"
#include "web/ScriptMessageWebPage.h"
#include "web/WebPageFailureView.h"
#include "webcore/OOPageLoader.h"
#include "web/unreached/WKWebViewJavascriptBridge.h"

namespace {

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

using WebViewsTest = WebViewsFixture;

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
    LoadEnds ends(page);
    evaluate(page, QStringLiteral("location.href = 'next.html'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked.isEmpty(); }, 20000));
    EXPECT_EQ(asked.value(0), next);
    // The navigation the delegate refused has ended, and without loading.
    EXPECT_EQ(ends.waitFor(next), std::optional<bool>(false));
    EXPECT_EQ(page->url(), here);
    owner.reset();
    QSignalSpy moved(page, &QWebEnginePage::loadFinished);
    evaluate(page, QStringLiteral("location.href = 'next.html'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->url() == next; }, 20000));
    EXPECT_EQ(asked.size(), 1);
}

} // namespace

TEST_F(WebViewsTest, APageThatCannotShowSaysSoAndTheLogTellsWhy)
{
    // A package that is no archive: nothing to show, and the screen says so instead of staying
    // empty. Presented over another screen, it offers a way out, since the page's own is missing.
    AppPaths::ensureFolder(AppPaths::privateFolder(), true);
    {
        QFile broken(OOPageLoader::localArchive(OOPageLoader::kPurchasePage));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("not an archive");
    }
    NBBaseViewController opener;
    opener.resize(728, 500);
    opener.show();
    auto made = std::make_unique<NBUpgradeViewController>();
    made->resize(728, 500);
    auto *animator = new NBPresentationAnimator(made.get(), &opener);
    QPointer<NBUpgradeViewController> presented =
        qobject_cast<NBUpgradeViewController *>(opener.presentViewController(std::move(made), animator));
    ASSERT_NE(presented, nullptr);
    auto failureOf = [](NBBaseWebViewController *screen) { return screen ? screen->findChild<WebPageFailureView *>() : nullptr; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return failureOf(presented) && failureOf(presented)->isVisible(); }, 20000));
    EXPECT_EQ(failureOf(presented)->messageLabel()->text(), WebPageFailureView::kMessage);
    EXPECT_EQ(failureOf(presented)->messageLabel()->textFormat(), Qt::PlainText);
    ASSERT_TRUE(failureOf(presented)->closeButton()->isVisible());
    QTest::mouseClick(failureOf(presented)->closeButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return opener.presentations().isEmpty(); }, 20000));
    EXPECT_TRUE(fileLogText().contains(QStringLiteral("could not be unpacked")));

    // A page that loads: the log has its start and end; then its renderer is killed, and the
    // page that went with it is replaced by the message (no close button where nobody presented it).
    installPurchasePackage("<!doctype html><html><body style=\"background:#161616\">page</body></html>");
    NBMainWindowController window;
    auto *shown = new NBUpgradeViewController;
    QPointer<NBUpgradeViewController> screen(shown);
    QSignalSpy loads(shown->page(), &QWebEnginePage::loadFinished);
    window.show();
    window.setContentViewController(shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loads.count() == 1; }, 30000));
    EXPECT_TRUE(loads.first().at(0).toBool());
    EXPECT_TRUE(failureOf(screen) == nullptr || failureOf(screen)->isHidden());
    const QString entry = OOPageLoader::pageFolder(OOPageLoader::kPurchasePage) + "/index.html";
    const QString log = fileLogText();
    EXPECT_TRUE(log.contains(QStringLiteral("page load started: ") + entry)) << log.right(2000).toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("page load finished: ") + entry));

    const qint64 renderer = screen->page()->renderProcessPid();
    ASSERT_GT(renderer, 0);
    ASSERT_EQ(::kill(pid_t(renderer), SIGKILL), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failureOf(screen) && failureOf(screen)->isVisible(); }, 20000));
    EXPECT_FALSE(failureOf(screen)->closeButton()->isVisible());
    EXPECT_TRUE(screen->webView()->isHidden()) << "a page drawn over the window would cover the message";
    EXPECT_TRUE(fileLogText().contains(QStringLiteral("the page's renderer ended killed")));
    window.setContentViewController(nullptr);
}
