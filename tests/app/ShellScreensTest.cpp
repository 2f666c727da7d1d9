// The shell's screens offscreen: the window's content swaps, the split view's pages, the left
// menu, the guide, the splash screen, the no-network popup and the launch screen.
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include "app/HHSplashButton.h"
#include "app/HHSplashViewController.h"
#include "app/NBGuidViewController.h"
#include "app/NBLaunchViewController.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "app/NBTunStateView.h"
#include "app/OONoNetworkPopupView.h"
#include "app/OONoNetworkStepView.h"
#include "app/OONoNetworkTipView.h"
#include "app/SplashCountdown.h"
#include "app/SystemSettingsOpener.h"
#include "uikit/BackgroundWindowMove.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/OOLoadingView.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/DefaultsKeys.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/OOAppinfoHelper.h"
#include "common/UserDefaults.h"
#include "networking/OOReachability.h"

namespace {

// A page that counts its lifecycle calls and holds a field, so kept state can be seen.
class CountingScreen : public NBBaseViewController
{
public:
    explicit CountingScreen(QWidget *parent) : NBBaseViewController(parent) { ++s_made; }
    void viewDidLoad() override
    {
        NBBaseViewController::viewDidLoad();
        field = new QLineEdit(this);
    }
    void viewWillAppear() override { NBBaseViewController::viewWillAppear(); ++appeared; }
    void viewWillDisappear() override { NBBaseViewController::viewWillDisappear(); ++disappeared; }
    QLineEdit *field = nullptr;
    int appeared = 0;
    int disappeared = 0;
    static inline int s_made = 0;
};

class ShellScreensTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const QString &name : {NBMainSplitViewController::screenName(NBLeftMenuType::home),
                                    NBMainSplitViewController::screenName(NBLeftMenuType::account),
                                    NBMainSplitViewController::screenName(NBLeftMenuType::upgrade),
                                    NBMainSplitViewController::screenName(NBLeftMenuType::contact),
                                    NBMainSplitViewController::screenName(NBLeftMenuType::about),
                                    NBMainSplitViewController::screenName(NBLeftMenuType::login)})
            ScreenFactory::instance().registerScreen(name, [](QWidget *parent) { return new CountingScreen(parent); });
        CountingScreen::s_made = 0;
        window = std::make_unique<NBMainWindowController>();
        window->show();
    }
    void TearDown() override
    {
        window.reset();
        SystemSettingsOpener::setOpenerForTesting({});
    }

    // A split view in the window, with the unread request answered by the test.
    NBMainSplitViewController *showSplit()
    {
        auto *split = new NBMainSplitViewController;
        window->setContentViewController(split);
        return split;
    }

    // A press, a move past the drag distance with the button held, and the release.
    static void drag(QWidget *widget, Qt::MouseButton button = Qt::LeftButton, QPoint at = {})
    {
        const QPoint from = at.isNull() ? widget->rect().center() : at;
        const QPoint to = from + QPoint(40, 10);
        QTest::mousePress(widget, button, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(widget->mapToGlobal(to)), Qt::NoButton, button,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
        QTest::mouseRelease(widget, button, Qt::NoModifier, to);
    }

    static void press(QWidget *widget, Qt::MouseButton button = Qt::LeftButton, QPoint at = {})
    {
        QTest::mousePress(widget, button, Qt::NoModifier, at.isNull() ? widget->rect().center() : at);
        QTest::mouseRelease(widget, button, Qt::NoModifier, at.isNull() ? widget->rect().center() : at);
    }

    std::unique_ptr<NBMainWindowController> window;
    UiTimingScope timing{0.01};
};

} // namespace

TEST_F(ShellScreensTest, WindowIsFixedAndWithoutMaximise)
{
    EXPECT_EQ(window->size(), QSize(800, 500));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
}

TEST_F(ShellScreensTest, WindowMovesByTheBackgroundOfItsScreensButNotByTheirControls)
{
    NBMainSplitViewController *split = showSplit();
    QList<QWidget *> drags;
    BackgroundWindowMove::setStarterForTesting([&drags](QWidget *moved) {
        drags.append(moved);
        return true;
    });
    auto *home = dynamic_cast<CountingScreen *>(split->shownContent());
    ASSERT_NE(home, nullptr);
    drag(home, Qt::LeftButton, QPoint(300, 20));
    EXPECT_EQ(drags.size(), 1) << "the page's background";
    drag(split->leftSide(), Qt::LeftButton, QPoint(36, 120));
    EXPECT_EQ(drags.size(), 2) << "the menu's background";
    EXPECT_EQ(drags.value(1), window.get());

    drag(home, Qt::RightButton, QPoint(300, 20));
    drag(home->field);
    drag(split->leftSide()->upgradeItem());
    EXPECT_EQ(drags.size(), 2) << "other buttons, a field and a menu row keep their presses";
    BackgroundWindowMove::setStarterForTesting({});
}

