// The invitation, discovery and lottery pages in real Chromium against the stand-in service:
// each is made by the name its openers use, unpacks its own package, talks to the service
// through the bridge (signed requests, decrypted answers), and lets links out only as http,
// https or mailto. Without a display the program runs itself again under xvfb-run.
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "uikit/NBPresentationAnimator.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "common/AppPaths.h"
#include "common/MKUserInfoManager.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "settings/pages/NBDiscoverViewController.h"
#include "settings/pages/NBFreeViewController.h"
#include "settings/pages/NBInviteViewController.h"
#include "support/DesktopCatcher.h"
#include "support/StandinProcess.h"
#include "support/WebPageScript.h"
#include "support/WebTestDisplay.h"
#include "web/DesktopLinkOpener.h"
#include "web/ScriptMessageWebPage.h"
#include "webcore/OOPageLoader.h"

namespace {

const bool kUnderDisplay = WebTestDisplay::ensure();

constexpr int kWait = 30000;

const char *const kSchemes[] = {"foo", "file", "http", "https", "mailto", "javascript", "data", "marlet"};

QString clickScript(const QString &elementId)
{
    return QStringLiteral("document.getElementById('%1').click()").arg(elementId);
}

class Pages : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
        OneStandinPerSuite::SetUp();
        QDir(AppPaths::pageFolder()).removeRecursively();
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { opened << url; });
        for (const char *scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktopCatcher, "handle");
        // A visitor of its own for each case, so its lottery chances are fresh.
        bool done = false;
        OONetWorkTool::login([&](std::optional<QString>) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        ASSERT_TRUE(MKUserInfoManager::shared().currentUser());
        ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}}));
    }

    void TearDown() override
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        DesktopLinkOpener::setOpenerForTesting({});
    }

    // The requests of that path the service received, and whether each carried the user's token.
    static QList<bool> requestsTo(const QString &path)
    {
        QList<bool> authorized;
        for (const QJsonValue &request : s_standin->records().value("requests").toArray()) {
            if (request.toObject().value("path").toString() == path)
                authorized << request.toObject().value("authorized").toBool();
        }
        return authorized;
    }

    // A screen made the way its openers make it and presented over a page as they present it.
    template <typename Screen>
    Screen *open(const QString &name)
    {
        std::unique_ptr<NBBaseViewController> made(ScreenFactory::instance().make(name, nullptr));
        if (!qobject_cast<Screen *>(made.get()))
            return nullptr;
        m_opener.resize(728, 500);
        m_opener.show();
        made->resize(728, 500);
        auto *animator = new NBPresentationAnimator(made.get(), &m_opener);
        return qobject_cast<Screen *>(m_opener.presentViewController(std::move(made), animator));
    }

    UiTimingScope m_timing{0.01};
    NBBaseViewController m_opener;
    DesktopCatcher desktopCatcher;
    QList<QUrl> opened;
};

} // namespace

TEST_F(Pages, EachPageIsMadeByItsOpenersNameAndReadsItsOwnPackage)
{
    const QList<std::pair<QString, QString>> pages{{"NBInviteViewController", "invitePage"},
                                                   {"NBDiscoverViewController", "recommendPage"},
                                                   {"NBFreeViewController", "lotteryPage"}};
    for (const auto &[name, page] : pages) {
        std::unique_ptr<NBBaseViewController> screen(ScreenFactory::instance().make(name));
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(QString::fromLatin1(screen->metaObject()->className()), name);
        EXPECT_EQ(screen->size(), QSize(728, 500)) << name.toStdString();
        EXPECT_TRUE(QFile::exists(OOPageLoader::bundledArchive(page))) << page.toStdString() << ": built with the program";
        EXPECT_EQ(OOPageLoader::localArchive(page), AppPaths::privateFolder() + "/" + page + ".zip");
        EXPECT_EQ(OOPageLoader::pageFolder(page), AppPaths::pageFolder() + "/" + page);
    }
    EXPECT_EQ(NBInviteViewController::kPageName, QStringLiteral("invitePage"));
    EXPECT_EQ(NBDiscoverViewController::kPageName, QStringLiteral("recommendPage"));
    EXPECT_EQ(NBFreeViewController::kPageName, QStringLiteral("lotteryPage"));
}

