// One newcomer's road through the whole program against the stand-in service, by clicks on the
// real widgets inside the real window: the first-run guide as a visitor, every left-menu page,
// every more-page row, the account sheet to binding and a password change, the message centre to
// a message's link, the feedback list to the form and a conversation. At each stop the screen
// must be filled (rows, texts, pages that heard from the service) and the requests it sends must
// have reached the service; a widget that merely exists proves nothing. Each stop is a case of its
// own that starts a fresh stand-in and program and walks from the guide to its stop, so a stop
// that fails hides none after it. Chromium draws the web pages, so without a display the program
// runs itself again under xvfb-run.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWebEngineView>

#include "support/MessagePaneScript.h"

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/NBGuidViewController.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "common/ApiPaths.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/OOAppinfoHelper.h"
#include "common/UserDefaults.h"
#include "home/NBHomeViewController.h"
#include "home/NBSelectLineView.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/account/NBAccountSetTimerView.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/rows/NBSettingCellItem.h"
#include "settings/NBMessageDefaultView.h"
#include "settings/feedback/NBContactInputView.h"
#include "settings/feedback/NBContactTypeView.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackDetailViewController.h"
#include "settings/feedback/NBFeedbackItem.h"
#include "settings/feedback/NBFeedbackListViewController.h"
#include "settings/feedback/NBFeedbackTypeItem.h"
#include "settings/message/MessageDetailWebPage.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "settings/message/NBMessageItem.h"
#include "settings/message/NBMessageViewController.h"
#include "settings/more/NBAboutViewController.h"
#include "settings/more/NBInfoView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineSwitchItemView.h"
#include "settings/more/NBMineViewController.h"
#include "settings/more/NBSettingViewController.h"
#include "support/ContainedDelegate.h"
#include "support/StandinProcess.h"
#include "support/WebPageScript.h"
#include "support/WebTestDisplay.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBNavView.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/PresentedBackground.h"
#include "uikit/UiTiming.h"
#include "web/DesktopLinkOpener.h"
#include "web/NBBaseWebViewController.h"
#include "web/NBRetrieveViewController.h"
#include "web/NBUpgradeViewController.h"
#include "web/ScriptMessageWebPage.h"
#include "support/NetworkTestSupport.h"

