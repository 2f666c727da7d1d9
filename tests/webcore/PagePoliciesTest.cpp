// The rules around a local page, without a web engine: which document native code answers,
// where the main frame may go, what a page may fetch, and the in-app link road.
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/NotificationCenter.h"
#include "webcore/HHScriptMessageHandlerTarget.h"
#include "webcore/OOWebCommon.h"
#include "webcore/PageDocumentGate.h"
#include "webcore/PageNavigationPolicy.h"
#include "webcore/PageRequestPolicy.h"
#include "webcore/ScriptMessageHost.h"
#include "webcore/ScriptMessageRouter.h"

namespace {

using Decision = PageNavigationPolicy::Decision;
using LoadEnd = PageDocumentGate::LoadEnd;

QUrl makeLocalPage(const QString &relative)
{
    const QString path = AppPaths::pageFolder() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<html></html>");
    return QUrl::fromLocalFile(path);
}

struct JumpHost : ScriptMessageHost
{
    void closePage() override { calls << QStringLiteral("close"); }
    void handleJumpAction(const QString &destination) override { calls << QStringLiteral("jump ") + destination; }
    void switchMainWindowTab(int index) override { calls << QStringLiteral("tab %1").arg(index); }
    void openExternalUrl(const QUrl &url) override { calls << QStringLiteral("open ") + url.toString(); }
    QStringList calls;
};

} // namespace

TEST(PageDocumentGate, AnswersOnlyTheLoadedLocalDocumentAndHoldsCallsWhileItLoads)
{
    const QUrl local = makeLocalPage(QStringLiteral("buypage/index.html"));
    PageDocumentGate gate;
    QStringList delivered;
    const auto call = [&](const QString &id, const QString &what) {
        gate.deliver(id, [&delivered, what](const QUrl &page) { delivered << what + QLatin1Char(' ') + page.fileName(); });
    };
    call(QStringLiteral("a"), QStringLiteral("before any page"));
    EXPECT_TRUE(delivered.isEmpty());

    // A remote page shown first: what it posts while loading, and after, gets nothing.
    const QUrl remote(QStringLiteral("https://example.com/"));
    gate.navigationStarted(remote);
    call(QStringLiteral("remote"), QStringLiteral("remote while loading"));
    EXPECT_EQ(gate.loadFinished(true, remote, remote), LoadEnd::Refused);
    call(QStringLiteral("remote"), QStringLiteral("remote loaded"));

    // Then the local page over it: the remote document still runs until the local one commits.
    gate.navigationStarted(local);
    call(QStringLiteral("remote"), QStringLiteral("remote leaving"));
    call(QStringLiteral("local"), QStringLiteral("local early"));
    // The page tries to leave while it loads; that navigation is refused and ends on its own.
    const QUrl promo(QStringLiteral("https://example.com/promo"));
    EXPECT_EQ(gate.loadFinished(false, promo, remote), LoadEnd::Ignored);
    EXPECT_EQ(gate.loadFinished(true, local, local), LoadEnd::Identifying);
    EXPECT_FALSE(gate.isAnswering()) << "not before the document has said which it is";
    gate.documentIdentified(gate.navigation() - 1, QStringLiteral("remote"));   // an answer for an older load
    EXPECT_FALSE(gate.isAnswering());
    gate.documentIdentified(gate.navigation(), QStringLiteral("local"));
    EXPECT_TRUE(gate.isAnswering());
    EXPECT_EQ(gate.answeringUrl(), local);
    call(QStringLiteral("local"), QStringLiteral("local loaded"));
    call(QStringLiteral("frame"), QStringLiteral("another frame"));
    // Only the id the gate read opens it: every document, or none, is no id of its.
    call(QStringLiteral("*"), QStringLiteral("any document"));
    call(QString(), QStringLiteral("no document"));
    gate.whenAnswering([&delivered](const QUrl &page) { delivered << QStringLiteral("a step of ours ") + page.fileName(); });
    EXPECT_EQ(delivered, (QStringList{QStringLiteral("local early index.html"), QStringLiteral("local loaded index.html"),
                                      QStringLiteral("a step of ours index.html")}));

    // A navigation the view refused (a redirect away) still ends with a failure: the page stays
    // and is still answered.
    EXPECT_EQ(gate.loadFinished(false, promo, local), LoadEnd::Ignored);
    EXPECT_TRUE(gate.isAnswering());

    // Leaving shuts it at once; a failed load or a page without our script does not open it.
    gate.navigationStarted(local);
    EXPECT_FALSE(gate.isAnswering());
    EXPECT_EQ(gate.loadFinished(false, local, local), LoadEnd::Refused);
    // The engine reports only the refused navigation's end, after ours has arrived.
    gate.navigationStarted(local);
    EXPECT_EQ(gate.loadFinished(false, promo, local), LoadEnd::Identifying);
    gate.documentIdentified(gate.navigation(), QString());
    EXPECT_FALSE(gate.isAnswering());
}

