// The home screen's own road to a line: its selector opens the line popup over the window, and a
// line or mode chosen there becomes the chosen line the screen shows and connects with.

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "uikit/NBBaseView.h"
#include "LineTestSupport.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "home/AssetImageView.h"
#include "home/NBHomeLineListView.h"
#include "home/unreached/NBModeListView.h"
#include "home/NBToggleTunTipView.h"
#include "home/NBLineSwitchView.h"
#include "home/NBHomeViewController.h"
#include "home/NBSelectLineView.h"
#include "vpn/HomeConnectController.h"

namespace {

class HomeLineChoice : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 0);
        ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
        home = new NBHomeViewController(m_host.widget());
        home->ensureLoaded();
        home->show();
        home->handleNodeList(QStringLiteral(R"({"page_datas":[{"id":1,"name":"JP_Tokyo"},{"id":2,"name":"US_Dallas"},)"
                                            R"({"id":3,"name":"SG_Singapore"}]})"),
                             std::nullopt);
    }
    void TearDown() override
    {
        delete home;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        UserDefaults::standard().removePersistentDomain();
    }
    NBHomeLineListView *openFromSelector()
    {
        QTest::mouseClick(home->selectView(), Qt::LeftButton);
        NBHomeLineListView *popup = home->lineListView();
        EXPECT_NE(popup, nullptr);
        if (popup) {
            EXPECT_TRUE(popup->isVisible());
        }
        return popup;
    }

    HostWindow m_host;
    NBHomeViewController *home = nullptr;
};

TEST_F(HomeLineChoice, ChoosingALineInThePopupChangesTheChosenLine)
{
    // The loaded list leaves the bar alone until the user chooses.
    EXPECT_EQ(home->selectView()->nameText()->text(), QStringLiteral("Best line"));
    NBHomeLineListView *popup = openFromSelector();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->showList().size(), 3);
    // A second click while it is open opens no second popup.
    QTest::mouseClick(home->selectView(), Qt::LeftButton);
    EXPECT_EQ(home->lineListView(), popup);

    ASSERT_TRUE(popup->selectRow(1));
    const std::optional<OOHomeNodeModel> chosen = home->connectController()->cachedLine();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->id, 2);
    EXPECT_EQ(home->selectView()->nameText()->text(), QStringLiteral("Dallas"));
    QPointer<NBHomeLineListView> closing(popup);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }));
}

TEST_F(HomeLineChoice, TheModeSwitchKeepsTheLineAndStoresGlobal)
{
    NBHomeLineListView *popup = openFromSelector();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->selectRow(2));
    QPointer<NBHomeLineListView> closing(popup);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }));

    popup = openFromSelector();
    ASSERT_NE(popup, nullptr);
    QTest::mouseClick(popup->switchLineView()->secondSideButton(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 1);
    const std::optional<OOHomeNodeModel> chosen = home->connectController()->cachedLine();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->id, 3);
    EXPECT_TRUE(chosen->isGlobel);
}

TEST_F(HomeLineChoice, EveryControlOfTheHomeScreenAndItsPopupsTakesItsWholeArea)
{
    EXPECT_EQ(controlsCoveredByOthers(m_host.widget()).join(QStringLiteral("; ")).toStdString(), "");
    NBHomeLineListView *popup = openFromSelector();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(controlsCoveredByOthers(m_host.widget(), popup).join(QStringLiteral("; ")).toStdString(), "");

    // The close control's lowest row of pixels, where the title used to lie over it, closes.
    QWidget *window = m_host.widget();
    AssetImageView *close = popup->closeView();
    const QPoint spot = close->mapTo(window, QPoint(close->width() / 2, close->height() - 2));
    QWidget *hit = window->childAt(spot);
    ASSERT_EQ(hit, close);
    QPointer<NBHomeLineListView> closing(popup);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(window, spot));
    EXPECT_TRUE(QTest::qWaitFor([&] { return closing.isNull(); }));

    // The other overlays of the home screen.
    auto madeModes = std::make_unique<NBModeListView>();
    madeModes->didSelectBlock = [](int) {};
    NBModeListView *modes = NBBaseView::show(std::move(madeModes));
    ASSERT_TRUE(modes);
    EXPECT_EQ(controlsCoveredByOthers(m_host.widget(), modes).join(QStringLiteral("; ")).toStdString(), "");
    delete modes;
    NBToggleTunTipView *tip = NBBaseView::show(std::make_unique<NBToggleTunTipView>());
    ASSERT_TRUE(tip);
    EXPECT_EQ(controlsCoveredByOthers(m_host.widget(), tip).join(QStringLiteral("; ")).toStdString(), "");
    delete tip;
}

} // namespace

TEST(HomePopups, EachGoesOverTheWindowInUseByTheOneRoadOrIsDeleted)
{
    WindowInUse::setContentWidget(nullptr);
    QPointer<NBHomeLineListView> lines = NBBaseView::show(std::make_unique<NBHomeLineListView>());
    QPointer<NBModeListView> modes = NBBaseView::show(std::make_unique<NBModeListView>());
    QPointer<NBToggleTunTipView> tip = NBBaseView::show(std::make_unique<NBToggleTunTipView>());
    EXPECT_TRUE(lines.isNull() && modes.isNull() && tip.isNull()) << "no window: nothing shown, nothing left behind";

    HostWindow host;
    const QList<QWidget *> shown{NBBaseView::show(std::make_unique<NBHomeLineListView>()),
                                 NBBaseView::show(std::make_unique<NBModeListView>()),
                                 NBBaseView::show(std::make_unique<NBToggleTunTipView>())};
    for (QWidget *popup : shown) {
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->parentWidget(), host.widget()) << "the window's content owns it";
        EXPECT_EQ(popup->geometry(), host.widget()->rect());
        EXPECT_TRUE(popup->isVisible());
    }
    // The last one is on top.
    QWidget *hit = host.widget()->childAt(400, 250);
    EXPECT_TRUE(hit == shown.last() || shown.last()->isAncestorOf(hit));
}
