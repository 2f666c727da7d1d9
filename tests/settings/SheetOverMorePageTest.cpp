// The more page in the window's split view, against the stand-in service: the account sheet comes
// and goes while the menu and the page under it stay where they are and ask the service for
// nothing again; the page's bare background moves the window.
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/NetworkTestSupport.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "common/ApiPaths.h"
#include "common/MKUserInfoManager.h"
#include "login/account/NBAccountInfoViewController.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "settings/more/NBInfoView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineViewController.h"
#include "settings/more/NBSettingViewController.h"
#include "settings/more/NBMineItemView.h"
#include "uikit/BackgroundWindowMove.h"
#include "uikit/NBBaseViewController.h"
#include "uikit/NBNavView.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"

namespace {

constexpr int kWait = 15000;

// A page under the menu's home slot that asks for nothing: only the more page's requests count.
class QuietHome : public NBBaseViewController
{
public:
    using NBBaseViewController::NBBaseViewController;
};

class SheetOverMorePage : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        OneStandinPerSuite::SetUp();
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::home),
                                                 [](QWidget *parent) { return new QuietHome(parent); });
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::account),
                                                 [](QWidget *parent) { return new NBMineViewController(parent); });
        bool done = false;
        OONetWorkTool::login([&](std::optional<QString>) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        ASSERT_TRUE(MKUserInfoManager::shared().currentUser());
    }
    void TearDown() override
    {
        BackgroundWindowMove::setStarterForTesting({});
        window.reset();
    }

    NBMineViewController *showMorePage()
    {
        window = std::make_unique<NBMainWindowController>();
        window->show();
        split = new NBMainSplitViewController;
        window->setContentViewController(split);
        QTest::mouseClick(split->leftSide()->accountItem(), Qt::LeftButton);
        return qobject_cast<NBMineViewController *>(split->shownContent());
    }

    static int requestsTo(const QString &path)
    {
        int count = 0;
        for (const QJsonValue &request : s_standin->records().value(QStringLiteral("requests")).toArray())
            count += request.toObject().value(QStringLiteral("path")).toString() == path ? 1 : 0;
        return count;
    }

    // A request of our own, answered: what the screens sent before it has reached the service.
    static void settle()
    {
        bool answered = false;
        OONetWork::shared().requestData(QStringLiteral("GET"), OONetWorkTool::apiUrl(ApiPaths::kNodeList), true,
                                        std::nullopt, std::nullopt,
                                        [&](std::optional<QJsonObject>, std::optional<NetError>) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, kWait));
    }

    UiTimingScope timing{0.01};
    std::unique_ptr<NBMainWindowController> window;
    NBMainSplitViewController *split = nullptr;
};

} // namespace

TEST_F(SheetOverMorePage, ClosingTheAccountSheetRunsNeitherTheMorePageNorTheMenuAgain)
{
    NBMineViewController *page = showMorePage();
    ASSERT_NE(page, nullptr);
    // The page's own appearance: the account, the unread counts, the banner.
    ASSERT_TRUE(QTest::qWaitFor([] { return requestsTo(ApiPaths::kAccountInfo) >= 1 && requestsTo(ApiPaths::kUnreadMessages) >= 1; },
                                kWait));
    settle();
    ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}}));

    QTest::mouseClick(page->headerView()->infoView(), Qt::LeftButton);
    ASSERT_EQ(split->presentedControllers().size(), 1);
    auto *sheet = qobject_cast<NBSettingViewController *>(split->presentedControllers().first());
    ASSERT_NE(sheet, nullptr);
    auto *account = qobject_cast<NBAccountInfoViewController *>(sheet->hostedScreen());
    ASSERT_NE(account, nullptr);
    EXPECT_TRUE(page->isAppearing()) << "under the sheet the page is still in the window";
    ASSERT_TRUE(QTest::qWaitFor([] { return requestsTo(ApiPaths::kAccountInfo) >= 1; }, kWait))
        << "the sheet's own account screen asks";
    settle();
    EXPECT_EQ(requestsTo(ApiPaths::kAccountInfo), 1) << "the sheet's own account screen asks once";

    QPointer<NBSettingViewController> closing(sheet);
    QTest::mouseClick(account->navView()->backBtn(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, kWait));
    EXPECT_TRUE(split->presentedControllers().isEmpty());
    settle();
    EXPECT_EQ(requestsTo(ApiPaths::kAccountInfo), 1) << "the more page does not ask for the account again";
    EXPECT_EQ(requestsTo(ApiPaths::kUnreadMessages), 0) << "neither the page nor the menu asks for the unread counts";
    EXPECT_EQ(requestsTo(ApiPaths::kAdvertisements), 0) << "nor for the banner";
    EXPECT_EQ(split->shownContent(), page);
    EXPECT_TRUE(page->isAppearing());
}

TEST_F(SheetOverMorePage, TheMorePagesBareBackgroundMovesTheWindowAndItsRowsDoNot)
{
    QList<QWidget *> moves;
    BackgroundWindowMove::setStarterForTesting([&moves](QWidget *moved) {
        moves.append(moved);
        return true;
    });
    NBMineViewController *page = showMorePage();
    ASSERT_NE(page, nullptr);
    ASSERT_FALSE(page->items().isEmpty());
    // A press, a move past the drag distance and the release, as the window delivers them.
    auto drag = [this](QWidget *widget, QPoint at) {
        const QPoint from = widget->mapTo(window.get(), at);
        QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, from);
        QTest::mouseMove(window->windowHandle(), from + QPoint(30, 10));
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, from + QPoint(30, 10));
    };
    // Left of the rows, on the scrolled page.
    NBMineItemView *row = page->items().first();
    drag(page, QPoint(20, page->mapFromGlobal(row->mapToGlobal(QPoint(0, 0))).y() + 10));
    ASSERT_EQ(moves.size(), 1);
    EXPECT_EQ(moves.first(), window.get());
    // The header around its account box and banner.
    drag(page->headerView(), QPoint(5, 5));
    EXPECT_EQ(moves.size(), 2);
    drag(row, row->rect().center());
    EXPECT_EQ(moves.size(), 2) << "a row keeps its presses";
}

// A row opens its screen as the button goes down, before it comes up. Presses as the window
// delivers them.
TEST_F(SheetOverMorePage, APressOnARowOpensItsScreenAtOnce)
{
    NBMineViewController *page = showMorePage();
    ASSERT_NE(page, nullptr);
    ASSERT_FALSE(page->items().isEmpty());
    NBMineItemView *row = page->items().first();
    QWindow *handle = window->windowHandle();
    const QPoint centre = row->mapTo(window.get(), row->rect().center());
    ASSERT_EQ(window->childAt(centre), row);

    QTest::mousePress(handle, Qt::LeftButton, {}, centre);
    EXPECT_EQ(page->presentations().size(), 1);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, centre);
    EXPECT_EQ(page->presentations().size(), 1) << "the release opens nothing more";
    EXPECT_TRUE(split->presentedControllers().isEmpty());
}