TEST_F(ShellScreensTest, SplitViewMakesPagesOnFirstUseAndKeepsThem)
{
    NBMainSplitViewController *split = showSplit();
    EXPECT_EQ(CountingScreen::s_made, 1);
    auto *home = static_cast<CountingScreen *>(split->existingScreen(NBLeftMenuType::home));
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(split->shownContent(), home);
    EXPECT_EQ(home->appeared, 1);
    EXPECT_EQ(split->existingScreen(NBLeftMenuType::contact), nullptr);
    EXPECT_EQ(home->geometry(), split->contentPane()->rect());
    EXPECT_EQ(split->contentPane()->width(), 728);

    split->switchContent(NBLeftMenuType::contact);
    auto *contact = static_cast<CountingScreen *>(split->shownContent());
    ASSERT_NE(contact, nullptr);
    contact->field->setText(QStringLiteral("half a message"));
    EXPECT_EQ(home->disappeared, 1);
    EXPECT_FALSE(home->isVisible());

    split->switchContent(NBLeftMenuType::home);
    split->switchContent(NBLeftMenuType::contact);
    EXPECT_EQ(split->shownContent(), contact);
    EXPECT_EQ(contact->field->text(), QStringLiteral("half a message"));
    EXPECT_EQ(CountingScreen::s_made, 2);

    // The page already shown goes out and comes in again, once.
    split->switchContent(NBLeftMenuType::contact);
    EXPECT_EQ(contact->disappeared, 2);
    EXPECT_EQ(contact->appeared, 3);
    EXPECT_TRUE(contact->isVisible());
}

TEST_F(ShellScreensTest, LoginIsASheetOverAnEmptyPane)
{
    NBMainSplitViewController *split = showSplit();
    split->switchContent(NBLeftMenuType::login);
    EXPECT_EQ(split->shownContent(), nullptr);
    NBBaseViewController *login = split->existingScreen(NBLeftMenuType::login);
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->presentingViewController(), split);
    EXPECT_EQ(split->presentations(), QList<NBBaseViewController *>{login});
    // Asked again while it is up: no second sheet, and the same screen.
    split->switchContent(NBLeftMenuType::login);
    EXPECT_EQ(split->presentations(), QList<NBBaseViewController *>{login});
    EXPECT_EQ(CountingScreen::s_made, 2);
    // Dismissed, it is kept for the next time.
    login->dismissController();
    QTRY_VERIFY_WITH_TIMEOUT(split->presentations().isEmpty(), 2000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(split->existingScreen(NBLeftMenuType::login), login);
}

TEST_F(ShellScreensTest, LanguageChangeRebuildsOnlyTheMainContent)
{
    auto *guide = new NBGuidViewController;
    window->setContentViewController(guide);
    QPointer<NBBaseViewController> guideGuard(guide);
    NotificationCenter::defaultCenter().post(NotificationNames::kSwitchLanguge);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->contentViewController(), guide);

    NBMainSplitViewController *split = showSplit();
    split->leftSide()->selectItem(split->leftSide()->accountItem());
    ASSERT_NE(split->existingScreen(NBLeftMenuType::account), nullptr);
    QPointer<NBMainSplitViewController> old(split);
    NotificationCenter::defaultCenter().post(NotificationNames::kSwitchLanguge);
    auto *fresh = qobject_cast<NBMainSplitViewController *>(window->contentViewController());
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, split);
    EXPECT_EQ(fresh->existingScreen(NBLeftMenuType::account), nullptr);
    EXPECT_EQ(fresh->shownContent(), fresh->existingScreen(NBLeftMenuType::home));
    EXPECT_EQ(fresh->leftSide()->preButton(), fresh->leftSide()->homeItem());
    EXPECT_EQ(NBMainSplitViewController::current(), fresh);
    QTRY_VERIFY_WITH_TIMEOUT(old.isNull(), 2000);

    NotificationCenter::defaultCenter().post(NotificationNames::kPopToHomeVcNotification);
    EXPECT_NE(window->contentViewController(), fresh);
}