TEST(PageDocumentGate, APageFloodingWhileItLoadsIsHeldOnlySoFar)
{
    const QUrl local = makeLocalPage(QStringLiteral("buypage/index.html"));
    PageDocumentGate gate;
    gate.navigationStarted(local);
    std::size_t delivered = 0;
    for (std::size_t i = 0; i < PageDocumentGate::kMaxWaiting * 4; ++i)
        gate.deliver(QStringLiteral("local"), [&](const QUrl &) { ++delivered; });
    ASSERT_EQ(gate.loadFinished(true, local, local), LoadEnd::Identifying);
    gate.documentIdentified(gate.navigation(), QStringLiteral("local"));
    EXPECT_EQ(delivered, PageDocumentGate::kMaxWaiting);
}

TEST(PageNavigationPolicy, AFullScreenPageNavigatesInPlaceButNeverToTheUsersFiles)
{
    using Cause = PageNavigationPolicy::Cause;
    const QUrl local = makeLocalPage(QStringLiteral("buypage/index.html"));
    for (const Cause cause : {Cause::Host, Cause::Page, Cause::LinkClicked, Cause::Reload}) {
        EXPECT_EQ(PageNavigationPolicy::decide(local, cause, true), Decision::Allow);
        // A payment provider's pages, and back.
        EXPECT_EQ(PageNavigationPolicy::decide(QUrl(QStringLiteral("https://pay.example/checkout")), cause, true), Decision::Allow);
        EXPECT_EQ(PageNavigationPolicy::decide(QUrl(QStringLiteral("http://127.0.0.1:9/")), cause, true), Decision::Allow);
    }
    for (const QString &away : {QStringLiteral("file:///etc/passwd"), QStringLiteral("data:text/html,<p>x</p>"),
                                QStringLiteral("mailto:a@example.com"), QStringLiteral("marlet://newsList")}) {
        EXPECT_EQ(PageNavigationPolicy::decide(QUrl(away), Cause::Page, true), Decision::Refuse) << away.toStdString();
        EXPECT_EQ(PageNavigationPolicy::decide(QUrl(away), Cause::LinkClicked, true), Decision::FollowLink) << away.toStdString();
    }
    // Frames are the request rule's business and never get an answer.
    EXPECT_EQ(PageNavigationPolicy::decide(QUrl(QStringLiteral("file:///etc/passwd")), Cause::Page, false), Decision::Allow);
}

TEST(PageNavigationPolicy, TheNoticeStaysOnItsOneDocumentOrCloses)
{
    using Cause = PageNavigationPolicy::Cause;
    const QUrl notice = makeLocalPage(QStringLiteral("notice/notice.html"));
    const QUrl other = makeLocalPage(QStringLiteral("notice/other.html"));
    EXPECT_EQ(PageNavigationPolicy::decideForNotice(notice, Cause::Host, true, QUrl()), Decision::Allow);
    EXPECT_EQ(PageNavigationPolicy::decideForNotice(QUrl(QStringLiteral("file:///etc/passwd")), Cause::Host, true, QUrl()),
              Decision::Close);
    EXPECT_EQ(PageNavigationPolicy::decideForNotice(notice, Cause::Reload, true, notice), Decision::Allow);
    EXPECT_EQ(PageNavigationPolicy::decideForNotice(other, Cause::Reload, true, notice), Decision::Close);
    for (const QUrl &away : {other, QUrl(QStringLiteral("https://example.com/promo")), notice}) {
        EXPECT_EQ(PageNavigationPolicy::decideForNotice(away, Cause::Page, true, notice), Decision::Close) << away.toString().toStdString();
        EXPECT_EQ(PageNavigationPolicy::decideForNotice(away, Cause::LinkClicked, true, notice), Decision::FollowLink);
    }
    EXPECT_EQ(PageNavigationPolicy::decideForNotice(QUrl(QStringLiteral("https://example.com/f")), Cause::Page, false, notice),
              Decision::Allow);
}

