// The message centre's rules that need no service: the template filled in one pass, where
// links lead, what a row shows, which records make rows, the empty state below the back button,
// the pane that never keeps an old message, and the notice box.
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "uikit/NBPresentationAnimator.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiTiming.h"
#include "common/AppPaths.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "networking/XSAnalyticsManager.h"
#include "settings/NBMessageDefaultView.h"
#include "settings/message/MessageDetailTemplate.h"
#include "settings/message/MessageLinkRouter.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "settings/message/NBMessageItem.h"
#include "settings/message/NBMessageViewController.h"
#include "settings/notice/OONoticePopupView.h"
#include "web/DesktopLinkOpener.h"
#include "support/NetworkTestSupport.h"

namespace {

NBMessageListModel message(const QJsonObject &json)
{
    return *NBMessageListModel::fromJson(json);
}

// Links handed to the desktop, for the length of a test.
class OpenedLinks
{
public:
    OpenedLinks()
    {
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { urls << url; });
    }
    ~OpenedLinks() { DesktopLinkOpener::setOpenerForTesting({}); }
    QList<QUrl> urls;
};

QJsonObject reply(const QJsonValue &data)
{
    return QJsonObject{{"success", true}, {"data", data}};
}

} // namespace

TEST(MessageTemplate, FilledInOnePassWithTextEscapedAndMissingFieldsEmpty)
{
    const QString page = QStringLiteral("<title>marletTitle</title><h1>marletTitle</h1><p>marletTime</p><div>marletInfo</div>");
    const NBMessageListModel hostile = message(QJsonObject{
        {"title", "<img src=x onerror=alert(1)> & marletInfo"}, {"createTime", "2024-05-01 <i>10:00</i>"},
        {"body", "<p>Body <a href=\"https://a.example/x\">link</a> marletTitle</p>"}});
    const QString filled = MessageDetailTemplate::fill(page, hostile);
    const QString title = QStringLiteral("&lt;img src=x onerror=alert(1)&gt; &amp; marletInfo");
    EXPECT_EQ(filled, QStringLiteral("<title>%1</title><h1>%1</h1><p>2024-05-01 &lt;i&gt;10:00&lt;/i&gt;</p>"
                                     "<div><p>Body <a href=\"https://a.example/x\">link</a> marletTitle</p></div>").arg(title));

    // Nothing of the message: every place empty, the page still whole.
    EXPECT_EQ(MessageDetailTemplate::fill(page, NBMessageListModel()), QStringLiteral("<title></title><h1></h1><p></p><div></div>"));

    // The shipped template has every place, the title twice.
    const std::optional<QString> shipped = MessageDetailTemplate::load();
    ASSERT_TRUE(shipped.has_value());
    EXPECT_EQ(shipped->count(QStringLiteral("marletTitle")), 2);
    EXPECT_EQ(shipped->count(QStringLiteral("marletTime")), 1);
    EXPECT_EQ(shipped->count(QStringLiteral("marletInfo")), 1);
    EXPECT_FALSE(MessageDetailTemplate::fill(*shipped, hostile).contains(QStringLiteral("<img")));
}

TEST(MessageLinks, InAppLinksOpenThePurchasePageAndOnlySafeSchemesLeave)
{
    using Route = MessageLinkRouter::Route;
    const QList<std::pair<QString, Route>> cases{
        {"marlet://linkBuy", Route::OpenPurchase},
        {"MARLET://LINKBUY?from=message", Route::OpenPurchase},
        {"marlet://newsList", Route::None},
        {"marlet://buy", Route::None},
        {"marlet://home", Route::None},
        {"marlet://my", Route::None},
        {"marlet:", Route::None},
        {"https://example.com/notes?id=1", Route::OpenExternal},
        {"http://example.com", Route::OpenExternal},
        {"mailto:support@example.com", Route::OpenExternal},
        {"file:///etc/passwd", Route::None},
        {"javascript:alert(1)", Route::None},
        {"ftp://example.com/a", Route::None},
        {"ostrel-helper://run", Route::None},
        {"https://", Route::None},
        {"", Route::None},
    };
    for (const auto &[link, route] : cases)
        EXPECT_EQ(MessageLinkRouter::route(QUrl(link)), route) << link.toStdString();
}

