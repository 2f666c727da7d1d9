// The more page without the network: rows built from their definitions and found by type, red
// dots from the unread counts, the switches storing and re-read on every appearance, the TUN tip
// only while connected, banner clicks, the about page's version and links, the account sheet,
// and the loose JSON value conversions.
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/NetworkTestSupport.h"
#include "app/NBMainWindowController.h"
#include "uikit/NBBaseViewController.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/OOAppinfoHelper.h"
#include "common/UserDefaults.h"
#include "home/NBToggleTunTipView.h"
#include "login/account/NBAccountInfoViewController.h"
#include "networking/XSAnalyticsManager.h"
#include "settings/unreached/JsonValueConversions.h"
#include "networking/ServiceDocumentLinks.h"
#include "settings/more/NBAboutViewController.h"
#include "uikit/NBTrackButton.h"
#include "settings/more/NBAdView.h"
#include "settings/more/NBInfoView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineSwitchItemView.h"
#include "settings/more/NBMineViewController.h"
#include "settings/more/NBSettingViewController.h"
#include "web/DesktopLinkOpener.h"

namespace {

QJsonObject unread(const QJsonObject &data)
{
    return QJsonObject{{"success", true}, {"data", data}};
}

QList<NBBaseViewController *> presented(NBBaseViewController &page)
{
    return page.presentations();
}

QString presentedName(NBBaseViewController &page)
{
    const QList<NBBaseViewController *> list = presented(page);
    if (list.isEmpty())
        return {};
    if (auto *placeholder = qobject_cast<PlaceholderViewController *>(list.last()))
        return placeholder->screenName();
    return QString::fromLatin1(list.last()->metaObject()->className());
}

class MorePage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults &defaults = UserDefaults::standard();
        defaults.remove(DefaultsKeys::kKillSwitchStateKey);
        defaults.remove(DefaultsKeys::kTunStateKey);
        defaults.remove(DefaultsKeys::ShadowsocksOn);
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { m_opened.append(url); });
        // A service address the client refuses before any name lookup: every request and event
        // ends at once, in the order it was made, so no case waits on a resolver.
        ASSERT_TRUE(pointClientAt({QStringLiteral("http://ostrel-test.invalid")}));
    }
    void TearDown() override
    {
        // Events this case sent land before the next case listens for its own.
        QSignalSpy events(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
        XSAnalyticsManager::shared().track(QStringLiteral("test_drain"));
        const auto drained = [&events] {
            return std::any_of(events.cbegin(), events.cend(),
                               [](const QList<QVariant> &event) { return event.at(0).toString() == QLatin1String("test_drain"); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(drained(), 5000);
        DesktopLinkOpener::setOpenerForTesting({});
        WindowInUse::setContentWidget(nullptr);
        WindowInUse::setContentController(nullptr);
    }

    UiTimingScope m_scope{0.01};
    QList<QUrl> m_opened;
};

} // namespace

TEST_F(MorePage, NineRowsInOrderWithSwitchesFromStoredValues)
{
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    NBMineViewController page;
    page.ensureLoaded();
    ASSERT_EQ(page.items().size(), 9);
    const QList<qint64> types{0, 1, 2, 3, 4, 8, 5, 6, 7};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(page.models().at(i).type, types.at(i)) << i;
    EXPECT_EQ(page.contentView()->height(), 128 + 9 * 51);
    auto *kill = qobject_cast<NBMineSwitchItemView *>(page.itemOfType(4));
    auto *tun = qobject_cast<NBMineSwitchItemView *>(page.itemOfType(8));
    ASSERT_TRUE(kill && tun);
    EXPECT_TRUE(kill->isOn());
    EXPECT_FALSE(tun->isOn());
    EXPECT_EQ(page.itemOfType(0)->titleLab()->text(), QStringLiteral("消息中心"));
    EXPECT_EQ(page.itemOfType(3)->subTitleLab()->text(), QStringLiteral("抽奖领会员"));
}

TEST_F(MorePage, UnreadCountsSetDotsOnTheRowsOfTheirType)
{
    NBMineViewController page;
    page.ensureLoaded();
    NBMineItemView *message = page.itemOfType(NBMineViewController::messageRow);
    NBMineItemView *feedback = page.itemOfType(NBMineViewController::feedbackRow);
    const auto dot = [](NBMineItemView *row) { return !row->redDot()->isHidden(); };

    page.handleUnreadMessages(unread({{"active_message", 2}, {"feedback_message", 0}, {"system_message", 0}}));
    EXPECT_TRUE(dot(message));
    EXPECT_EQ(message->subTitleLab()->text(), NBMineViewController::kNewMessageText);
    EXPECT_FALSE(dot(feedback));
    EXPECT_EQ(feedback->subTitleLab()->text(), QString());

    page.handleUnreadMessages(unread({{"active_message", 0}, {"feedback_message", 3}, {"system_message", 1}}));
    EXPECT_TRUE(dot(message));
    EXPECT_TRUE(dot(feedback));
    EXPECT_EQ(feedback->subTitleLab()->text(), NBMineViewController::kNewMessageText);
    // The feedback row keeps its warm colour for the new text.
    EXPECT_TRUE(feedback->subTitleLab()->styleSheet().contains(QColor(206, 172, 137).name()));

    // A count missing or not a whole number changes nothing.
    page.handleUnreadMessages(unread({{"active_message", 0}, {"feedback_message", 0}}));
    page.handleUnreadMessages(unread({{"active_message", 0}, {"feedback_message", "0"}, {"system_message", 0}}));
    page.handleUnreadMessages(QJsonObject{{"data", QJsonArray{}}});
    page.handleUnreadMessages(std::nullopt);
    EXPECT_TRUE(dot(message));
    EXPECT_TRUE(dot(feedback));

    page.handleUnreadMessages(unread({{"active_message", 0}, {"feedback_message", 0}, {"system_message", 0}}));
    EXPECT_FALSE(dot(message));
    EXPECT_FALSE(dot(feedback));
    EXPECT_EQ(message->subTitleLab()->text(), QString());
}

TEST_F(MorePage, SwitchesStoreAndAreReadAgainOnEveryAppearance)
{
    // The page as the window shows it: its content swap brings the page in.
    NBMainWindowController window;
    auto *shown = new NBMineViewController;
    window.setContentViewController(shown);
    NBMineViewController &page = *shown;
    auto *kill = qobject_cast<NBMineSwitchItemView *>(page.itemOfType(4));
    auto *tun = qobject_cast<NBMineSwitchItemView *>(page.itemOfType(8));
    ASSERT_TRUE(kill && tun);

    // The switch shows the picture of the state it stored.
    const auto looksLike = [](QPushButton *button, const char *image) {
        const QSize size(44, 24);
        return button->icon().pixmap(size).toImage() == UiImages::icon(QString::fromLatin1(image)).pixmap(size).toImage();
    };
    ASSERT_FALSE(looksLike(kill->switchView(), "bt_on") && looksLike(kill->switchView(), "bt_off"));
    kill->switchView()->click();
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::kKillSwitchStateKey));
    EXPECT_TRUE(looksLike(kill->switchView(), "bt_on"));
    kill->switchView()->click();
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kKillSwitchStateKey));
    EXPECT_TRUE(looksLike(kill->switchView(), "bt_off"));

    tun->switchView()->click();
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::kTunStateKey));

    // While the about page covers it, another screen (the left menu) turns TUN off: the page
    // shows it when it comes back.
    QTest::mouseClick(page.itemOfType(7), Qt::LeftButton);
    ASSERT_EQ(presented(page).size(), 1);
    EXPECT_FALSE(page.isAppearing());
    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, false);
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    presented(page).first()->dismissAction();
    EXPECT_TRUE(page.isAppearing());
    EXPECT_FALSE(tun->isOn());
    EXPECT_TRUE(kill->isOn());
}

