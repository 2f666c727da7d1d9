// The real home screen as the program shows it, in the main window's split view, against the
// stand-in service: presses reach it through the window as the pointer gives them, and its
// appearance asks the service for the lines.
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "support/NetworkTestSupport.h"
#include "LineTestSupport.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "home/CharWrapLabel.h"
#include "home/NBConnectView.h"
#include "home/NBHomeViewController.h"
#include "home/NBNewHomeContentView.h"
#include "home/NBSelectLineView.h"
#include "networking/OONetWorkTool.h"
#include "uikit/BackgroundWindowMove.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"
#include "vpn/HomeConnectController.h"

namespace {

constexpr int kWait = 15000;

class HomeScreenInWindow : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        OneStandinPerSuite::SetUp();
        // The appearance's requests end in the notices, whose page lies over the whole window:
        // whenever they outran the gestures, the presses would land on it.
        ASSERT_TRUE(s_standin->control(QJsonObject{{"notices", QJsonArray()}}));
        UserDefaults::standard().removePersistentDomain();
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::home),
                                                 [](QWidget *parent) { return new NBHomeViewController(parent); });
        bool done = false;
        OONetWorkTool::login([&](std::optional<QString>) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        ASSERT_TRUE(MKUserInfoManager::shared().currentUser());
        BackgroundWindowMove::setStarterForTesting([this](QWidget *moved) {
            moves.append(moved);
            return true;
        });
    }
    void TearDown() override
    {
        BackgroundWindowMove::setStarterForTesting({});
        window.reset();
        UserDefaults::standard().removePersistentDomain();
    }

    NBHomeViewController *showHome()
    {
        window = std::make_unique<NBMainWindowController>();
        window->show();
        auto *split = new NBMainSplitViewController;
        window->setContentViewController(split);
        auto *home = qobject_cast<NBHomeViewController *>(split->shownContent());
        EXPECT_NE(home, nullptr);
        return home;
    }

    // A left drag through the window at a point of `widget`: the window finds what lies there.
    void dragThroughWindow(QWidget *widget, QPoint at)
    {
        QWindow *handle = window->windowHandle();
        const QPoint from = widget->mapTo(window.get(), at);
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        QTest::mouseMove(handle, from + QPoint(40, 10));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(40, 10));
    }

    UiTimingScope timing{0.01};
    std::unique_ptr<NBMainWindowController> window;
    QList<QWidget *> moves;
};

} // namespace

TEST_F(HomeScreenInWindow, ADragOnTheEmptyAreaMovesTheWindowAndOneOnItsControlsDoesNot)
{
    NBHomeViewController *home = showHome();
    ASSERT_NE(home, nullptr);
    // The top corners of the stage's backdrop, beside the circles.
    dragThroughWindow(home, QPoint(20, 20));
    ASSERT_EQ(moves.size(), 1);
    EXPECT_EQ(moves.first(), window.get());
    dragThroughWindow(home, QPoint(650, 300));
    EXPECT_EQ(moves.size(), 2);

    // The connect button and the line selector keep their presses.
    NBConnectView *button = home->homeBackView()->connectButton();
    dragThroughWindow(button, button->rect().center());
    dragThroughWindow(home->selectView(), home->selectView()->rect().center());
    EXPECT_EQ(moves.size(), 2);
}

TEST_F(HomeScreenInWindow, WithNoStoredLineTheLoadedListLeavesBestLineOnTheBarAndSendsNoEvent)
{
    EventRecorder recorder;
    NBHomeViewController *home = showHome();
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->selectView()->nameText()->text(), QStringLiteral("Best line"));
    recorder.events.clear();
    // The appearance asks for the lines; the popup will read them when it opens.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !home->connectController()->showList().isEmpty(); }, kWait));
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyLineInfo));
    EXPECT_EQ(home->selectView()->nameText()->text(), QStringLiteral("Best line"));
    for (const QString &event : std::as_const(recorder.events))
        EXPECT_FALSE(event.startsWith(QStringLiteral("selectModePage_"))) << event.toStdString();
}

// A press on the line selector opens the line popup only as a click: a press that becomes a drag
// opens nothing (the gestures themselves are PressClick's). Presses as the window delivers them.
TEST_F(HomeScreenInWindow, APressOnTheLineSelectorThatBecomesADragOpensNothing)
{
    NBHomeViewController *home = showHome();
    ASSERT_NE(home, nullptr);
    NBSelectLineView *bar = home->selectView();
    QWindow *handle = window->windowHandle();
    const QPoint centre = bar->mapTo(window.get(), bar->rect().center());
    ASSERT_EQ(window->childAt(centre), bar) << "nothing lies over the bar";
    const QPoint far(QApplication::startDragDistance() + 2, 0);

    QTest::mousePress(handle, Qt::LeftButton, {}, centre);
    QTest::mouseMove(handle, centre + far);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, centre + far);
    QCoreApplication::processEvents();
    EXPECT_EQ(home->lineListView(), nullptr);
    EXPECT_TRUE(moves.isEmpty()) << "the bar keeps its presses";

    // A hand's tremor is still a click.
    QTest::mousePress(handle, Qt::LeftButton, {}, centre);
    QTest::mouseMove(handle, centre + QPoint(1, 1));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, centre + QPoint(1, 1));
    QTRY_VERIFY_WITH_TIMEOUT(home->lineListView() != nullptr, kWait);
}