namespace {

const bool kUnderDisplay = WebTestDisplay::ensure();

constexpr int kWait = 30000;

int rowOfType(NBAccountInfoViewController *account, NBSettingCellType type)
{
    for (int row = 0; row < account->data().size(); ++row) {
        if (account->data().at(row).cellType == type)
            return row;
    }
    return -1;
}

void typeInto(QWidget *field, const QString &text)
{
    field->setFocus();
    QTest::keyClicks(field, text);
}

class Walkthrough : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
        ASSERT_TRUE(m_standin.start()) << m_standin.errorText().toStdString();
        m_hooks = installRecordingHooks();
        ASSERT_TRUE(pointClientAt({m_standin.baseUrl()}));
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { m_opened << url; });
    }
    void TearDown() override
    {
        // Nothing of the road opened the desktop's browser.
        EXPECT_TRUE(m_opened.isEmpty()) << m_opened.value(0).toString().toStdString();
        DesktopLinkOpener::setOpenerForTesting({});
    }

    // The first-run guide: "匿名使用" signs in a visitor and opens the main window.
    void enterAsVisitor()
    {
        m_app.startUp();
        auto *guide = qobject_cast<NBGuidViewController *>(m_app.fakeWindowVC()->contentViewController());
        ASSERT_NE(guide, nullptr);
        ASSERT_EQ(guide->visitorBtn()->text(), QStringLiteral("匿名使用"));
        QTest::mouseClick(guide->visitorBtn(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return split() != nullptr; }, kWait));
        m_main = split();
        m_menu = m_main->leftSide();
    }
    // The more page from the menu, with the service's records cleared just before.
    void openMorePage()
    {
        ASSERT_NO_FATAL_FAILURE(enterAsVisitor());
        forget();
        QTest::mouseClick(m_menu->accountItem(), Qt::LeftButton);
        m_more = qobject_cast<NBMineViewController *>(m_main->shownContent());
        ASSERT_NE(m_more, nullptr);
    }
    // The account sheet from the more page's header, with the records cleared just before.
    void openAccountSheet()
    {
        ASSERT_NO_FATAL_FAILURE(openMorePage());
        forget();
        QTest::mouseClick(m_more->headerView()->infoView(), Qt::LeftButton);
        ASSERT_EQ(m_main->presentedControllers().size(), 1);
        m_sheet = qobject_cast<NBSettingViewController *>(m_main->presentedControllers().first());
        ASSERT_NE(m_sheet, nullptr);
        m_account = qobject_cast<NBAccountInfoViewController *>(m_sheet->hostedScreen());
        ASSERT_NE(m_account, nullptr);
    }
    // The visitor binds a phone from the account sheet, choosing a password as it goes.
    void bindPhone()
    {
        ASSERT_NO_FATAL_FAILURE(openAccountSheet());
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_account->userInfo().has_value(); }, kWait));
        const int phoneRow = rowOfType(m_account, NBSettingCellType::phone);
        ASSERT_GE(phoneRow, 0);
        QTest::mouseClick(m_account->rowViews().at(phoneRow), Qt::LeftButton);
        auto *bind = topOf<NBBindAccountViewController>(m_account);
        ASSERT_NE(bind, nullptr);
        ASSERT_NE(bind->passWordContentView(), nullptr) << "a visitor chooses a password when binding";
        typeInto(bind->regcodeView()->textFiled(), QStringLiteral("13900002222"));
        QTest::mouseClick(bind->verityCodeView()->verityCodeButton(), Qt::LeftButton);
        EXPECT_TRUE(reached(ApiPaths::kSendRegisterCode));
        typeInto(bind->verityCodeView()->textFiled(), QStringLiteral("123456"));
        typeInto(bind->passWordContentView()->textFiled(), QStringLiteral("abc12345"));
        typeInto(bind->passWordAgainContentView()->textFiled(), QStringLiteral("abc12345"));
        ASSERT_TRUE(bind->bindView()->button()->isEnabled());
        QTest::mouseClick(bind->bindView()->button(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_account->presentations().isEmpty(); }, kWait));
    }

    int requestsTo(const QString &path) const
    {
        int count = 0;
        for (const QJsonValue &request : m_standin.records().value(QStringLiteral("requests")).toArray())
            count += request.toObject().value(QStringLiteral("path")).toString() == path ? 1 : 0;
        return count;
    }
    // Waits until the service has had a request of that path since the records were cleared.
    bool reached(const QString &path) const
    {
        return QTest::qWaitFor([&] { return requestsTo(path) > 0; }, kWait);
    }
    void forget() const { ASSERT_TRUE(m_standin.control(QJsonObject{{QStringLiteral("clear_records"), true}})); }

    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(m_app.fakeWindowVC()->contentViewController());
    }
    // The screen last presented over `screen`, as the expected type.
    template <typename Screen>
    static Screen *topOf(NBBaseViewController *screen)
    {
        const QList<NBBaseViewController *> over = screen->presentations();
        return over.isEmpty() ? nullptr : qobject_cast<Screen *>(over.last());
    }
    static bool clickInPage(QWebEnginePage *page, const QString &elementId)
    {
        return evaluate(page, QStringLiteral("(function(){var e=document.getElementById('%1');"
                                             "if(!e||e.hidden)return false;e.click();return true;})()")
                                  .arg(elementId))
            .toBool();
    }

    UiTimingScope m_timing{0.01};
    StandinProcess m_standin;
    std::shared_ptr<RecordingHooks> m_hooks;
    ContainedDelegate m_app;
    QList<QUrl> m_opened;
    NBMainSplitViewController *m_main = nullptr;
    NBLeftSideViewController *m_menu = nullptr;
    NBMineViewController *m_more = nullptr;
    NBSettingViewController *m_sheet = nullptr;
    NBAccountInfoViewController *m_account = nullptr;
};

using MessagePaneScript::clickElement;

} // namespace

TEST_F(Walkthrough, TheGuideSignsAVisitorIntoTheMainWindow)
{
    ASSERT_NO_FATAL_FAILURE(enterAsVisitor());
    EXPECT_GT(requestsTo(ApiPaths::kAccountLogin), 0);
    ASSERT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST_F(Walkthrough, HomeShowsTheLinesOfTheService)
{
    ASSERT_NO_FATAL_FAILURE(enterAsVisitor());
    auto *home = qobject_cast<NBHomeViewController *>(m_main->shownContent());
    ASSERT_NE(home, nullptr);
    EXPECT_TRUE(reached(ApiPaths::kNodeList));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !home->showList().isEmpty(); }, kWait));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !home->selectView()->nameText()->text().isEmpty(); }, kWait));
}

