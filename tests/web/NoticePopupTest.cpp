// The notice popup in real Chromium: its buttons and destinations, its one close, the upgrade
// window it reaches, and the roads out of its document. Without a display the program runs
// itself again under xvfb-run (WebTestDisplay).
#include <QApplication>
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

#include "support/WebPageScript.h"
#include "support/WebViewsFixture.h"
#include "web/OOPopupWebProtocol.h"
#include "web/OOPopupWebView.h"
#include "web/ScriptMessageWebPage.h"
#include "webmodule/WebModuleViews.h"

namespace {

class RecordingDelegate : public QObject, public OOPopupWebProtocol
{
public:
    void handleJumpAction(const QString &destination) override { destinations << destination; }
    QStringList destinations;
};

using NoticePopupTest = WebViewsFixture;

TEST_F(NoticePopupTest, NoticePopupClosesOnceTakesDestinationsAndReachesTheUpgradeWindow)
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

TEST_F(NoticePopupTest, InAppLinksClickedInTheNoticeKeepTheirCase)
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

TEST_F(NoticePopupTest, ANoticeThatLeavesItsPageByAnyRoadClosesAndFreesTheWindow)
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

} // namespace