TEST_F(MorePage, TunTipOnlyWhileConnected)
{
    QWidget window;
    window.resize(800, 500);
    WindowInUse::setContentWidget(&window);
    NBMineViewController page;
    page.ensureLoaded();

    page.tunSwitchChanged(true);
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::kTunStateKey));
    EXPECT_TRUE(window.findChildren<NBToggleTunTipView *>().isEmpty());

    UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
    page.tunSwitchChanged(false);
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kTunStateKey));
    const auto tips = window.findChildren<NBToggleTunTipView *>();
    ASSERT_EQ(tips.size(), 1);
    EXPECT_EQ(tips.first()->tipsLabel()->text(), QStringLiteral("切换模式后需重新连接才会生效"));
    EXPECT_TRUE(UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn));
}

TEST_F(MorePage, RowsOpenTheirScreensWithTheirEvents)
{
    NBMineViewController page;
    page.resize(728, 500);
    page.ensureLoaded();
    QSignalSpy events(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    const QList<std::pair<qint64, QString>> rows{
        {0, "NBMessageViewController"}, {1, "NBDiscoverViewController"}, {2, "NBInviteViewController"},
        {3, "NBFreeViewController"}, {5, "NBRetrieveViewController"}, {6, "NBFeedbackListViewController"},
        {7, "NBAboutViewController"}};
    for (const auto &[type, name] : rows) {
        const bool registered = ScreenFactory::instance().hasScreen(name);
        QTest::mouseClick(page.itemOfType(type), Qt::LeftButton, {}, QPoint(100, 20));
        const QString shown = presentedName(page);
        EXPECT_EQ(shown, name) << type << (registered ? " (registered)" : "");
        if (NBBaseViewController *screen = presented(page).value(0))
            page.dismissViewController(screen);
        QTRY_VERIFY_WITH_TIMEOUT(presented(page).isEmpty(), 5000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(events.size(), 4, 10000);
    QStringList names;
    for (const QList<QVariant> &event : events)
        names << event.at(0).toString();
    names.sort();
    EXPECT_EQ(names, QStringList({"morePage_discover_click", "morePage_freeVIP_click", "morePage_invite_click",
                                  "morePage_message_click"}));

    // A press on a switch row beside its switch opens nothing.
    QTest::mouseClick(page.itemOfType(4), Qt::LeftButton, {}, QPoint(100, 20));
    QTest::mouseClick(page.itemOfType(8), Qt::LeftButton, {}, QPoint(100, 20));
    EXPECT_TRUE(presented(page).isEmpty());
}

TEST_F(MorePage, TheAccountAreaSits70DownAnd53HighWithTheBannerBesideIt)
{
    NBMineViewController page;
    page.resize(728, 500);
    page.ensureLoaded();
    page.show();
    NBMineHeaderView *header = page.headerView();
    const auto check = [header](const char *state) {
        const QRect area = header->infoView()->geometry();
        // The 70..123 band at least, centred on it: taller only when the text needs it.
        EXPECT_EQ(area.x(), 46) << state;
        EXPECT_LE(area.top(), 70) << state;
        EXPECT_GE(area.bottom() + 1, 70 + 53) << state;
        EXPECT_NEAR(area.top() + area.height() / 2.0, 70 + 53 / 2.0, 1) << state;
        // Every line of the account text lies inside the area: none is cut.
        for (QLabel *line : {header->nameLab(), header->timeLab(), header->svipTimeLab()}) {
            if (line->isVisibleTo(header->infoView())) {
                EXPECT_TRUE(header->infoView()->rect().contains(line->geometry())) << state << line->text().toStdString();
            }
        }
        const QRect banner = header->adView()->geometry();
        EXPECT_EQ(banner.size(), QSize(364, 55)) << state;
        EXPECT_EQ(banner.right() + 1, header->width() - 49) << state;
        EXPECT_NEAR(banner.top() + banner.height() / 2.0, 70 + 53 / 2.0, 1) << state;
    };
    check("one line");
    QJsonObject user{{"id", 1}, {"api_token", "t"}, {"user_level", 2}, {"phone", "13812341234"}, {"region_code", "+86"},
                     {"vip_invalid_time", "2027-01-31"}, {"svip_invalid_time", "2026-12-31"}};
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(QJsonObject{{"kind", 1}, {"user", user}}));
    header->updateUserInfo(MKUserInfoManager::shared().currentUser());
    EXPECT_FALSE(header->timeLab()->isHidden());
    check("two lines");
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
}

TEST_F(MorePage, BannerClicksFollowTheirLinkAndOnlySafeAddressesLeave)
{
    NBMineViewController page;
    page.resize(728, 500);
    page.ensureLoaded();
    NBAdView *ad = page.headerView()->adView();
    ad->click();  // nothing shown yet: nothing happens
    EXPECT_TRUE(presented(page).isEmpty());

    const auto clickWith = [&](const QString &link) {
        HHAdModel model;
        model.linkUrl = link;
        ad->setAdvertisement(model, QImage(10, 10, QImage::Format_RGB32));
        ad->click();
    };
    clickWith(QStringLiteral("not json"));
    clickWith(QStringLiteral("{\"type\":\"outer\"}"));
    clickWith(QStringLiteral("{\"type\":\"outer\",\"value\":\"file:///etc/passwd\"}"));
    clickWith(QStringLiteral("{\"type\":\"outer\",\"value\":\"http://[broken\"}"));
    EXPECT_TRUE(m_opened.isEmpty());
    EXPECT_TRUE(presented(page).isEmpty());
    clickWith(QStringLiteral("{\"type\":\"outer\",\"value\":\"https://example.com/offer\"}"));
    ASSERT_EQ(m_opened.size(), 1);
    EXPECT_EQ(m_opened.first(), QUrl(QStringLiteral("https://example.com/offer")));

    clickWith(QStringLiteral("{\"type\":\"lottery\"}"));
    EXPECT_EQ(presentedName(page), QStringLiteral("NBFreeViewController"));
}

TEST_F(MorePage, HeaderBadgeAndExpiryLinesFollowLevelAndStoredTimes)
{
    struct Case
    {
        const char *who;
        std::optional<QJsonObject> user;   // the stored account's user fields; none: no account
        QString badge;
        QString mark;
        QString line;                      // the always-shown line
        std::optional<QString> upper;      // the ordinary line above it, both times known only
    };
    const QString vip = QStringLiteral("2030-01-01");
    const QString svip = QStringLiteral("2031-02-02");
    const auto fields = [](qint64 level, const QString &vipTime, const QString &svipTime) {
        return QJsonObject{{"id", 7}, {"api_token", "t7"}, {"region_code", "+86"},
                           {"email_address", "someone@example.com"}, {"user_type", 2}, {"user_level", level},
                           {"vip_invalid_time", vipTime}, {"svip_invalid_time", svipTime}};
    };
    const QList<Case> cases{
        {"no account", std::nullopt, "mine_no_vip_icon", "", "已到期", std::nullopt},
        // Both times win over the level: the premium badge and two lines.
        {"level 1 with both times", fields(1, vip, svip), "mine_svip_icon", "mine_svip_mark_icon", svip + " 高级到期",
         vip + " 普通到期"},
        {"level 1 without the premium time", fields(1, vip, ""), "mine_vip_icon", "mine_vip_mark_icon", vip + " 普通到期",
         std::nullopt},
        {"level 2 without the ordinary time", fields(2, "", svip), "mine_svip_icon", "mine_svip_mark_icon",
         svip + " 高级到期", std::nullopt},
        {"no membership, an old ordinary time", fields(0, vip, ""), "mine_no_vip_icon", "", "已到期", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.who);
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        if (c.user) {
            ASSERT_TRUE(MKUserInfoManager::shared().saveUser(QJsonObject{{"kind", 1}, {"user", *c.user}}));
        }
        // The header as the page makes it, from the stored account.
        NBMineViewController page;
        page.ensureLoaded();
        const NBMineHeaderView *header = page.headerView();
        EXPECT_EQ(header->nameLab()->text(), c.user ? QStringLiteral("s*****ple.com") : QString());
        EXPECT_EQ(header->badgeName(), c.badge);
        EXPECT_EQ(header->markName(), c.mark);
        EXPECT_EQ(header->svipTimeLab()->text(), c.line);
        EXPECT_EQ(!header->timeLab()->isHidden(), c.upper.has_value());
        if (c.upper) {
            EXPECT_EQ(header->timeLab()->text(), *c.upper);
        }
    }
    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
}

TEST_F(MorePage, AccountSheetHostsTheAccountScreenAndClosesWhole)
{
    NBBaseViewController root;
    root.resize(800, 500);
    root.ensureLoaded();
    WindowInUse::setContentController(&root);
    NBMineViewController page(&root);
    page.ensureLoaded();
    QSignalSpy events(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);

    QTest::mouseClick(page.headerView()->infoView(), Qt::LeftButton);
    ASSERT_EQ(root.presentedControllers().size(), 1);
    auto *first = qobject_cast<NBSettingViewController *>(root.presentedControllers().first());
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->hostedScreen());
    EXPECT_EQ(first->hostedScreen()->parentViewController(), first);
    EXPECT_EQ(first->maskView()->geometry(), QRect(800 - 14 - 384, 16, 384, 500 - 32));
    // The hosted screen appeared with the sheet: its rows are there (no stored user: five, no
    // password row) and it said so.
    auto *hosted = qobject_cast<NBAccountInfoViewController *>(first->hostedScreen());
    ASSERT_TRUE(hosted);
    EXPECT_TRUE(hosted->isAppearing());
    EXPECT_EQ(hosted->data().size(), 5);
    EXPECT_EQ(hosted->rowViews().size(), 5);
    QTRY_VERIFY_WITH_TIMEOUT(events.size() >= 2, 10000);
    QStringList sent;
    for (const QList<QVariant> &event : events)
        sent << event.at(0).toString();
    EXPECT_TRUE(sent.contains(QStringLiteral("morePage_account_click")));
    EXPECT_TRUE(sent.contains(QStringLiteral("accountPage_open")));

    // The hosted screen closes the sheet by asking its container.
    QPointer<NBSettingViewController> closed(first);
    auto *account = qobject_cast<NBAccountInfoViewController *>(first->hostedScreen());
    ASSERT_TRUE(account);
    account->dismissAction();
    QTRY_VERIFY_WITH_TIMEOUT(closed.isNull(), 5000);
    EXPECT_TRUE(root.presentedControllers().isEmpty());

    // A second click opens a new sheet whose account screen appears with it again.
    QTest::mouseClick(page.headerView()->infoView(), Qt::LeftButton);
    ASSERT_EQ(root.presentedControllers().size(), 1);
    auto *second = qobject_cast<NBSettingViewController *>(root.presentedControllers().first());
    ASSERT_TRUE(second);
    auto *again = qobject_cast<NBAccountInfoViewController *>(second->hostedScreen());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isAppearing());
    EXPECT_EQ(again->rowViews().size(), 5);
}