TEST_F(Pages, InvitationShowsTheUsersCodeOpensItsRulesAndSavesItsPoster)
{
    std::unique_ptr<NBInviteViewController> screen(open<NBInviteViewController>("NBInviteViewController"));
    ASSERT_NE(screen, nullptr);
    // Made after its screen was on screen, the view is shown too, and Chromium paints the page.
    EXPECT_TRUE(screen->webView()->isVisible());
    QWebEnginePage *page = screen->page();
    ASSERT_TRUE(waitInPage(page, "document.body.dataset.invite")) << "the page never heard from the service";
    EXPECT_EQ(evaluate(page, "document.visibilityState").toString(), QStringLiteral("visible"));
    ASSERT_EQ(evaluate(page, "document.body.dataset.invite").toString(), QStringLiteral("ready"))
        << evaluate(page, "document.body.innerText").toString().toStdString();
    // The service knew who asked: the request went out signed with the visitor's token.
    EXPECT_EQ(requestsTo(ApiPaths::kInvitationInfo), QList<bool>{true});
    const QString code = evaluate(page, "document.getElementById('code').textContent").toString();
    EXPECT_TRUE(code.startsWith(QStringLiteral("OS"))) << code.toStdString();
    EXPECT_TRUE(evaluate(page, "document.getElementById('url').textContent").toString().endsWith(code));

    // The rules are a page of the service, opened in the browser.
    evaluate(page, clickScript("more"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, kWait));
    EXPECT_EQ(opened, QList<QUrl>{QUrl(s_standin->baseUrl() + "/static/page.html")});

    // The poster the page draws arrives as a data URL and lands in the Pictures folder.
    evaluate(page, clickScript("poster"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !screen->lastSavedImage().isEmpty(); }, kWait));
    const QImage poster(screen->lastSavedImage());
    EXPECT_EQ(poster.size(), QSize(360, 480));
    EXPECT_TRUE(desktopCatcher.urls.isEmpty());
}

TEST_F(Pages, DiscoveryLinksLeaveOnlyAsHttpHttpsOrMail)
{
    // What the service recommends is not trusted: only web and mail addresses go to the desktop.
    auto site = [](const QString &url) { return QJsonObject{{"name", url}, {"url", url}, {"desc", "x"}}; };
    const QStringList urls{"https://example.org/a", "file:///etc/passwd", "javascript:alert(1)", "http://example.net/b",
                           "foo://elsewhere/c", "data:text/html,<b>x</b>", "mailto:support@example.com", "marlet://buy",
                           "https://example.com/last"};
    QJsonArray sites;
    for (const QString &url : urls)
        sites.append(site(url));
    sites.append(QJsonObject{{"name", "no address"}, {"url", 42}});
    ASSERT_TRUE(s_standin->control(QJsonObject{{"websites", sites}}));

    std::unique_ptr<NBDiscoverViewController> screen(open<NBDiscoverViewController>("NBDiscoverViewController"));
    ASSERT_NE(screen, nullptr);
    QWebEnginePage *page = screen->page();
    ASSERT_TRUE(waitInPage(page, "document.body.dataset.sites"));
    ASSERT_EQ(evaluate(page, "document.body.dataset.sites").toString().toInt(), urls.size() + 1)
        << evaluate(page, "document.body.innerText").toString().toStdString();
    EXPECT_EQ(evaluate(page, "getComputedStyle(document.body).backgroundColor").toString(), QStringLiteral("rgb(22, 22, 22)"));
    const QUrl pageUrl = page->url();

    // Every card pressed in order; the last https one goes out last.
    evaluate(page, "document.querySelectorAll('.site').forEach(function (card) { card.click(); })");
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.contains(QUrl("https://example.com/last")); }, kWait));
    EXPECT_EQ(opened, (QList<QUrl>{QUrl("https://example.org/a"), QUrl("http://example.net/b"),
                                   QUrl("mailto:support@example.com"), QUrl("https://example.com/last")}));
    EXPECT_TRUE(desktopCatcher.urls.isEmpty()) << desktopCatcher.urls.value(0).toString().toStdString();
    EXPECT_EQ(page->url(), pageUrl);
}

