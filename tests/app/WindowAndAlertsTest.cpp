// The window as the desktop sees it (its name, its fixed frame, moved by its background) and the
// request layer's account warnings: the application's own alert over the window, after the
// reply has completed, one at a time.
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/NetworkTestSupport.h"
#include "app/AccountAlertPresenter.h"
#include "app/AppUiHooks.h"
#include "app/NBMainWindowController.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "networking/OONetWorkTool.h"
#include "uikit/BackgroundWindowMove.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBBaseViewController.h"
#include "uikit/NBDisableButton.h"
#include "uikit/PlainText.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"

namespace {

// A row that, like the list rows, ignores presses and acts on the release.
class IgnoringRow : public QWidget
{
public:
    using QWidget::QWidget;
};

class FieldScreen : public NBBaseViewController
{
public:
    FieldScreen()
    {
        field = new QLineEdit(this);
        field->setGeometry(20, 20, 200, 30);
        row = new IgnoringRow(this);
        row->setGeometry(20, 100, 300, 40);
        caption = new QLabel(QStringLiteral("标题"), row);
        caption->setGeometry(10, 10, 100, 20);
        panel = new QWidget(this);
        panel->setGeometry(400, 100, 200, 100);
        text = PlainText::label(QStringLiteral("说明"), panel);
        text->setGeometry(10, 10, 100, 20);
    }
    QLineEdit *field = nullptr;
    IgnoringRow *row = nullptr;
    QLabel *caption = nullptr;
    QWidget *panel = nullptr;
    QLabel *text = nullptr;
};

// Presses and drags as the pointer gives them: the press, then moves with the button held.
void drag(QWidget *target, QPoint from, QPoint by)
{
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, from);
    const QPoint to = from + by;
    QMouseEvent move(QEvent::MouseMove, QPointF(to), QPointF(target->mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, to);
}

QList<NBAlertView *> shownAlerts(QWidget *content)
{
    QList<NBAlertView *> shown;
    for (NBAlertView *alert : content->findChildren<NBAlertView *>()) {
        if (alert->isVisible() && !alert->isClosing())
            shown.append(alert);
    }
    return shown;
}

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BackgroundWindowMove::setStarterForTesting([this](QWidget *moved) {
            movedWindows.append(moved);
            return true;
        });
        window.show();
    }
    void TearDown() override { BackgroundWindowMove::setStarterForTesting({}); }

    NBMainWindowController window;
    QList<QWidget *> movedWindows;
};

class AccountAlertTest : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        OneStandinPerSuite::SetUp();
        hooks = std::make_shared<AppUiHooks>([this] { ++signOuts; });
        NetworkUiHooks::setInstance(hooks);
        NetworkUiHooks::setStopLocalHandler([this](std::function<void()> done) {
            ++stops;
            done();
        });
        content = std::make_unique<QWidget>();
        content->resize(800, 500);
        content->show();
        WindowInUse::setContentWidget(content.get());
    }
    void TearDown() override
    {
        WindowInUse::setContentWidget(nullptr);
        content.reset();
        NetworkUiHooks::setStopLocalHandler({});
        NetworkUiHooks::setInstance(nullptr);
        OONetWork::shared().resetForTesting();
    }

    // Sends a request the stand-in refuses with that kind, and records what was on the screen
    // when its completion ran.
    void refusedRequest(const QString &kind, int *completions, QList<int> *alertsAtCompletion)
    {
        s_standin->fault(ApiPaths::kNodeList, kind, 1);
        QWidget *host = content.get();
        OONetWork::shared().requestData(QStringLiteral("GET"), OONetWorkTool::apiUrl(ApiPaths::kNodeList), true,
                                        std::nullopt, std::nullopt,
                                        [=](std::optional<QJsonObject>, std::optional<NetError>) {
                                            ++*completions;
                                            alertsAtCompletion->append(int(shownAlerts(host).size()));
                                        });
    }

    UiTimingScope timing{0.01};
    std::shared_ptr<AppUiHooks> hooks;
    std::unique_ptr<QWidget> content;
    int signOuts = 0;
    int stops = 0;
};

} // namespace

