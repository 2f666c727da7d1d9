// The account screen against the stand-in service: its rows for a visitor, a member with both
// expiry dates and an expired member, the refresh of the membership status, copying the user id,
// and what its rows open.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "AccountStandinFixture.h"
#include "AccountTestSupport.h"
#include "uikit/OOToastView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "AccountScreenInWindow.h"
#include "login/rows/NBSettingPushRowView.h"
#include "login/rows/NBSettingShowRowView.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "support/StandinProcess.h"

namespace {

class AccountInfoScreenTest : public AccountStandinFixture
{
protected:
    // The screen as the menu's account page shows it in the window.
    static AccountScreenInWindow appeared() { return AccountScreenInWindow(); }

    QString shownValue(NBAccountInfoViewController &screen, int row)
    {
        QWidget *view = screen.rowViews().value(row);
        if (auto *show = qobject_cast<NBSettingShowRowView *>(view))
            return show->subTitleLabel()->text();
        if (auto *push = qobject_cast<NBSettingPushRowView *>(view))
            return push->subTitleLabel()->text();
        return {};
    }
};

} // namespace

TEST_F(AccountInfoScreenTest, VisitorHasFiveRowsAndNoMembership)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("1")}}));
    auto screen = appeared();
    ASSERT_EQ(screen->data().size(), 5);
    EXPECT_TRUE(shownValue(*screen, 0).startsWith(QStringLiteral("guest")));
    EXPECT_NE(qobject_cast<NBSettingPushRowView *>(screen->rowViews()[1]), nullptr);   // e-mail: bind
    EXPECT_NE(qobject_cast<NBSettingPushRowView *>(screen->rowViews()[2]), nullptr);   // phone: bind
    EXPECT_EQ(shownValue(*screen, 3), QStringLiteral("非会员"));
    // A visitor has no membership level: no date to show.
    EXPECT_EQ(shownValue(*screen, 4), QStringLiteral("已到期"));
    EXPECT_EQ(screen->scrollView()->height(), 5 * 48);
    // The table's corners are rounded over its square rows.
    const QRegion clip = screen->tableView()->mask();
    EXPECT_FALSE(clip.contains(QPoint(0, 0)));
    EXPECT_FALSE(clip.contains(QPoint(screen->tableView()->width() - 1, 5 * 48 - 1)));
    EXPECT_TRUE(clip.contains(QPoint(20, 2)));
    EXPECT_TRUE(clip.contains(screen->tableView()->rect().center()));
    // The refresh answers with the same membership: nothing changes.
    ACCOUNT_WAIT(AccountTest::replyLogged(ApiPaths::kAccountInfo), 10000);
    EXPECT_EQ(screen->statusText(), QStringLiteral("非会员"));
}

TEST_F(AccountInfoScreenTest, MemberWithBothDatesShowsTwoExpiryLinesAndTheRefreshedStatus)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("3")}, {QStringLiteral("phone"), QStringLiteral("13800000000")},
                        {QStringLiteral("password"), QStringLiteral("abc12345")}, {QStringLiteral("region_code"), QStringLiteral("86")}}));
    // The stored record says level 1; the service's answer (level 2) is what the status shows.
    const auto stored = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(stored && stored->user);
    QJsonObject data = stored->toJson();
    QJsonObject user = data.value(QStringLiteral("user")).toObject();
    user.insert(QStringLiteral("user_level"), 1);
    data.insert(QStringLiteral("user"), user);
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(data));

    auto screen = appeared();
    ASSERT_EQ(screen->data().size(), 6);
    EXPECT_EQ(screen->data()[1].cellType, NBSettingCellType::phone);
    EXPECT_EQ(shownValue(*screen, 1), QStringLiteral("86******0000"));
    EXPECT_EQ(screen->statusText(), QStringLiteral("普通会员"));
    auto *expiry = qobject_cast<NBSettingShowRowView *>(screen->rowViews()[5]);
    ASSERT_NE(expiry, nullptr);
    EXPECT_EQ(expiry->subTitleLabel()->text(), QStringLiteral("2099-12-31 23:59:59 高级到期"));
    EXPECT_EQ(expiry->moreTitleLabel()->text(), QStringLiteral("2099-12-31 23:59:59 普通到期"));
    EXPECT_TRUE(expiry->lineView()->isHidden());
    EXPECT_EQ(screen->scrollView()->height(), 6 * 48 + 12);
    EXPECT_EQ(expiry->height(), 60);

    ACCOUNT_WAIT((screen->statusText()) == (QStringLiteral("高级会员")), 10000);
    EXPECT_EQ(shownValue(*screen, 4), QStringLiteral("高级会员"));
    // The answer refreshes the screen, not the stored record.
    EXPECT_EQ(MKUserInfoManager::shared().currentUser()->user->userLevel, 1);
}