TEST_F(Pages, LotteryDrawsOnceClosesFromItsPageAndUnpacksAgainWhenOpenedAgain)
{
    NBBaseViewController opener;
    opener.resize(728, 500);
    opener.show();
    auto presentLottery = [&]() -> QPointer<NBFreeViewController> {
        // As the more page, the home screen and the splash link do: a new screen each time.
        std::unique_ptr<NBBaseViewController> made(ScreenFactory::instance().make("NBFreeViewController", nullptr));
        if (!qobject_cast<NBFreeViewController *>(made.get()))
            return nullptr;
        made->setGeometry(opener.rect());
        auto *animator = new NBPresentationAnimator(made.get(), &opener);
        return qobject_cast<NBFreeViewController *>(opener.presentViewController(std::move(made), animator));
    };

    QPointer<NBFreeViewController> first = presentLottery();
    ASSERT_TRUE(first);
    QWebEnginePage *page = first->page();
    ASSERT_TRUE(waitInPage(page, "document.body.dataset.lottery"));
    ASSERT_EQ(evaluate(page, "document.body.dataset.lottery").toString(), QStringLiteral("ready"))
        << evaluate(page, "document.body.innerText").toString().toStdString();
    // Presented over the more page, the page covers it: the web view itself is transparent.
    EXPECT_EQ(evaluate(page, "getComputedStyle(document.body).backgroundColor").toString(), QStringLiteral("rgb(22, 22, 22)"));
    EXPECT_EQ(evaluate(page, "document.querySelectorAll('.prize').length").toInt(), 4);
    EXPECT_EQ(evaluate(page, "document.getElementById('chances').textContent").toString(), QStringLiteral("剩余 1 次"));

    evaluate(page, clickScript("draw"));
    ASSERT_TRUE(waitInPage(page, "document.body.dataset.won"));
    EXPECT_EQ(evaluate(page, "document.body.dataset.won").toString(), QStringLiteral("7天会员"));
    EXPECT_EQ(evaluate(page, "document.getElementById('result').textContent").toString(), QStringLiteral("恭喜获得 7天会员"));
    EXPECT_TRUE(evaluate(page, "document.getElementById('draw').disabled").toBool());
    EXPECT_EQ(requestsTo(ApiPaths::kLotteryDraw), QList<bool>{true});
    // The prize is the account's: read again, the visitor's membership runs a week from now.
    std::optional<QJsonObject> account;
    bool read = false;
    OONetWorkTool::accountInfo([&](std::optional<QJsonObject> data, std::optional<NetError>) {
        account = data;
        read = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return read; }, kWait));
    ASSERT_TRUE(account);
    const QString vip = account->value("user").toObject().value("vip_invalid_time").toString();
    const QDateTime until = QDateTime::fromString(vip, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    EXPECT_GT(until, QDateTime::currentDateTime().addDays(6)) << vip.toStdString();
    EXPECT_LT(until, QDateTime::currentDateTime().addDays(8)) << vip.toStdString();
    // "My membership" is an in-app link: outside the main window it goes nowhere, and never out.
    evaluate(page, clickScript("mine"));

    // The page's own close button dismisses it.
    evaluate(page, clickScript("close"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, kWait));
    EXPECT_TRUE(opener.presentations().isEmpty());
    EXPECT_TRUE(opened.isEmpty()) << opened.value(0).toString().toStdString();
    EXPECT_TRUE(desktopCatcher.urls.isEmpty()) << desktopCatcher.urls.value(0).toString().toStdString();

    // Opened again: a new screen, the package unpacked again over the old folder, the same page,
    // and the service remembers the draw.
    const QString leftover = OOPageLoader::pageFolder(NBFreeViewController::kPageName) + "/leftover.txt";
    QFile marker(leftover);
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    QPointer<NBFreeViewController> second = presentLottery();
    ASSERT_TRUE(second);
    ASSERT_TRUE(waitInPage(second->page(), "document.body.dataset.lottery === 'ready'"));
    EXPECT_FALSE(QFile::exists(leftover));
    EXPECT_EQ(evaluate(second->page(), "document.getElementById('draw').textContent").toString(), QStringLiteral("次数已用完"));
    EXPECT_TRUE(evaluate(second->page(), "document.getElementById('draw').disabled").toBool());
    opener.dismissViewController(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.isNull(); }, kWait));
}