TEST(MessageRows, IconDotAndTextsFollowTheRecord)
{
    const NBMessageItem::Content activity = NBMessageItem::rowContent(message({{"messageType", 1}, {"isRead", 1}}));
    EXPECT_EQ(activity.iconName, QStringLiteral("message_activity"));
    EXPECT_FALSE(activity.redDot);
    const NBMessageItem::Content system = NBMessageItem::rowContent(message({{"messageType", 2}, {"isRead", 0}}));
    EXPECT_EQ(system.iconName, QStringLiteral("message_system"));
    EXPECT_TRUE(system.redDot);
    // Nothing known: a system message, unread, empty texts.
    const NBMessageItem::Content bare = NBMessageItem::rowContent(NBMessageListModel());
    EXPECT_EQ(bare.iconName, QStringLiteral("message_system"));
    EXPECT_TRUE(bare.redDot);
    EXPECT_TRUE(bare.title.isEmpty() && bare.desc.isEmpty() && bare.time.isEmpty());

    // The body's text, not its markup; a title shown as it is, never as markup.
    NBMessageItem row;
    row.resize(362, 80);
    row.configure(message({{"title", "<b>bold</b> <img src=x>"}, {"createTime", "2024-05-01 10:00:00"},
                           {"body", "<p>First&nbsp;line &amp; <a href=\"https://a.example\">more</a></p>"}}));
    EXPECT_EQ(row.titleLab()->textFormat(), Qt::PlainText);
    EXPECT_EQ(row.title(), QStringLiteral("<b>bold</b> <img src=x>"));
    EXPECT_TRUE(row.titleLab()->text().startsWith(QStringLiteral("<b>bold</b>")));
    EXPECT_EQ(row.descLab()->textFormat(), Qt::PlainText);
    EXPECT_EQ(row.descLab()->text(), QStringLiteral("First line & more"));
    EXPECT_EQ(row.timeLab()->text(), QStringLiteral("2024-05-01 10:00:00"));
    EXPECT_FALSE(row.redDot()->isHidden());

    // A long title gives way to the time and ends in "...", the whole title kept.
    const QString longTitle = QString(80, QChar(0x6D88));
    row.configure(message({{"title", longTitle}, {"createTime", "2024-05-01 10:00:00"}, {"isRead", 1}}));
    EXPECT_EQ(row.title(), longTitle);
    EXPECT_TRUE(row.titleLab()->text().endsWith(QStringLiteral("…")));
    EXPECT_LE(row.titleLab()->geometry().right() + 10, row.timeLab()->geometry().left());
    EXPECT_TRUE(row.redDot()->isHidden());
}

// Opening the centre sends an event. The client is pointed at an address it refuses before any
// name lookup, so each event ends at once and in order, and each case waits for its own: none
// reaches a later case's listener.
class MessageCentre : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(pointClientAt({QStringLiteral("http://ostrel-test.invalid")})); }
    void TearDown() override
    {
        QSignalSpy events(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
        XSAnalyticsManager::shared().track(QStringLiteral("test_drain"));
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(events.cbegin(), events.cend(),
                                             [](const QList<QVariant> &event) { return event.at(0).toString() == QLatin1String("test_drain"); }),
                                 5000);
    }

    UiTimingScope m_scope{0.01};
};

TEST_F(MessageCentre, OnlyRecordsThatDecodeMakeRows)
{
    NBMessageViewController centre;
    centre.requestsOnLoad = false;
    centre.ensureLoaded();

    // No "data", or "data" that is no list: nothing at all, not even the empty state.
    centre.handleMessages(std::nullopt);
    centre.handleMessages(QJsonObject());
    centre.handleMessages(QJsonObject{{"success", true}});
    centre.handleMessages(reply(QJsonObject{{"page_datas", QJsonArray()}}));
    EXPECT_TRUE(centre.rows().isEmpty());
    EXPECT_EQ(centre.emptyState(), nullptr);

    QJsonArray data;
    for (int i = 1; i <= 10; ++i)
        data.append(QJsonObject{{"id", i == 4 ? QJsonValue(QStringLiteral("4")) : QJsonValue(i)},
                                {"title", QStringLiteral("消息 %1").arg(i)}, {"isRead", i % 2}});
    data.append(QStringLiteral("not a record"));
    centre.handleMessages(reply(data));
    ASSERT_EQ(centre.rows().size(), 9);
    EXPECT_EQ(centre.datas.size(), 9);
    EXPECT_EQ(centre.rows().at(3)->title(), QStringLiteral("消息 5"));
    for (int row = 0; row < 9; ++row)
        EXPECT_EQ(centre.rows().at(row)->geometry(), QRect(0, row * 80, 362, 80));
    EXPECT_EQ(centre.emptyState(), nullptr);
}