TEST_F(MorePage, AboutShowsTheVersionAndOpensOnlyItsLinks)
{
    // Opened from its row, as a user opens it.
    NBMineViewController page;
    page.resize(728, 500);
    page.show();
    page.ensureLoaded();
    QTest::mouseClick(page.itemOfType(7), Qt::LeftButton, {}, QPoint(100, 20));
    auto *about = qobject_cast<NBAboutViewController *>(presented(page).value(0));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->versionLabel()->text(), OOAppinfoHelper::getAppVersion());
    EXPECT_EQ(about->titleLab()->text(), QStringLiteral("翠鸟通行器Pro"));

    about->twitterBtn()->click();
    about->telegramBtn()->click();
    // A click on each of the two documents, and one on the "和" between them, which is no link.
    QLabel *links = about->privacyTextView();
    const QFontMetrics metrics(links->font());
    const QString terms = QStringLiteral("《用户协议》");
    const QString privacy = QStringLiteral("《隐私政策》");
    const int total = metrics.horizontalAdvance(terms + QStringLiteral("和") + privacy);
    const int left = (links->width() - total) / 2;
    const int y = links->height() / 2;
    const int termsX = left + metrics.horizontalAdvance(terms) / 2;
    const int andX = left + metrics.horizontalAdvance(terms) + metrics.horizontalAdvance(QStringLiteral("和")) / 2;
    const int privacyX = left + total - metrics.horizontalAdvance(privacy) / 2;
    for (const int x : {termsX, andX, privacyX})
        QTest::mouseClick(links, Qt::LeftButton, {}, QPoint(x, y));
    NBAboutViewController::openURLString(QStringLiteral("javascript:alert(1)"));
    NBAboutViewController::openURLString(QStringLiteral("http://[bad"));
    // The documents are those of the service in use, where the guide links them too.
    const QUrl termsUrl(QStringLiteral("http://ostrel-test.invalid/terms.html"));
    const QUrl privacyUrl(QStringLiteral("http://ostrel-test.invalid/privacy.html"));
    EXPECT_EQ(ServiceDocumentLinks::termsUrl(), termsUrl);
    EXPECT_EQ(ServiceDocumentLinks::privacyUrl(), privacyUrl);
    EXPECT_EQ(m_opened, QList<QUrl>({NBAboutViewController::kTwitterUrl, NBAboutViewController::kTelegramUrl, termsUrl,
                                     privacyUrl}));

    // Presented, back closes it.
    about->backBtn()->click();
    QTRY_VERIFY_WITH_TIMEOUT(presented(page).isEmpty(), 5000);
}

