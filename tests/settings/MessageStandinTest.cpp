// The message centre against the stand-in service over real HTTP: messages listed, a chosen
// message marked read on the service with the unread counts and the left menu's dot following,
// the message shown in a real web view with a hostile title as text and its links routed, and
// the empty state.
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "support/NetworkTestSupport.h"
#include "support/MessagePaneScript.h"
#include "support/WebTestDisplay.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "settings/NBMessageDefaultView.h"
#include "settings/message/MessageDetailWebPage.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "settings/message/NBMessageItem.h"
#include "settings/message/NBMessageViewController.h"
#include "web/DesktopLinkOpener.h"
#include "web/NBUpgradeViewController.h"

namespace {

// The message pane is a real web view: the program draws on a display of its own.
const bool kUnderDisplay = WebTestDisplay::ensure();

constexpr int kWait = 15000;

QJsonObject message(qint64 id, int type, int read, const QString &title, const QString &body)
{
    return QJsonObject{{"id", id}, {"messageType", type}, {"isRead", read}, {"title", title}, {"body", body},
                       {"createTime", "2024-05-01 10:00:00"}, {"textBody", ""}, {"topType", 0}, {"linkUrl", ""}};
}

using MessagePaneScript::clickElement;
using MessagePaneScript::evaluate;
using MessagePaneScript::pageOf;

} // namespace

