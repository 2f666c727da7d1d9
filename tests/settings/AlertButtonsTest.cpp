// Every alert the client lays over its window, reached as a user meets it, read as drawn: each
// button's title against the button's own face, under a light and a dark desktop colour scheme.
// The alerts' images and title colours are the client's own, so no desktop may make one unreadable.
#include <QAbstractButton>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/AppDelegate.h"
#include "app/AppUiHooks.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "common/ApiPaths.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "home/NBToggleTunTipView.h"
#include "login/account/NBAccountInfoViewController.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "settings/general/NBGeneralViewController.h"
#include "settings/more/NBInfoView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineSwitchItemView.h"
#include "settings/more/NBMineViewController.h"
#include "settings/more/NBSettingViewController.h"
#include "support/Contrast.h"
#include "support/NetworkTestSupport.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/UiTiming.h"
#include "upgrade/NBMutipUpgradeView.h"

namespace {

constexpr int kWait = 10000;

// Nothing between the widget and its window fades any more: what is drawn is what is seen.
bool settled(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (w->graphicsEffect() || !w->isVisible())
            return false;
    }
    return true;
}

template <class Overlay>
Overlay *shown(QWidget *window)
{
    for (Overlay *overlay : window->findChildren<Overlay *>()) {
        if (overlay->isVisible() && !overlay->isClosing())
            return overlay;
    }
    return nullptr;
}