TEST_F(AccountInfoScreenTest, ExpiredMemberAndAFailedRefreshChangeNothing)
{
    ASSERT_TRUE(AccountTest::storeUser(AccountTest::expiredMember()));
    m_standin.fault(QStringLiteral("/api/client/society_v2/account/info"), QStringLiteral("fail"));
    auto screen = appeared();
    ASSERT_EQ(screen->data().size(), 6);
    EXPECT_EQ(screen->data()[1].cellType, NBSettingCellType::email);
    EXPECT_EQ(shownValue(*screen, 1), QStringLiteral("s*****ple.com"));
    // An old ordinary time, but no membership level any more.
    EXPECT_EQ(shownValue(*screen, 5), QStringLiteral("已到期"));
    ACCOUNT_WAIT(AccountTest::replyLogged(ApiPaths::kAccountInfo), 10000);
    EXPECT_EQ(screen->statusText(), QStringLiteral("非会员"));
}

TEST_F(AccountInfoScreenTest, CopyingTheIdPutsItOnTheClipboard)
{
    ASSERT_TRUE(AccountTest::storeUser(AccountTest::visitor()));
    auto screen = appeared();
    QGuiApplication::clipboard()->clear();
    auto *idRow = qobject_cast<NBSettingShowRowView *>(screen->rowViews()[0]);
    ASSERT_NE(idRow, nullptr);
    idRow->copyAction();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("u4242"));
    EXPECT_FALSE(screen->findChildren<OOToastView *>().isEmpty());
}

TEST_F(AccountInfoScreenTest, RowsOpenBindingAndPasswordScreens)
{
    ASSERT_TRUE(AccountTest::storeUser(AccountTest::memberWithBothDates()));
    auto screen = appeared();
    screen->selectRow(1);   // the bound phone: nothing
    EXPECT_TRUE(screen->presentations().isEmpty());
    screen->selectRow(2);   // e-mail: bind
    ASSERT_EQ(screen->presentations().size(), 1);
    auto *bind = qobject_cast<NBBindAccountViewController *>(screen->presentations().first());
    ASSERT_NE(bind, nullptr);
    EXPECT_EQ(bind->accountType(), BindAccountType::email);
    bind->dismissAction();
    ACCOUNT_WAIT(screen->presentations().isEmpty(), 2000);
    screen->selectRow(3);
    ASSERT_EQ(screen->presentations().size(), 1);
    EXPECT_NE(qobject_cast<NBChangePassWordViewController *>(screen->presentations().first()), nullptr);
}

TEST_F(AccountInfoScreenTest, HostileAccountTextsAreShownAsText)
{
    ASSERT_TRUE(signIn({{QStringLiteral("signType"), QStringLiteral("3")}, {QStringLiteral("phone"), QStringLiteral("13800000000")},
                        {QStringLiteral("password"), QStringLiteral("abc12345")}, {QStringLiteral("region_code"), QStringLiteral("86")}}));
    // What the service stored for the account: markup that reads /dev/zero, control characters,
    // an emoji and a megabyte.
    const auto stored = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(stored && stored->user);
    QJsonObject data = stored->toJson();
    QJsonObject user = data.value(QStringLiteral("user")).toObject();
    user.insert(QStringLiteral("email_address"), QStringLiteral("<img src=\"/dev/zero\">\x07@😀.cn"));
    user.insert(QStringLiteral("vip_invalid_time"), QStringLiteral("<h1>2099</h1>\x1b") + QString(1024 * 1024, QLatin1Char('9')));
    user.insert(QStringLiteral("svip_invalid_time"), QStringLiteral("<img src=\"/dev/zero\">"));
    data.insert(QStringLiteral("user"), user);
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(data));

    auto screen = appeared();
    screen->resize(728, 500);
    screen->show();
    ASSERT_FALSE(screen->rowViews().isEmpty());
    bool sawMarkup = false;
    for (QWidget *row : screen->rowViews()) {
        for (QLabel *label : row->findChildren<QLabel *>()) {
            if (label->text().isEmpty())
                continue;
            EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().left(80).toStdString();
            sawMarkup = sawMarkup || label->text().contains(QStringLiteral("<img"));
        }
    }
    EXPECT_TRUE(sawMarkup) << "the hostile texts reach the rows, as text";
    screen->repaint();
}