class MessageStandin : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
        OneStandinPerSuite::SetUp();
        if (HasFatalFailure())
            return;
        bool done = false;
        OONetWorkTool::login([&](std::optional<QString>) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        ASSERT_TRUE(MKUserInfoManager::shared().currentUser());
        ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", "default"}, {"clear_records", true}}));
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { m_opened << url; });
    }
    void TearDown() override { DesktopLinkOpener::setOpenerForTesting({}); }

    static QJsonArray requests(const QString &path)
    {
        QJsonArray found;
        for (const QJsonValue &request : s_standin->records().value("requests").toArray()) {
            if (request.toObject().value("path").toString() == path)
                found.append(request);
        }
        return found;
    }

    // The service's own counts, asked directly.
    static QJsonObject unreadCounts()
    {
        std::optional<QJsonObject> reply;
        bool done = false;
        OONetWorkTool::unreadMessages([&](std::optional<QJsonObject> r, std::optional<NetError>) {
            reply = r;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        return reply ? reply->value("data").toObject() : QJsonObject();
    }

    // The centre presented over a host screen, as the more page presents it.
    NBMessageViewController *presentCentre()
    {
        m_host.resize(728, 500);
        m_host.ensureLoaded();
        auto made = std::make_unique<NBMessageViewController>();
        auto *animator = new NBPresentationAnimator(made.get(), &m_host);
        NBMessageViewController *centre = m_host.presentViewController(std::move(made), animator);
        EXPECT_NE(centre, nullptr);
        m_host.show();
        return centre;
    }

    UiTimingScope m_scope{0.01};
    NBBaseViewController m_host;
    QList<QUrl> m_opened;
};

TEST_F(MessageStandin, MessagesAreListedAndReadOnTheService)
{
    QSignalSpy events(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    NBMessageViewController *centre = presentCentre();
    QTRY_COMPARE_WITH_TIMEOUT(centre->rows().size(), 3, kWait);
    const QJsonArray listed = requests(ApiPaths::kMessages);
    ASSERT_EQ(listed.size(), 1);
    const QJsonObject params = listed.first().toObject().value("params").toObject();
    EXPECT_EQ(params.value("pageSize"), QJsonValue(9999));
    EXPECT_EQ(params.value("page"), QJsonValue(1));
    QTRY_VERIFY_WITH_TIMEOUT(!events.isEmpty(), kWait);
    EXPECT_EQ(events.first().at(0).toString(), QStringLiteral("messagePage_open"));

    // The demo: an unread system notice, an unread activity message, a read one.
    QList<NBMessageItem *> rows = centre->rows();
    EXPECT_EQ(rows.at(0)->title(), QStringLiteral("线路维护通知"));
    EXPECT_EQ(rows.at(0)->iconName(), QStringLiteral("message_system"));
    EXPECT_EQ(rows.at(1)->iconName(), QStringLiteral("message_activity"));
    EXPECT_FALSE(rows.at(0)->redDot()->isHidden());
    EXPECT_FALSE(rows.at(1)->redDot()->isHidden());
    EXPECT_TRUE(rows.at(2)->redDot()->isHidden());
    EXPECT_EQ(unreadCounts(), QJsonObject({{"active_message", 1}, {"feedback_message", 0}, {"system_message", 1}}));

    // Choosing the unread notice: its dot goes at once, the pane shows it, one mark with the id
    // as text reaches the service.
    QSignalSpy answered(centre, &NBMessageViewController::readMarkAnswered);
    ASSERT_TRUE(centre->selectMessage(0));
    EXPECT_TRUE(centre->rows().at(0)->redDot()->isHidden());
    EXPECT_TRUE(centre->rows().at(0)->isSelected());
    NBMessageDetailViewController *detail = centre->detailVC();
    EXPECT_EQ(detail->parentViewController(), centre);
    EXPECT_EQ(detail->geometry(), QRect(363, 0, 366, 500));
    EXPECT_TRUE(detail->loadedHtml().contains(QStringLiteral("线路维护通知")));
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, kWait);
    EXPECT_EQ(answered.first().at(0).toLongLong(), 1);
    EXPECT_TRUE(answered.first().at(1).toBool());
    const QJsonArray marks = requests(ApiPaths::kMessageRead);
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks.first().toObject().value("params").toObject().value("messageId"), QJsonValue(QStringLiteral("1")));
    EXPECT_EQ(unreadCounts().value("system_message"), QJsonValue(0));

    // The same message again: refused, nothing sent, nothing rebuilt.
    NBMessageItem *first = centre->rows().at(0);
    EXPECT_FALSE(centre->selectMessage(0));
    EXPECT_EQ(centre->rows().at(0), first);
    // A read message: shown, no mark.
    ASSERT_TRUE(centre->selectMessage(2));
    EXPECT_TRUE(detail->loadedHtml().contains(QStringLiteral("support@example.com")));
    EXPECT_TRUE(centre->rows().at(2)->isSelected());
    EXPECT_FALSE(centre->rows().at(0)->isSelected());
    // The activity message: marked too.
    ASSERT_TRUE(centre->selectMessage(1));
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 2, kWait);
    EXPECT_EQ(requests(ApiPaths::kMessageRead).size(), 2);
    EXPECT_EQ(unreadCounts(), QJsonObject({{"active_message", 0}, {"feedback_message", 0}, {"system_message", 0}}));

    // A new message centre lists them all as read.
    centre->dismissAction();
    QTRY_VERIFY_WITH_TIMEOUT(m_host.presentations().isEmpty(), kWait);
    NBMessageViewController *again = presentCentre();
    QTRY_COMPARE_WITH_TIMEOUT(again->rows().size(), 3, kWait);
    for (NBMessageItem *row : again->rows())
        EXPECT_TRUE(row->redDot()->isHidden());
}