class AlertButtons : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        OneStandinPerSuite::SetUp();
        // An offered upgrade, which the home screen shows when it first appears; no notice.
        ASSERT_TRUE(s_standin->control({{QStringLiteral("update_state"), 1}, {QStringLiteral("notices"), QJsonArray()}}));
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
        bool signedIn = false;
        OONetWorkTool::login([&](std::optional<QString> error) { signedIn = !error; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return signedIn; }, kWait));
        // The service's warnings reach the window through the client's hooks, as the started
        // client installs them; the sign-out they end in is only counted.
        NetworkUiHooks::setInstance(std::make_shared<AppUiHooks>([this] { ++m_signOuts; }));
    }
    void TearDown() override
    {
        m_app.reset();
        NetworkUiHooks::setInstance(nullptr);
        OONetWork::shared().resetForTesting();
        s_standin->control({{QStringLiteral("update_state"), 0}});
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
        UserDefaults::standard().remove(DefaultsKeys::kTunStateKey);
    }

    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(m_app->fakeWindowVC()->contentViewController());
    }
    QWidget *window() const { return m_app->fakeWindowVC(); }

    // Each shown button of the alert, by its title, reads on its own face.
    void expectButtonsRead(const QList<QAbstractButton *> &buttons, const char *alert)
    {
        for (QAbstractButton *button : buttons) {
            if (!button->isVisibleTo(button->window()))
                continue;
            SCOPED_TRACE(std::string(alert) + " / " + button->text().toStdString());
            ASSERT_TRUE(QTest::qWaitFor([&] { return settled(button); }, kWait));
            EXPECT_GE(Contrast::buttonTitle(button), 4.5);
            ++m_measured;
        }
    }

    // One walk over every alert, in the window the client shows.
    void readEveryAlert()
    {
        m_signOuts = 0;
        m_measured = 0;
        m_app = std::make_unique<AppDelegate>();
        // No control opens the general settings: the start option does.
        m_app->setStartupOpen(QStringLiteral("general"));
        m_app->showMainWindowVC();
        ASSERT_NE(split(), nullptr);
        auto *general = qobject_cast<NBGeneralViewController *>(split()->shownContent());
        ASSERT_NE(general, nullptr);

        // The upgrade offer, over the window as the home screen's first check brings it.
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown<NBMutipUpgradeView>(window()) != nullptr; }, kWait));
        NBMutipUpgradeView *upgrade = shown<NBMutipUpgradeView>(window());
        expectButtonsRead({upgrade->cancleButton(), upgrade->confirmButton()}, "upgrade offer");
        QTest::mouseClick(upgrade->cancleButton(), Qt::LeftButton);

        // The reset question: both buttons retitled, the resetting one on the grey face.
        QTest::mouseClick(general->rowView(4), Qt::LeftButton);
        NBAlertView *reset = general->alertView();
        ASSERT_NE(reset, nullptr);
        EXPECT_EQ(reset->cancleButton()->text(), localizedByAppLanguage(QStringLiteral("GENERAL_RESET")));
        expectButtonsRead({reset->cancleButton(), reset->confirmButton()}, "reset");
        QTest::mouseClick(reset->confirmButton(), Qt::LeftButton);

        // The clear-cache question: no row of the list leads to it, the screen's own road does.
        OOGeneralModel clearCache;
        clearCache.type = OOGeneralModel::clearAllCache;
        general->datas.append(clearCache);
        general->selectRow(general->numberOfRows() - 1);
        NBAlertView *clear = general->alertView();
        ASSERT_NE(clear, nullptr);
        expectButtonsRead({clear->cancleButton(), clear->confirmButton()}, "clear cache");
        QTest::mouseClick(clear->cancleButton(), Qt::LeftButton);

        // The TUN notice: the more page's switch while connected.
        QTest::mouseClick(split()->leftSide()->accountItem(), Qt::LeftButton);
        auto *more = qobject_cast<NBMineViewController *>(split()->shownContent());
        ASSERT_NE(more, nullptr);
        auto *tunRow = qobject_cast<NBMineSwitchItemView *>(more->itemOfType(8));
        ASSERT_NE(tunRow, nullptr);
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, true);
        QTest::mouseClick(tunRow->switchView(), Qt::LeftButton);
        UserDefaults::standard().setBool(DefaultsKeys::ShadowsocksOn, false);
        NBToggleTunTipView *tun = shown<NBToggleTunTipView>(window());
        ASSERT_NE(tun, nullptr);
        expectButtonsRead({tun->confirmButton()}, "TUN notice");
        QTest::mouseClick(tun->confirmButton(), Qt::LeftButton);

        // The sign-out question, from the account sheet.
        QTest::mouseClick(more->headerView()->infoView(), Qt::LeftButton);
        const QList<NBBaseViewController *> sheets = split()->presentedControllers();
        ASSERT_FALSE(sheets.isEmpty());
        auto *sheet = qobject_cast<NBSettingViewController *>(sheets.last());
        ASSERT_NE(sheet, nullptr);
        auto *account = qobject_cast<NBAccountInfoViewController *>(sheet->hostedScreen());
        ASSERT_NE(account, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return settled(account->logoutBtn()); }, kWait));
        QTest::mouseClick(account->logoutBtn(), Qt::LeftButton);
        NBAlertView *signOut = shown<NBAlertView>(window());
        ASSERT_NE(signOut, nullptr);
        expectButtonsRead({signOut->cancleButton(), signOut->confirmButton()}, "sign-out");
        QTest::mouseClick(signOut->cancleButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown<NBAlertView>(window()); }, kWait));

        // The service's warnings: no control opens them, a refused request does.
        refuse(QStringLiteral("C238"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown<NBAlertView>(window()) != nullptr; }, kWait));
        NBAlertView *limit = shown<NBAlertView>(window());
        expectButtonsRead({limit->cancleButton(), limit->confirmButton()}, "device limit");
        QTest::mouseClick(limit->confirmButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown<NBAlertView>(window()); }, kWait));

        refuse(QStringLiteral("error101"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown<NBAlertView>(window()) != nullptr; }, kWait));
        NBAlertView *exception = shown<NBAlertView>(window());
        EXPECT_EQ(exception->confirmButton()->text(), localizedByAppLanguage(QStringLiteral("GOT_IT")));
        expectButtonsRead({exception->cancleButton(), exception->confirmButton()}, "account exception");
        QTest::mouseClick(exception->confirmButton(), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_signOuts == 1; }, kWait));
        // Two on the upgrade offer, the reset, clear-cache and sign-out questions; one on the TUN
        // notice and on each warning of the service.
        EXPECT_EQ(m_measured, 11);
    }

    void refuse(const QString &kind)
    {
        ASSERT_TRUE(s_standin->fault(ApiPaths::kNodeList, kind, 1));
        OONetWork::shared().requestData(QStringLiteral("GET"), OONetWorkTool::apiUrl(ApiPaths::kNodeList), true,
                                        std::nullopt, std::nullopt,
                                        [](std::optional<QJsonObject>, std::optional<NetError>) {});
    }

    UiTimingScope m_timing{0.01};
    std::unique_ptr<AppDelegate> m_app;
    int m_signOuts = 0;
    int m_measured = 0;
};

} // namespace

TEST_F(AlertButtons, EveryAlertButtonReadsOnItsFaceOnALightAndADarkDesktop)
{
    {
        SCOPED_TRACE("light desktop");
        Contrast::LightDesktop light;
        readEveryAlert();
        m_app.reset();
    }
    {
        SCOPED_TRACE("dark desktop");
        Contrast::DarkDesktop dark;
        readEveryAlert();
        m_app.reset();
    }
}