TEST_F(ShellScreensTest, LeftMenuMovesTheHighlightOnceAndCountsMembershipClicks)
{
    auto *menu = new NBLeftSideViewController;
    window->setContentViewController(menu);
    QStringList events;
    int unreadRequests = 0;
    menu->setTracker([&](const QString &event) { events << event; });
    menu->setUnreadRequester([&](auto) { ++unreadRequests; });
    QList<NBLeftMenuType> switched;
    menu->selectBlock = [&](NBLeftMenuType type) { switched << type; };

    EXPECT_TRUE(menu->homeItem()->isSelect());
    press(menu->homeItem());
    EXPECT_TRUE(switched.isEmpty());

    press(menu->upgradeItem());
    press(menu->upgradeItem());
    EXPECT_EQ(switched, QList<NBLeftMenuType>{NBLeftMenuType::upgrade});
    EXPECT_EQ(events, (QStringList{QStringLiteral("homePage_crown_click"), QStringLiteral("homePage_crown_click")}));
    EXPECT_EQ(unreadRequests, 2);
    EXPECT_FALSE(menu->homeItem()->isSelect());
    EXPECT_EQ(menu->upgradeItem()->currentImage(), QStringLiteral("upgrade+"));
    EXPECT_EQ(menu->upgradeItem()->currentColor(), QColor(172, 157, 139));
    EXPECT_EQ(menu->homeItem()->currentColor(), QColor(137, 131, 123));

    press(menu->accountItem());
    EXPECT_EQ(switched.last(), NBLeftMenuType::account);
    // The indicator takes no clicks.
    press(menu->tunItem());
    EXPECT_EQ(switched.size(), 2);
    EXPECT_EQ(menu->menuType(menu->contactUsItem()), NBLeftMenuType::contact);
    EXPECT_EQ(menu->menuType(menu->aboutItem()), NBLeftMenuType::about);
    EXPECT_FALSE(menu->contactUsItem()->isVisible());
    EXPECT_EQ(menu->versionLabel()->text(),
              OOAppinfoHelper::getAppVersion() + QLatin1Char('(') + OOAppinfoHelper::getBuildVersion() + QLatin1Char(')'));
}

TEST_F(ShellScreensTest, MenuRowsKeepTheirWidthsAndEveryTitleFitsItsRowInEveryLanguage)
{
    const std::optional<QString> before = UserDefaults::standard().stringValue(DefaultsKeys::kAppLanguageKey);
    for (const char *language : {"zh-Hans", "en", "ja", "ko", "zh-Hant"}) {
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QString::fromLatin1(language));
        auto *menu = new NBLeftSideViewController;
        menu->setUnreadRequester({});
        window->setContentViewController(menu);
        menu->resize(NBLeftSideViewController::kWidth, 500);
        // Home and account 21 in from each edge, membership 5: 30 and 62 wide in the 72 menu.
        EXPECT_EQ(menu->homeItem()->geometry(), QRect(21, 143, 30, 50)) << language;
        EXPECT_EQ(menu->upgradeItem()->geometry(), QRect(5, 143 + 74, 62, 50)) << language;
        EXPECT_EQ(menu->accountItem()->geometry(), QRect(21, 143 + 148, 30, 50)) << language;
        for (NBLeftSideView *row : {menu->homeItem(), menu->upgradeItem(), menu->accountItem()}) {
            ASSERT_NE(row->title(), QStringLiteral("ACCOUNT_TITLE")) << language;
            EXPECT_EQ(row->titleLab()->font().pixelSize(), 10) << language << " " << row->title().toStdString();
            // The whole title on the one line under the picture: none cut at the row's edge.
            const QFontMetrics metrics(row->titleLab()->font());
            EXPECT_LE(metrics.horizontalAdvance(row->title()), row->width()) << language << " " << row->title().toStdString();
            EXPECT_LE(metrics.height(), row->titleLab()->height()) << language;
            EXPECT_EQ(row->mapTo(menu, row->imgView()->geometry().center()).x(), menu->width() / 2 - 1) << language;
        }
    }
    if (before)
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, *before);
    else
        UserDefaults::standard().remove(DefaultsKeys::kAppLanguageKey);
}