TEST_F(MessageStandin, TheUnreadDotFollowsOnceTheServiceHasTheMark)
{
    ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", QJsonArray{message(5, 2, 0, "只有一条", "<p>未读</p>")}}}));
    NBLeftSideViewController menu;
    menu.resize(72, 500);
    menu.ensureLoaded();
    menu.requestUnreadMessage();
    QLabel *dot = menu.accountItem()->redDot();
    QTRY_VERIFY_WITH_TIMEOUT(!dot->isHidden(), kWait);

    // The service takes its time over the mark: the count the pane's showing asks for comes back
    // before the mark is stored, still unread.
    ASSERT_TRUE(s_standin->fault(ApiPaths::kMessageRead, "delay", 1, 1500));
    ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}}));
    NBMessageViewController *centre = presentCentre();
    QTRY_COMPARE_WITH_TIMEOUT(centre->rows().size(), 1, kWait);
    QSignalSpy answered(centre, &NBMessageViewController::readMarkAnswered);
    ASSERT_TRUE(centre->selectMessage(0));
    QTRY_VERIFY_WITH_TIMEOUT(requests(ApiPaths::kUnreadMessages).size() >= 1, kWait);
    EXPECT_FALSE(dot->isHidden());

    // Once the mark is stored the counts are asked for again, and the dot goes.
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, kWait);
    EXPECT_TRUE(answered.first().at(1).toBool());
    QTRY_VERIFY_WITH_TIMEOUT(dot->isHidden(), kWait);
    // The last count asked for came after the mark.
    const QJsonArray all = s_standin->records().value("requests").toArray();
    int markAt = -1;
    int lastCountAt = -1;
    for (int i = 0; i < all.size(); ++i) {
        const QString path = all.at(i).toObject().value("path").toString();
        if (path == ApiPaths::kMessageRead)
            markAt = i;
        if (path == ApiPaths::kUnreadMessages)
            lastCountAt = i;
    }
    EXPECT_GE(markAt, 0);
    EXPECT_GT(lastCountAt, markAt);
}

TEST_F(MessageStandin, TheMessageShowsWithAHostileTitleAsTextAndItsLinksRouted)
{
    const QString title = QStringLiteral("<img src=x id=injected><b>marletInfo</b> & \"quoted\"");
    const QString body = QStringLiteral(
        "<p id=\"text\">Body <b>bold</b></p>"
        "<p><a id=\"out\" href=\"https://example.com/notes\" style=\"display:inline-block;padding:8px\">out</a></p>"
        "<p><a id=\"buy\" href=\"marlet://linkBuy\" style=\"display:inline-block;padding:8px\">buy</a></p>"
        "<p><a id=\"file\" href=\"file:///etc/passwd\" style=\"display:inline-block;padding:8px\">file</a></p>"
        "<p><a id=\"blank\" href=\"https://example.com/blank\" target=\"_blank\" style=\"display:inline-block;padding:8px\">blank</a></p>");
    QJsonObject hostile = message(9, 2, 1, title, body);
    hostile.insert("createTime", "<script>document.title='owned'</script>");
    ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", QJsonArray{hostile, message(10, 2, 1, "第二条", "<p>second</p>")}}}));

    NBMessageViewController *centre = presentCentre();
    QTRY_COMPARE_WITH_TIMEOUT(centre->rows().size(), 2, kWait);
    EXPECT_EQ(centre->rows().at(0)->title(), title);
    ASSERT_TRUE(centre->selectMessage(0));
    NBMessageDetailViewController *detail = centre->detailVC();
    QSignalSpy loaded(pageOf(detail), &QWebEnginePage::loadFinished);
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 1, kWait);
    ASSERT_TRUE(loaded.first().at(0).toBool());

    // Title and time are text on the page; the body is the message's HTML.
    EXPECT_EQ(evaluate(pageOf(detail), "document.querySelector('h1.title').textContent").toString(), title);
    EXPECT_EQ(evaluate(pageOf(detail), "document.title").toString(), title);
    EXPECT_EQ(evaluate(pageOf(detail), "document.querySelector('.time').textContent").toString(),
              QStringLiteral("<script>document.title='owned'</script>"));
    EXPECT_EQ(evaluate(pageOf(detail), "document.querySelectorAll('#injected, script').length").toInt(), 0);
    EXPECT_EQ(evaluate(pageOf(detail), "document.querySelector('#text b').textContent").toString(), QStringLiteral("bold"));

    // A link out goes to the desktop; the pane stays on the message.
    const QUrl shown = pageOf(detail)->url();
    ASSERT_TRUE(clickElement(detail, "#out"));
    QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 1, kWait);
    EXPECT_EQ(m_opened.first(), QUrl("https://example.com/notes"));
    // One meant for a new window too.
    ASSERT_TRUE(clickElement(detail, "#blank"));
    QTRY_COMPARE_WITH_TIMEOUT(m_opened.size(), 2, kWait);
    EXPECT_EQ(m_opened.last(), QUrl("https://example.com/blank"));
    // A file link goes nowhere.
    ASSERT_TRUE(clickElement(detail, "#file"));
    // "marlet://linkBuy" puts the purchase page over the message centre.
    QSignalSpy purchase(detail, &NBMessageDetailViewController::purchasePagePresented);
    ASSERT_TRUE(clickElement(detail, "#buy"));
    QTRY_COMPARE_WITH_TIMEOUT(purchase.size(), 1, kWait);
    EXPECT_EQ(m_opened.size(), 2);
    EXPECT_EQ(pageOf(detail)->url(), shown);
    const QList<NBBaseViewController *> over = centre->presentations();
    ASSERT_EQ(over.size(), 1);
    auto *page = qobject_cast<NBUpgradeViewController *>(over.first());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->json, QJsonObject({{"needBack", true}}));
    centre->dismissViewController(page);
    QTRY_VERIFY_WITH_TIMEOUT(centre->presentations().isEmpty(), kWait);

    // The next message replaces the page.
    ASSERT_TRUE(centre->selectMessage(1));
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(pageOf(detail), "document.querySelector('h1.title').textContent").toString(),
                              QStringLiteral("第二条"), kWait);
    EXPECT_EQ(evaluate(pageOf(detail), "document.querySelectorAll('#out').length").toInt(), 0);
}