TEST_F(MessageCentre, EmptyListLeavesTheBackButtonReachable)
{
    NBBaseViewController host;
    host.resize(728, 500);
    host.ensureLoaded();
    auto made = std::make_unique<NBMessageViewController>();
    made->requestsOnLoad = false;
    auto *animator = new NBPresentationAnimator(made.get(), &host);
    NBMessageViewController *centre = host.presentViewController(std::move(made), animator);
    ASSERT_NE(centre, nullptr);
    host.show();
    centre->handleMessages(reply(QJsonArray()));

    NBMessageDefaultView *empty = centre->emptyState();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->tipLab()->text(), QStringLiteral("您还没有消息"));
    EXPECT_TRUE(empty->confirmBtn()->isHidden());
    EXPECT_FALSE(empty->geometry().intersects(centre->backBtn()->geometry()));
    // What a press on the back button's middle reaches is the button.
    const QPoint middle = centre->backBtn()->geometry().center();
    EXPECT_EQ(centre->childAt(middle), centre->backBtn());

    // Showing it again keeps one.
    centre->showEmptyState();
    EXPECT_EQ(centre->findChildren<NBMessageDefaultView *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);

    QPointer<NBMessageViewController> alive(centre);
    QTest::mouseClick(centre->backBtn(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(host.presentations().isEmpty(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), 5000);
}

TEST_F(MessageCentre, ChoosingIsRefusedWithoutAnId)
{
    NBMessageViewController centre;
    centre.requestsOnLoad = false;
    centre.ensureLoaded();
    centre.handleMessages(reply(QJsonArray{QJsonObject{{"title", "no id"}, {"isRead", 0}}}));
    ASSERT_EQ(centre.rows().size(), 1);
    EXPECT_FALSE(centre.selectMessage(0));
    EXPECT_FALSE(centre.selectMessage(1));
    EXPECT_FALSE(centre.selectMessage(-1));
    EXPECT_FALSE(centre.selectModel.has_value());
    EXPECT_FALSE(centre.rows().at(0)->redDot()->isHidden());
    EXPECT_TRUE(centre.childViewControllers().isEmpty());
}

TEST_F(MessageCentre, ThePaneNeverKeepsTheLastMessageUnderANewOne)
{
    QObject observer;
    int refreshes = 0;
    NotificationCenter::defaultCenter().addObserver(NotificationNames::kRefreshMessageData, &observer,
                                                    [&](const Notification &) { ++refreshes; });
    NBMessageDetailViewController detail;
    detail.ensureLoaded();
    EXPECT_EQ(detail.geometry(), QRect(363, 0, 366, 500));

    // No message: nothing shown, nothing posted.
    detail.loadMessage();
    EXPECT_TRUE(detail.loadedHtml().isEmpty());
    EXPECT_EQ(refreshes, 0);

    detail.model = message({{"id", 1}, {"title", "第一条"}, {"createTime", "2024-05-01"}, {"body", "<p>one</p>"}});
    detail.loadMessage();
    EXPECT_TRUE(detail.loadedHtml().contains(QStringLiteral("<p>one</p>")));
    EXPECT_EQ(refreshes, 1);

    // A message without time or body still replaces the first one, its missing places empty.
    detail.model = message({{"id", 2}, {"title", "第二条"}});
    detail.loadMessage();
    EXPECT_TRUE(detail.loadedHtml().contains(QStringLiteral("第二条")));
    EXPECT_FALSE(detail.loadedHtml().contains(QStringLiteral("第一条")));
    EXPECT_FALSE(detail.loadedHtml().contains(QStringLiteral("<p>one</p>")));
    EXPECT_TRUE(detail.loadedHtml().contains(QStringLiteral("<div class=\"time\"></div>")));
    EXPECT_EQ(refreshes, 2);

    // Without the template nothing changes and nothing is posted.
    QTemporaryDir empty;
    AppPaths::setResourceFolderForTesting(empty.path());
    detail.model = message({{"id", 3}, {"title", "第三条"}});
    detail.loadMessage();
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_SOURCE_DIR "/resources"));
    EXPECT_TRUE(detail.loadedHtml().contains(QStringLiteral("第二条")));
    EXPECT_EQ(refreshes, 2);
    NotificationCenter::defaultCenter().removeObservers(&observer);
}