TEST_F(ShellScreensTest, UnreadDotFollowsWholeCountsOnly)
{
    auto counts = [](const QJsonValue &a, const QJsonValue &f, const QJsonValue &s) {
        QJsonObject data;
        if (!a.isUndefined())
            data.insert(QStringLiteral("active_message"), a);
        if (!f.isUndefined())
            data.insert(QStringLiteral("feedback_message"), f);
        if (!s.isUndefined())
            data.insert(QStringLiteral("system_message"), s);
        return std::optional<QJsonObject>(QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("data"), data}});
    };
    auto *menu = new NBLeftSideViewController;
    menu->setUnreadRequester({});
    window->setContentViewController(menu);
    QLabel *dot = menu->accountItem()->redDot();
    EXPECT_FALSE(dot->isVisible());
    menu->applyUnreadReply(counts(0, 1, 0));
    EXPECT_TRUE(dot->isVisible());
    for (const auto &unchanged : {counts(0, QJsonValue::Undefined, 0), counts(0, QStringLiteral("0"), 0),
                                  counts(0, 0.5, 0), std::optional<QJsonObject>(), std::optional<QJsonObject>(QJsonObject{})}) {
        menu->applyUnreadReply(unchanged);
        EXPECT_TRUE(dot->isVisible());
    }
    menu->applyUnreadReply(counts(0, 0, 0));
    EXPECT_FALSE(dot->isVisible());
    menu->applyUnreadReply(counts(2, -3, 0));
    EXPECT_FALSE(dot->isVisible());
}

TEST_F(ShellScreensTest, TunIndicatorLightsOnlyWhileTunRunsAndFollowsPostsFromOtherThreads)
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kTunStateKey, true);
    defaults.setBool(DefaultsKeys::ShadowsocksOn, false);
    auto *menu = new NBLeftSideViewController;
    menu->setUnreadRequester({});
    window->setContentViewController(menu);
    EXPECT_EQ(menu->tunItem()->currentImage(), QStringLiteral("tun"));

    defaults.setBool(DefaultsKeys::ShadowsocksOn, true);
    QThread *poster = QThread::create([] { NotificationCenter::defaultCenter().post(NotificationNames::kTunStateChange); });
    poster->start();
    poster->wait();
    delete poster;
    QTRY_COMPARE_WITH_TIMEOUT(menu->tunItem()->currentImage(), QStringLiteral("tun+"), 2000);

    defaults.setBool(DefaultsKeys::kTunStateKey, false);
    NotificationCenter::defaultCenter().post(NotificationNames::kTunStateChange);
    QTRY_COMPARE_WITH_TIMEOUT(menu->tunItem()->currentImage(), QStringLiteral("tun"), 2000);
    defaults.remove(DefaultsKeys::kTunStateKey);
    defaults.remove(DefaultsKeys::ShadowsocksOn);
}

TEST_F(ShellScreensTest, GuideSendsEachEventBeforeItsChoiceAndOnEveryShowing)
{
    auto *guide = new NBGuidViewController;
    QStringList log;
    guide->setTracker([&](const QString &event) { log << event; });
    window->setContentViewController(guide);
    EXPECT_EQ(log, QStringList{QStringLiteral("welcomePage_show")});

    press(guide->visitorBtn());
    press(guide->userBtn());
    EXPECT_EQ(log.mid(1), (QStringList{QStringLiteral("welcomePage_tourist_click"), QStringLiteral("welcomePage_accountLogin_click")}));

    guide->visitorBlock = [&] { log << QStringLiteral("visitor"); };
    guide->userBlock = [&] { log << QStringLiteral("user"); };
    press(guide->visitorBtn());
    press(guide->userBtn());
    EXPECT_EQ(log.mid(3), (QStringList{QStringLiteral("welcomePage_tourist_click"), QStringLiteral("visitor"),
                                       QStringLiteral("welcomePage_accountLogin_click"), QStringLiteral("user")}));
    EXPECT_EQ(guide->contentView()->size(), QSize(394, 448));
    const QString consent = guide->privacyTextView()->text();
    EXPECT_TRUE(NBGuidViewController::termsUrl().isValid());
    EXPECT_TRUE(consent.contains(QStringLiteral("href=\"%1\"").arg(NBGuidViewController::termsUrl().toString()))) << consent.toStdString();
    EXPECT_TRUE(consent.contains(QStringLiteral("href=\"%1\"").arg(NBGuidViewController::privacyUrl().toString()))) << consent.toStdString();

    // Shown again (after a sign-out): the container sends the hook again.
    auto *again = new NBGuidViewController;
    QStringList second;
    again->setTracker([&](const QString &event) { second << event; });
    window->setContentViewController(again);
    EXPECT_EQ(second, QStringList{QStringLiteral("welcomePage_show")});
}