TEST_F(MessageStandin, NoMessagesShowTheEmptyStateAndTheBackButtonLeaves)
{
    ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", QJsonArray()}}));
    NBMessageViewController *centre = presentCentre();
    QTRY_VERIFY_WITH_TIMEOUT(centre->emptyState() != nullptr, kWait);
    EXPECT_EQ(centre->emptyState()->tipLab()->text(), QStringLiteral("您还没有消息"));
    EXPECT_TRUE(centre->emptyState()->confirmBtn()->isHidden());
    EXPECT_TRUE(centre->rows().isEmpty());

    QTest::mouseClick(centre->backBtn(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_host.presentations().isEmpty(), kWait);
}

TEST_F(MessageStandin, HostileRowsInTheCentreAreTextOfAScreensSize)
{
    const QString title = QStringLiteral("<img src=\"/dev/zero\"><b>粗</b>\x07\x1b 😀");
    const QString body = QStringLiteral("&lt;img src=\"/dev/zero\"&gt;") + QString(1024 * 1024, QLatin1Char('w'));
    QJsonObject hostile = message(11, 2, 0, title, body);
    hostile.insert("createTime", QStringLiteral("<img src=\"/dev/zero\">\x1b"));
    ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", QJsonArray{hostile}}}));

    NBMessageViewController *centre = presentCentre();
    QTRY_COMPARE_WITH_TIMEOUT(centre->rows().size(), 1, kWait);
    NBMessageItem *row = centre->rows().first();
    EXPECT_EQ(row->title(), QStringLiteral("<img src=\"/dev/zero\"><b>粗</b> 😀"));
    for (QLabel *label : {row->titleLab(), row->descLab(), row->timeLab()})
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(row->titleLab()->text().startsWith(QStringLiteral("<img")));
    EXPECT_TRUE(row->descLab()->text().startsWith(QStringLiteral("<img")));
    EXPECT_LE(row->descLab()->text().size(), 400);
    EXPECT_EQ(row->timeLab()->text(), QStringLiteral("<img src=\"/dev/zero\">"));
    row->repaint();
}