TEST_F(Walkthrough, TheMenusPurchasePageShowsTheProductsAndHomeComesBack)
{
    ASSERT_NO_FATAL_FAILURE(enterAsVisitor());
    // The user goes for the membership item at once, before home has its lines.
    auto *home = qobject_cast<NBHomeViewController *>(m_main->shownContent());
    ASSERT_NE(home, nullptr);
    QTest::mouseClick(m_menu->upgradeItem(), Qt::LeftButton);
    auto *purchase = qobject_cast<NBUpgradeViewController *>(m_main->shownContent());
    ASSERT_NE(purchase, nullptr);
    EXPECT_TRUE(reached(ApiPaths::kProducts));
    ASSERT_TRUE(waitInPage(purchase->page(), "document.body.dataset.products"));
    EXPECT_GT(evaluate(purchase->page(), "document.body.dataset.products").toString().toInt(), 0)
        << evaluate(purchase->page(), "document.body.innerText").toString().toStdString();
    EXPECT_GT(requestsTo(ApiPaths::kProducts), 0);

    QTest::mouseClick(m_menu->homeItem(), Qt::LeftButton);
    EXPECT_EQ(m_main->shownContent(), home);
}

TEST_F(Walkthrough, TheMorePageShowsNineRowsAndWhatItsAppearanceAskedFor)
{
    ASSERT_NO_FATAL_FAILURE(openMorePage());
    ASSERT_EQ(m_more->items().size(), 9);
    EXPECT_EQ(m_more->items().first()->titleLab()->text(), QStringLiteral("消息中心"));
    EXPECT_EQ(m_more->items().last()->titleLab()->text(), QStringLiteral("关于我们"));
    EXPECT_TRUE(reached(ApiPaths::kAccountInfo));
    EXPECT_TRUE(reached(ApiPaths::kUnreadMessages));
    EXPECT_TRUE(reached(ApiPaths::kAdvertisements));
    // The stand-in counts unread messages: the message row shows its dot.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_more->itemOfType(0)->redDot()->isHidden(); }, kWait));
}

namespace {

// The web pages of the more page, each closed by its own button.
struct WebRow
{
    qint64 type;
    const char *name;
    const char *ready;
    const QString *path;
};

class WalkthroughWebRow : public Walkthrough, public ::testing::WithParamInterface<WebRow>
{
};

} // namespace

TEST_P(WalkthroughWebRow, OpensAFilledPageThatItsCloseButtonCloses)
{
    const WebRow &row = GetParam();
    ASSERT_NO_FATAL_FAILURE(openMorePage());
    forget();
    QTest::mouseClick(m_more->itemOfType(row.type), Qt::LeftButton);
    auto *page = topOf<NBBaseWebViewController>(m_more);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(reached(*row.path));
    ASSERT_TRUE(waitInPage(page->page(), QString::fromLatin1(row.ready)))
        << evaluate(page->page(), "document.body.innerText").toString().toStdString();
    // The click may close the page before the page says it clicked: a page gone is a click done.
    QPointer<NBBaseWebViewController> shown(page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown || clickInPage(shown->page(), QStringLiteral("close")); }, kWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_more->presentations().isEmpty(); }, kWait));
}

INSTANTIATE_TEST_SUITE_P(MorePage, WalkthroughWebRow,
                         ::testing::Values(WebRow{1, "Sites", "document.body.dataset.sites", &ApiPaths::kWebsites},
                                           WebRow{2, "Invite", "document.body.dataset.invite", &ApiPaths::kInvitationInfo},
                                           WebRow{3, "Lottery", "document.body.dataset.lottery", &ApiPaths::kActivityCheckStatus},
                                           WebRow{5, "Versions", "document.body.dataset.versions", &ApiPaths::kAppVersionList}),
                         [](const ::testing::TestParamInfo<WebRow> &info) { return std::string(info.param.name); });