TEST_F(ShellScreensTest, SplashWithoutUsableCountOrLinkStillEnds)
{
    auto *splash = new HHSplashViewController;
    QStringList events;
    splash->setTracker([&](const QString &event) { events << event; });
    int dismissed = 0;
    int tapped = 0;
    splash->dismissBlock = [&] { ++dismissed; };
    splash->tapBlock = [&](const std::optional<QJsonObject> &) { ++tapped; };
    HHAdModel model;
    model.closeSeconds = QStringLiteral("abc");
    model.linkUrl = QStringLiteral("not json");
    splash->model = model;
    window->setContentViewController(splash);
    splash->setupAd();
    EXPECT_EQ(events, QStringList{QStringLiteral("openScreenAD_show")});
    EXPECT_TRUE(splash->closeBtn()->isVisible());
    EXPECT_EQ(splash->closeBtn()->title(), QStringLiteral("3s"));

    press(splash, Qt::LeftButton, QPoint(100, 300));
    EXPECT_EQ(events.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(dismissed, 1, 5000);
    EXPECT_EQ(tapped, 0);
}

TEST_F(ShellScreensTest, SplashEndsByCloseOrByClickNeverBoth)
{
    auto *splash = new HHSplashViewController;
    splash->setTracker({});
    int dismissed = 0;
    int tapped = 0;
    std::optional<QJsonObject> link;
    splash->dismissBlock = [&] { ++dismissed; };
    splash->tapBlock = [&](const std::optional<QJsonObject> &l) { ++tapped; link = l; };
    HHAdModel model;
    model.closeSeconds = QStringLiteral("5");
    model.linkUrl = QStringLiteral("{\"type\":\"buy\"}");
    splash->model = model;
    window->setContentViewController(splash);
    splash->setupAd();

    // A click queues the tap; a close pressed before it runs changes nothing.
    press(splash, Qt::LeftButton, QPoint(100, 300));
    press(splash->closeBtn());
    QTRY_COMPARE_WITH_TIMEOUT(tapped, 1, 2000);
    EXPECT_EQ(dismissed, 0);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->value(QStringLiteral("type")).toString(), QStringLiteral("buy"));
    EXPECT_FALSE(splash->countdown().isRunning());
}