TEST(PageRequestPolicy, OwnFilesAndTheWebOnly)
{
    const QUrl local = makeLocalPage(QStringLiteral("buypage/index.html"));
    const QString home = QDir::homePath();
    const QList<std::pair<QString, bool>> cases{
        {local.toString(), true},
        {QUrl::fromLocalFile(AppPaths::pageFolder() + QStringLiteral("/common/bridge.js")).toString(), true},
        {QUrl::fromLocalFile(AppPaths::resourceFolder() + QStringLiteral("/images/icon.svg")).toString(), true},
        // The service, its "staticurl", a CDN.
        {QStringLiteral("https://api1.ostrel-api.example/abc/def"), true},
        {QStringLiteral("http://127.0.0.1:18480/api/client/x"), true},
        {QStringLiteral("https://cdn.example/lib.js"), true},
        // A page's WebSocket to the same web (a payment provider waiting for the payment).
        {QStringLiteral("wss://pay.example/socket"), true},
        {QStringLiteral("ws://127.0.0.1:18480/live"), true},
        {QStringLiteral("data:image/png;base64,AAAA"), true},
        {QStringLiteral("blob:file:///1234"), true},
        {QStringLiteral("about:blank"), true},
        // The user's files, by any spelling.
        {QUrl::fromLocalFile(home + QStringLiteral("/.ssh/id_ed25519")).toString(), false},
        {QUrl::fromLocalFile(AppPaths::pageFolder() + QStringLiteral("/../private/buypage.zip")).toString(), false},
        {QStringLiteral("file:///etc/passwd"), false},
        {QStringLiteral("file://localhost/etc/passwd"), false},
        {QStringLiteral("filesystem:file:///temporary/x"), false},
        {QStringLiteral("ftp://api1.ostrel-api.example/x"), false},
        {QStringLiteral("https:///nohost"), false},
        {QStringLiteral("wss:///nohost"), false},
        {QStringLiteral("about:srcdoc"), false},
        {QString(), false},
    };
    for (const auto &[url, allowed] : cases)
        EXPECT_EQ(PageRequestPolicy::allows(QUrl(url)), allowed) << url.toStdString();
}

TEST(InAppLinks, KeepTheirCaseAndOnlyALoadedLocalPageFollowsThem)
{
    const QUrl local = makeLocalPage(QStringLiteral("notice/notice.html"));
    JumpHost host;
    ScriptMessageRouter router(ScriptMessageRouter::HostKind::Popup, &host);
    HHScriptMessageHandlerTarget target(&router, [] { return QUrl(); });
    PageDocumentGate gate;
    target.setDocumentGate([&](const QString &id, PageDocumentGate::Delivery delivery) { gate.deliver(id, std::move(delivery)); });
    gate.navigationStarted(local);
    ASSERT_EQ(gate.loadFinished(true, local, local), LoadEnd::Identifying);
    gate.documentIdentified(gate.navigation(), QStringLiteral("main-frame"));

    target.followLink(QStringLiteral("marlet://newsList"), QStringLiteral("main-frame"));
    target.followLink(QStringLiteral("marlet://linkBuy?from=notice"), QStringLiteral("main-frame"));
    target.followLink(QStringLiteral("marlet://lotteryPage"), QStringLiteral("main-frame"));
    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("jump newsList"), QStringLiteral("close"), QStringLiteral("jump linkBuy"),
                                       QStringLiteral("close"), QStringLiteral("jump lotteryPage"), QStringLiteral("close")}));

    // Another frame does not know the document's id; once the page is leaving, nobody is answered.
    host.calls.clear();
    target.followLink(QStringLiteral("marlet://newsList"), QString());
    target.postMessage(QStringLiteral("button"), QStringLiteral(R"({"type":"close","params":{}})"), QStringLiteral("guess"));
    gate.navigationStarted(QUrl(QStringLiteral("https://example.com/")));
    EXPECT_EQ(gate.loadFinished(true, QUrl(QStringLiteral("https://example.com/")), QUrl()), LoadEnd::Refused);
    target.followLink(QStringLiteral("marlet://newsList"), QStringLiteral("main-frame"));
    EXPECT_TRUE(host.calls.isEmpty()) << host.calls.join(QLatin1Char(',')).toStdString();

    // The full-screen pages read the same links through their own table.
    JumpHost pageHost;
    ScriptMessageRouter pageRouter(ScriptMessageRouter::HostKind::PageController, &pageHost);
    EXPECT_EQ(pageRouter.followLink(QStringLiteral("marlet://buy"), local), ScriptMessageRouter::Outcome::Handled);
    EXPECT_EQ(pageHost.calls, QStringList{QStringLiteral("tab 3")});
}

TEST(OOWebCommonNotifications, ObserverHearsPostsWhileItLives)
{
    auto observer = std::make_unique<QObject>();
    QVariantMap heard;
    int count = 0;
    OOWebCommon::addNotificationObserver(observer.get(), [&](const Notification &notification) {
        heard = notification.userInfo;
        ++count;
    }, QStringLiteral("ostrel.test.bound"));
    OOWebCommon::postNotification(QStringLiteral("ostrel.test.bound"), {{QStringLiteral("phone"), QStringLiteral("138")}});
    EXPECT_EQ(count, 1);
    EXPECT_EQ(heard.value(QStringLiteral("phone")).toString(), QStringLiteral("138"));
    observer.reset();
    OOWebCommon::postNotification(QStringLiteral("ostrel.test.bound"));
    EXPECT_EQ(count, 1);
}