TEST(JsonValueConversions, TypedValuesFromLooseOnes)
{
    using C = JsonValueConversions;
    EXPECT_EQ(C::stringFromObject(QStringLiteral("a")), QStringLiteral("a"));
    EXPECT_FALSE(C::stringFromObject(3));
    EXPECT_FALSE(C::stringFromObject(QVariant()));

    EXPECT_EQ(C::numberFromObject(4), 4.0);
    EXPECT_EQ(C::numberFromObject(QStringLiteral("[3, 5]")), 3.0);
    EXPECT_FALSE(C::numberFromObject(QStringLiteral("3")));   // a number, not a list of them
    EXPECT_FALSE(C::numberFromObject(QStringLiteral("[]")));
    EXPECT_FALSE(C::numberFromObject(QStringLiteral("[\"3\"]")));
    EXPECT_FALSE(C::numberFromObject(QVariant()));

    EXPECT_FALSE(C::dictionaryFromJSONText(QStringLiteral("[1]")));
    EXPECT_EQ(C::arrayFromJSONText(QStringLiteral("[1]")), QJsonArray({1}));
    EXPECT_EQ(C::dictionaryFromJSONText(QStringLiteral("{\"a\":1}"))->value("a").toInt(), 1);
    EXPECT_FALSE(C::dictionaryFromJSONText(QStringLiteral("{not json")));
    EXPECT_FALSE(C::arrayFromJSONText(QStringLiteral("1] [2")));
    EXPECT_FALSE(C::arrayFromJSONText(3));
}