TEST_F(WindowTest, TaskBarsReadTheProgramsNameAndTheFrameIsFixed)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("翠鸟通行器Pro"));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowFullscreenButtonHint);
}

TEST_F(WindowTest, DraggingAScreensBackgroundMovesTheWindowAndAClickDoesNot)
{
    auto *screen = new FieldScreen;
    window.setContentViewController(screen);
    QTRY_VERIFY(screen->isVisible());

    // A click on the background stays a click.
    QTest::mouseClick(screen, Qt::LeftButton, Qt::NoModifier, QPoint(400, 300));
    EXPECT_TRUE(movedWindows.isEmpty());

    // A drag shorter than the desktop's drag distance is still a click.
    drag(screen, QPoint(400, 300), QPoint(1, 1));
    EXPECT_TRUE(movedWindows.isEmpty());

    drag(screen, QPoint(400, 300), QPoint(30, 10));
    ASSERT_EQ(movedWindows.size(), 1);
    EXPECT_EQ(movedWindows.first(), &window);

    // The field keeps its own presses: dragging in it selects text, it does not move the window.
    drag(screen->field, QPoint(5, 5), QPoint(60, 0));
    EXPECT_EQ(movedWindows.size(), 1);
    // A row that ignores presses is no background, nor is a label on it.
    EXPECT_FALSE(BackgroundWindowMove::isBackground(screen, QPoint(25, 105)));
    EXPECT_FALSE(BackgroundWindowMove::isBackground(screen, QPoint(35, 115)));
    drag(screen, QPoint(25, 105), QPoint(40, 0));
    EXPECT_EQ(movedWindows.size(), 1);
    // A plain panel and its label are.
    EXPECT_TRUE(BackgroundWindowMove::isBackground(screen, QPoint(405, 105)));
    EXPECT_TRUE(BackgroundWindowMove::isBackground(screen, QPoint(415, 115)));
    drag(screen, QPoint(415, 115), QPoint(40, 0));
    EXPECT_EQ(movedWindows.size(), 2);
    // Another button than the left one moves nothing.
    QTest::mousePress(screen, Qt::RightButton, Qt::NoModifier, QPoint(400, 300));
    QMouseEvent move(QEvent::MouseMove, QPointF(450, 300), QPointF(screen->mapToGlobal(QPoint(450, 300))), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(screen, &move);
    QTest::mouseRelease(screen, Qt::RightButton, Qt::NoModifier, QPoint(450, 300));
    EXPECT_EQ(movedWindows.size(), 2);
}

TEST(BackgroundWindowMove, OnlyALeftDragFromABackgroundPressStartsAMove)
{
    BackgroundWindowMove move;
    EXPECT_FALSE(move.shouldStartMove(QPoint(100, 0), Qt::LeftButton)); // no press
    move.press(QPoint(0, 0), Qt::LeftButton);
    EXPECT_FALSE(move.shouldStartMove(QPoint(100, 0), Qt::NoButton)); // released elsewhere
    EXPECT_FALSE(move.shouldStartMove(QPoint(100, 0), Qt::LeftButton)); // and forgotten
    move.press(QPoint(0, 0), Qt::LeftButton);
    EXPECT_TRUE(move.shouldStartMove(QPoint(100, 0), Qt::LeftButton));
    EXPECT_FALSE(move.shouldStartMove(QPoint(200, 0), Qt::LeftButton)); // once per press
    move.press(QPoint(0, 0), Qt::LeftButton);
    move.release();
    EXPECT_FALSE(move.shouldStartMove(QPoint(100, 0), Qt::LeftButton));
}

TEST_F(AccountAlertTest, TheReplyCompletesFirstThenOneAlertAtATime)
{
    int completions = 0;
    QList<int> alertsAtCompletion;
    refusedRequest(QStringLiteral("error101"), &completions, &alertsAtCompletion);
    ASSERT_TRUE(QTest::qWaitFor([&] { return completions == 1; }, 5000));
    // Three device-limit refusals while the account alert is up.
    for (int i = 0; i < 3; ++i)
        refusedRequest(QStringLiteral("C238"), &completions, &alertsAtCompletion);
    ASSERT_TRUE(QTest::qWaitFor([&] { return completions == 4; }, 5000));
    EXPECT_EQ(alertsAtCompletion.first(), 0) << "no alert inside the reply that asked for it";
    EXPECT_EQ(*std::max_element(alertsAtCompletion.begin(), alertsAtCompletion.end()), 1) << "never two stacked";

    QTRY_COMPARE(shownAlerts(content.get()).size(), 1);
    NBAlertView *first = shownAlerts(content.get()).first();
    EXPECT_EQ(first->titleLabel()->text(), localizedByAppLanguage(QStringLiteral("ACCOUNT_EXCEPTION_TITLE")));
    EXPECT_EQ(first->tipsLabel()->text(), localizedByAppLanguage(QStringLiteral("ACCOUNT_EXCEPTION_TIP")));
    EXPECT_EQ(first->confirmButton()->text(), localizedByAppLanguage(QStringLiteral("GOT_IT")));
    EXPECT_FALSE(first->cancleButton()->isVisible());
    // Its one answer in the middle of the panel.
    EXPECT_NEAR(first->confirmButton()->geometry().center().x(), first->contentView()->width() / 2, 1);
    EXPECT_EQ(hooks->accountAlerts()->waitingCount(), 1) << "the device-limit refusals wait as one";
    EXPECT_EQ(signOuts, 0);

    QTest::mouseClick(first->confirmButton(), Qt::LeftButton);
    QTRY_COMPARE(signOuts, 1);
    EXPECT_EQ(stops, 1);

    QTRY_VERIFY(shownAlerts(content.get()).size() == 1
                && shownAlerts(content.get()).first()->titleLabel()->text()
                       == localizedByAppLanguage(QStringLiteral("DEVICE_LIMIT_TITLE")));
    NBAlertView *second = shownAlerts(content.get()).first();
    EXPECT_EQ(second->tipsLabel()->text(), localizedByAppLanguage(QStringLiteral("DEVICE_LIMIT_TIP")));
    QTest::mouseClick(second->confirmButton(), Qt::LeftButton);
    QTRY_VERIFY(content->findChildren<NBAlertView *>().isEmpty());
    QTest::qWait(20);
    EXPECT_TRUE(content->findChildren<NBAlertView *>().isEmpty());
    EXPECT_EQ(signOuts, 1) << "the device limit signs nobody out";
}

TEST_F(AccountAlertTest, AnUnansweredAccountAlertComesBackOverTheNewContent)
{
    int completions = 0;
    QList<int> alertsAtCompletion;
    refusedRequest(QStringLiteral("error101"), &completions, &alertsAtCompletion);
    QTRY_COMPARE(shownAlerts(content.get()).size(), 1);

    // The window's content is replaced under the alert (a language change, say).
    auto replacement = std::make_unique<QWidget>();
    replacement->resize(800, 500);
    replacement->show();
    WindowInUse::setContentWidget(replacement.get());
    content = std::move(replacement);

    QTRY_COMPARE(shownAlerts(content.get()).size(), 1);
    EXPECT_EQ(signOuts, 0);
    QTest::mouseClick(shownAlerts(content.get()).first()->confirmButton(), Qt::LeftButton);
    QTRY_COMPARE(signOuts, 1);

    // Acknowledged: the next refusal shows the alert again.
    refusedRequest(QStringLiteral("error101"), &completions, &alertsAtCompletion);
    QTRY_COMPARE(shownAlerts(content.get()).size(), 1);
    QTest::mouseClick(shownAlerts(content.get()).first()->confirmButton(), Qt::LeftButton);
    QTRY_COMPARE(signOuts, 2);
}

TEST_F(AccountAlertTest, WithNoWindowTheAccountExceptionIsActedOnOnce)
{
    WindowInUse::setContentWidget(nullptr);
    int completions = 0;
    QList<int> alertsAtCompletion;
    refusedRequest(QStringLiteral("error101"), &completions, &alertsAtCompletion);
    QTRY_COMPARE(signOuts, 1);
    EXPECT_EQ(stops, 1);
    QTest::qWait(50);
    EXPECT_EQ(signOuts, 1);
    EXPECT_TRUE(content->findChildren<NBAlertView *>().isEmpty());
    EXPECT_EQ(hooks->accountAlerts()->waitingCount(), 0);
}