TEST_F(Walkthrough, TheTwoSwitchesStoreTheChoiceAndTheirRowsOpenNothing)
{
    ASSERT_NO_FATAL_FAILURE(openMorePage());
    for (const auto &[type, key] : {std::pair<qint64, QString>{4, DefaultsKeys::kKillSwitchStateKey},
                                    std::pair<qint64, QString>{8, DefaultsKeys::kTunStateKey}}) {
        auto *row = qobject_cast<NBMineSwitchItemView *>(m_more->itemOfType(type));
        ASSERT_NE(row, nullptr);
        const bool before = UserDefaults::standard().boolForKey(key);
        QTest::mouseClick(row->switchView(), Qt::LeftButton);
        EXPECT_EQ(UserDefaults::standard().boolForKey(key), !before);
        QTest::mouseClick(row->switchView(), Qt::LeftButton);
        EXPECT_EQ(UserDefaults::standard().boolForKey(key), before);
        QTest::mouseClick(row, Qt::LeftButton);
        EXPECT_TRUE(m_more->presentations().isEmpty());
    }
}

TEST_F(Walkthrough, AboutShowsTheVersionAndGoesBack)
{
    ASSERT_NO_FATAL_FAILURE(openMorePage());
    QTest::mouseClick(m_more->itemOfType(7), Qt::LeftButton);
    auto *about = topOf<NBAboutViewController>(m_more);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->versionLabel()->text(), OOAppinfoHelper::getAppVersion());
    QTest::mouseClick(about->backBtn(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_more->presentations().isEmpty(); }, kWait));
}

TEST_F(Walkthrough, TheAccountSheetShowsAVisitorsRowsAndItsBackButtonClosesIt)
{
    ASSERT_NO_FATAL_FAILURE(openAccountSheet());
    // A visitor has neither a phone nor an e-mail address: five rows, no password row.
    ASSERT_EQ(m_account->data().size(), 5);
    ASSERT_EQ(m_account->rowViews().size(), 5);
    EXPECT_TRUE(reached(ApiPaths::kAccountInfo)) << "the sheet's screen asks for the account when it appears";
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_account->userInfo().has_value(); }, kWait));
    EXPECT_EQ(m_account->statusText(), QStringLiteral("非会员"));
    EXPECT_EQ(rowOfType(m_account, NBSettingCellType::passWord), -1);

    // Its back button closes the whole sheet.
    QPointer<NBSettingViewController> closing(m_sheet);
    QTest::mouseClick(m_account->navView()->backBtn(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }, kWait));
    EXPECT_TRUE(m_main->presentedControllers().isEmpty());
}

TEST_F(Walkthrough, BindingAPhoneBringsThePasswordRow)
{
    ASSERT_NO_FATAL_FAILURE(bindPhone());
    EXPECT_EQ(requestsTo(ApiPaths::kBoundAccount), 1);
    // Back on the account screen, which appeared again: the phone is bound, the password row is there.
    ASSERT_EQ(m_account->data().size(), 6);
    EXPECT_GE(rowOfType(m_account, NBSettingCellType::passWord), 0);
}

TEST_F(Walkthrough, ChangingThePasswordReachesTheService)
{
    ASSERT_NO_FATAL_FAILURE(bindPhone());
    const int passwordRow = rowOfType(m_account, NBSettingCellType::passWord);
    ASSERT_GE(passwordRow, 0);
    QTest::mouseClick(m_account->rowViews().at(passwordRow), Qt::LeftButton);
    auto *change = topOf<NBChangePassWordViewController>(m_account);
    ASSERT_NE(change, nullptr);
    EXPECT_FALSE(change->navView()->titleLab()->text().isEmpty());
    typeInto(change->oldPassWordContentView()->textFiled(), QStringLiteral("abc12345"));
    typeInto(change->passWordContentView()->textFiled(), QStringLiteral("xyz98765"));
    typeInto(change->passWordAgainContentView()->textFiled(), QStringLiteral("xyz98765"));
    QTest::mouseClick(change->bindView()->button(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_account->presentations().isEmpty(); }, kWait));
    EXPECT_EQ(requestsTo(ApiPaths::kUpdatePassword), 1);
}