TEST(MineRows, ConfigureShowsExactlyTheRecord)
{
    NBMineItemView row;
    row.resize(628, 51);
    NBMineModel model = *NBMineModel::fromJson(QJsonObject{{"title", "意见反馈"}, {"subTitle", ""}, {"type", 6}});
    row.configure(model);
    EXPECT_TRUE(row.redDot()->isHidden());
    EXPECT_EQ(row.type(), 6);
    EXPECT_TRUE(row.subTitleLab()->styleSheet().contains(QColor(206, 172, 137).name()));
    EXPECT_TRUE(row.iconImgView()->pixmap().isNull());
    model.hadRedDot = true;
    row.configure(model);
    EXPECT_FALSE(row.redDot()->isHidden());
    row.configure(*NBMineModel::fromJson(QJsonObject{{"title", "发现"}, {"type", 1}}));
    EXPECT_TRUE(row.subTitleLab()->styleSheet().contains(QColor(132, 132, 132).name()));
    EXPECT_FALSE(NBMineModel::fromJson(QJsonObject{{"type", "6"}}));
    EXPECT_EQ(NBMineModel::fromJson(QJsonObject{{"title", "x"}, {"other", 1}})->toJson(), QJsonObject({{"title", "x"}}));

    NBMineSwitchItemView switchRow;
    QList<bool> calls;
    switchRow.switchBlock = [&](bool on) { calls.append(on); };
    switchRow.configure(*NBMineModel::fromJson(QJsonObject{{"title", "Tun"}, {"type", 8}}));
    EXPECT_FALSE(switchRow.isOn());
    EXPECT_FALSE(switchRow.type().has_value());
    switchRow.switchView()->click();
    switchRow.switchView()->click();
    EXPECT_EQ(calls, QList<bool>({true, false}));
}