TEST(NoticePopup, PanelInTheMiddleLinksThroughTheDoorAndCloseOnce)
{
    QWidget parent;
    parent.resize(800, 500);
    auto *below = new QPushButton(QStringLiteral("below"), &parent);
    below->setGeometry(0, 0, 800, 500);
    QSignalSpy belowClicks(below, &QPushButton::clicked);
    QPointer<OONoticePopupView> popup = new OONoticePopupView(&parent);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));

    EXPECT_EQ(popup->geometry(), parent.rect());
    EXPECT_EQ(popup->contentView()->geometry(), QRect(250, 32, 300, 435));
    EXPECT_EQ(popup->scrollView()->geometry(), QRect(16, 20, 268, 335));
    EXPECT_EQ(popup->closeBtn()->geometry(), QRect(16, 375, 268, 45));
    EXPECT_EQ(popup->closeBtn()->text(), QStringLiteral("Close"));
    EXPECT_TRUE(popup->titleLab()->isHidden());

    // Presses beside the panel and on its text stop at the popup.
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(popup->contentView(), Qt::LeftButton, {}, QPoint(150, 5));
    EXPECT_EQ(belowClicks.size(), 0);

    // A long text scrolls inside the panel; the button stays where it is.
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("<p>第 %1 段公告内容</p>").arg(i);
    popup->textView()->setHtml(text);
    QTRY_VERIFY_WITH_TIMEOUT(popup->textView()->height() > popup->scrollView()->height(), 5000);

    // Pictures the notice names outside the bundle are never read, the endless one included.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage tall(10, 900, QImage::Format_RGB32);
    tall.fill(Qt::red);
    const QString picture = folder.filePath(QStringLiteral("tall.png"));
    ASSERT_TRUE(tall.save(picture));
    popup->textView()->setHtml(QStringLiteral("<p>图<img src=\"%1\"><img src=\"/dev/zero\"><img src=\"tall.png\"></p>")
                                   .arg(QUrl::fromLocalFile(picture).toString()));
    popup->textView()->repaint();
    EXPECT_LT(popup->textView()->document()->size().height(), 200);
    EXPECT_TRUE(popup->textView()->document()->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(picture))
                    .toByteArray()
                    .isEmpty());
    popup->textView()->setHtml(text);
    EXPECT_EQ(popup->closeBtn()->geometry(), QRect(16, 375, 268, 45));

    OpenedLinks opened;
    EXPECT_FALSE(popup->textViewClickedOnLink(QUrl(QStringLiteral("https://buy/now"))));
    EXPECT_FALSE(popup->textViewClickedOnLink(QUrl(QStringLiteral("marlet://buy"))));
    EXPECT_TRUE(popup->textViewClickedOnLink(QUrl(QStringLiteral("https://example.com/notice"))));
    EXPECT_TRUE(popup->textViewClickedOnLink(QUrl(QStringLiteral("mailto:support@example.com"))));
    // Handed on, but the desktop's door lets only http, https and mailto out.
    EXPECT_TRUE(popup->textViewClickedOnLink(QUrl(QStringLiteral("file:///etc/passwd"))));
    Q_EMIT popup->textView()->anchorClicked(QUrl(QStringLiteral("https://example.com/clicked")));
    EXPECT_EQ(opened.urls, QList<QUrl>({QUrl("https://example.com/notice"), QUrl("mailto:support@example.com"),
                                        QUrl("https://example.com/clicked")}));

    QSignalSpy events(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    QTest::mouseClick(popup->closeBtn(), Qt::LeftButton);
    EXPECT_TRUE(popup->isHidden());
    popup->closeAction();
    QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(events.size(), 1, 10000);
    EXPECT_EQ(events.first().at(0).toString(), QStringLiteral("noticePage_close_click"));
}