TEST_F(Walkthrough, TheMessageCentreListsTheMessagesAndALinkOpensThePurchasePage)
{
    ASSERT_NO_FATAL_FAILURE(openMorePage());
    forget();
    QTest::mouseClick(m_more->itemOfType(0), Qt::LeftButton);
    auto *centre = topOf<NBMessageViewController>(m_more);
    ASSERT_NE(centre, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return centre->rows().size() == 3; }, kWait));
    EXPECT_GT(requestsTo(ApiPaths::kMessages), 0);
    EXPECT_EQ(centre->rows().at(1)->titleLab()->text(), QStringLiteral("会员限时优惠"));
    QTest::mouseClick(centre->rows().at(1), Qt::LeftButton);
    NBMessageDetailViewController *detail = centre->detailVC();
    ASSERT_NE(detail, nullptr);
    EXPECT_TRUE(reached(ApiPaths::kMessageRead));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return MessagePaneScript::evaluate(MessagePaneScript::pageOf(detail), QStringLiteral("!!document.querySelector('a[href=\"marlet://linkBuy\"]')"))
                .toBool();
        },
        kWait));
    ASSERT_TRUE(clickElement(detail, QStringLiteral("a[href=\"marlet://linkBuy\"]")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return topOf<NBUpgradeViewController>(centre) != nullptr; }, kWait));
    auto *offer = topOf<NBUpgradeViewController>(centre);
    EXPECT_TRUE(reached(ApiPaths::kProducts));
    ASSERT_TRUE(waitInPage(offer->page(), "document.body.dataset.products"));
    // The page lies over the list: where its web page draws nothing (the page is transparent),
    // its own background shows, not the list's rows. Chromium's drawing is set aside for the look.
    ASSERT_TRUE(QTest::qWaitFor([&] { return offer->graphicsEffect() == nullptr; }, kWait));
    const QPoint overRow = centre->rows().at(0)->mapTo(centre, centre->rows().at(0)->rect().center());
    offer->webView()->hide();
    const QImage shot = centre->grab(QRect(overRow, QSize(1, 1))).toImage();
    offer->webView()->show();
    EXPECT_EQ(shot.pixelColor(0, 0), PresentedBackground::pageColor());
    // The page may close before it says it clicked.
    QPointer<NBUpgradeViewController> shown(offer);
    ASSERT_TRUE(clickInPage(offer->page(), QStringLiteral("back")) || !shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return centre->presentations().isEmpty(); }, kWait));
    QTest::mouseClick(centre->backBtn(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_more->presentations().isEmpty(); }, kWait));
}

TEST_F(Walkthrough, FeedbackGoesFromTheEmptyListThroughTheFormToAConversation)
{
    ASSERT_NO_FATAL_FAILURE(openMorePage());
    forget();
    QTest::mouseClick(m_more->itemOfType(6), Qt::LeftButton);
    auto *feedback = topOf<NBFeedbackListViewController>(m_more);
    ASSERT_NE(feedback, nullptr);
    EXPECT_TRUE(reached(ApiPaths::kFeedbackList));
    NBMessageDefaultView *empty = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (empty = feedback->findChild<NBMessageDefaultView *>()) != nullptr; }, kWait));
    QTest::mouseClick(empty->confirmBtn(), Qt::LeftButton);
    NBContactViewController *form = feedback->feedbackVc();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(form->isVisible());
    ASSERT_FALSE(form->typeView()->items().isEmpty()) << "the form lists the feedback types";
    QTest::mouseClick(form->typeView()->items().first(), Qt::LeftButton);
    typeInto(form->inputView()->textView(), QStringLiteral("Pages do not load once connected"));
    QTest::mouseClick(form->inputView()->signUpButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return feedback->rows().size() == 1; }, kWait));
    // The form's upload reached the service with what the user wrote.
    const QJsonArray uploads = m_standin.records().value(QStringLiteral("uploads")).toArray();
    ASSERT_EQ(uploads.size(), 1);
    EXPECT_EQ(uploads.first().toObject().value(QStringLiteral("path")).toString(), ApiPaths::kCreateFeedbacks);
    EXPECT_TRUE(QJsonDocument(uploads.first().toObject().value(QStringLiteral("fields")).toObject())
                    .toJson()
                    .contains("Pages do not load once connected"));
    EXPECT_EQ(feedback->rows().first()->descLab()->text(), QStringLiteral("Pages do not load once connected"));
    QTest::mouseClick(feedback->rows().first(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return feedback->detailVC() && !feedback->detailVC()->rowViews().isEmpty(); }, kWait));
    EXPECT_GT(requestsTo(ApiPaths::kFeedbackRecord), 0);
    QTest::mouseClick(feedback->backBtn(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_more->presentations().isEmpty(); }, kWait));
}