TEST_F(ShellScreensTest, NoNetworkPopupOneAtATimeAndItsLifeIsTheFlag)
{
    auto *content = new CountingScreen(nullptr);
    window->setContentViewController(content);
    OONoNetworkPopupView *first = OONoNetworkPopupView::showNoNetwork(QStringLiteral("first"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OONoNetworkPopupView::showNoNetwork(QStringLiteral("second")), nullptr);
    EXPECT_EQ(first->tipView()->tipLab()->text(), QStringLiteral("first"));
    EXPECT_EQ(first->geometry(), content->rect());

    // A right press closes it; the next failure shows a new one.
    press(first, Qt::RightButton, QPoint(10, 10));
    EXPECT_FALSE(OONoNetworkPopupView::isShown());
    OONoNetworkPopupView *second = OONoNetworkPopupView::showNoNetwork(QStringLiteral("again"));
    ASSERT_NE(second, nullptr);

    // Its content swapped away (a language change, a sign-in): the flag goes with it.
    window->setContentViewController(new CountingScreen(nullptr));
    EXPECT_FALSE(OONoNetworkPopupView::isShown());
    OONoNetworkPopupView *third = OONoNetworkPopupView::showNoNetwork(QStringLiteral("after swap"));
    ASSERT_NE(third, nullptr);
    OONoNetworkPopupView::closeCurrent();
    EXPECT_FALSE(OONoNetworkPopupView::isShown());

    // No window in use: nothing shown, and nothing blocks the next one.
    window->setContentViewController(nullptr);
    EXPECT_EQ(OONoNetworkPopupView::showNoNetwork(QStringLiteral("nowhere")), nullptr);
    EXPECT_FALSE(OONoNetworkPopupView::isShown());
}

TEST_F(ShellScreensTest, NoNetworkStepsOpenSettingsAndLongTextGrowsUpward)
{
    window->setContentViewController(new CountingScreen(nullptr));
    int opened = 0;
    SystemSettingsOpener::setOpenerForTesting([&] { ++opened; return true; });
    OONoNetworkPopupView *popup = OONoNetworkPopupView::showNoNetwork(QStringLiteral("short"));
    ASSERT_NE(popup, nullptr);
    press(popup->thirdStepView());
    EXPECT_EQ(opened, 0);
    press(popup->firstStepView());
    press(popup->secondStepView(), Qt::RightButton);
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(OONoNetworkPopupView::isShown());

    EXPECT_EQ(popup->thirdStepView()->geometry().bottom() + 1, popup->height() - 34);
    EXPECT_EQ(popup->firstStepView()->width(), 280);
    const QRect stepsBefore = popup->firstStepView()->geometry();
    const int tipHeightBefore = popup->tipView()->height();
    popup->setText(QString(QStringLiteral("网络未连接，请检查网络设置。")).repeated(8));
    EXPECT_EQ(popup->firstStepView()->geometry(), stepsBefore);
    EXPECT_GT(popup->tipView()->height(), tipHeightBefore);
    EXPECT_EQ(popup->tipView()->geometry().bottom() + 1 + 6, stepsBefore.top());
    QLabel *label = popup->tipView()->tipLab();
    EXPECT_GE(label->height(), label->heightForWidth(label->width()));
    OONoNetworkPopupView::closeCurrent();
}

TEST_F(ShellScreensTest, LaunchScreenShowsOnePopupOneCoverAndOneRound)
{
    auto *launch = new NBLaunchViewController;
    int rounds = 0;
    bool running = false;
    launch->setPollingStarter([&](std::function<void()>) {
        if (running)
            return false;
        running = true;
        ++rounds;
        return true;
    });
    window->setContentViewController(launch);
    // The reports come from the test alone.
    QObject::disconnect(&OOReachability::shared(), nullptr, launch, nullptr);

    launch->onReachability(true);
    launch->onReachability(true);
    ASSERT_TRUE(OONoNetworkPopupView::isShown());
    EXPECT_EQ(launch->noNetworkView(), OONoNetworkPopupView::current());
    EXPECT_EQ(launch->findChildren<OONoNetworkPopupView *>().size(), 1);

    launch->onReachability(false);
    launch->onReachability(false);
    EXPECT_FALSE(OONoNetworkPopupView::isShown());
    EXPECT_EQ(rounds, 1);
    EXPECT_NE(launch->hud(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(launch->findChildren<OOLoadingView *>().size(), 1);

    // A popup someone else showed stays when the network returns.
    OONoNetworkPopupView *other = OONoNetworkPopupView::showNoNetwork(QStringLiteral("from a request"));
    ASSERT_NE(other, nullptr);
    launch->onReachability(false);
    EXPECT_EQ(OONoNetworkPopupView::current(), other);
    OONoNetworkPopupView::closeCurrent();
}

TEST_F(ShellScreensTest, LaunchScreenMadeAfterStartUpGetsTheCurrentNetworkState)
{
    // The application listens from start-up on; the first state is long out when the screen comes.
    OOReachability &reachability = OOReachability::shared();
    reachability.resetForTesting();
    reachability.start();
    QTRY_VERIFY(reachability.hasReported());
    QCoreApplication::processEvents();

    auto *launch = new NBLaunchViewController;
    int rounds = 0;
    launch->setPollingStarter([&](std::function<void()>) {
        ++rounds;
        return true;
    });
    window->setContentViewController(launch);

    if (reachability.status() == OOReachability::Status::NotReachable) {
        QTRY_VERIFY(launch->noNetworkView() != nullptr);
        EXPECT_EQ(rounds, 0);
        OONoNetworkPopupView::closeCurrent();
    } else {
        QTRY_VERIFY(launch->hud() != nullptr);
        EXPECT_EQ(rounds, 1);
    }
    reachability.resetForTesting();
}

TEST_F(ShellScreensTest, StandardEditingKeysWorkInTextFieldsThroughQtsOwnBindings)
{
    auto *screen = new CountingScreen(nullptr);
    window->setContentViewController(screen);
    auto *field = new NBCustomTextField(screen);
    field->show();
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("abc"));
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QStringLiteral("abcabc"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QStringLiteral("abc"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field->text(), QStringLiteral("abcabc"));
}
