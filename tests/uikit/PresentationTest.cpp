// The lifecycle of screens through the containers: hook order, presentation records, sheets,
// ownership after dismissal.
#include "uikit/NBBaseViewController.h"
#include "uikit/NBModeAndSheetAnimation.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/UiTiming.h"
#include "uikit/ViewFader.h"
#include "uikit/WindowInUse.h"

#include <QDialog>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList g_log;

std::string log()
{
    return g_log.join(QLatin1Char(' ')).toStdString();
}

class LoggingScreen : public NBBaseViewController
{
public:
    explicit LoggingScreen(const QString &name, QWidget *parent = nullptr)
        : NBBaseViewController(parent)
        , m_name(name)
    {
        resize(200, 100);
    }
    int loads = 0;
    void viewDidLoad() override { NBBaseViewController::viewDidLoad(); ++loads; g_log << m_name + ":load"; }
    void viewWillAppear() override { NBBaseViewController::viewWillAppear(); g_log << m_name + ":willAppear"; }
    void viewDidAppear() override { NBBaseViewController::viewDidAppear(); g_log << m_name + ":didAppear"; }
    void viewWillDisappear() override { NBBaseViewController::viewWillDisappear(); g_log << m_name + ":willDisappear"; }
    void viewDidDisappear() override { NBBaseViewController::viewDidDisappear(); g_log << m_name + ":didDisappear"; }

private:
    QString m_name;
};

class PresentationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_log.clear();
        WindowInUse::setContentWidget(nullptr);
        WindowInUse::setContentController(nullptr);
    }
    UiTimingScope timing{0.01};
};

} // namespace

TEST_F(PresentationTest, PresentationAnimatorSendsHooksInOrderAndFadesIn)
{
    LoggingScreen from(QStringLiteral("from"));
    from.resize(728, 500);
    NBBaseViewController::sendAppear(&from);
    from.show();
    g_log.clear();

    auto *to = new LoggingScreen(QStringLiteral("to"));
    to->move(10, 20);
    ASSERT_TRUE(from.presentViewController(to, new NBPresentationAnimator(to, &from)));

    EXPECT_EQ(log(), "to:load from:willDisappear from:didDisappear to:willAppear to:didAppear");
    EXPECT_EQ(to->parentWidget(), &from);
    EXPECT_EQ(to->pos(), QPoint(10, 20)) << "the presented view keeps its frame";
    EXPECT_EQ(to->parentViewController(), &from);
    EXPECT_EQ(to->presentingViewController(), &from);
    EXPECT_LT(ViewFader::opacity(to), 1.0) << "starts transparent";
    QTRY_VERIFY_WITH_TIMEOUT(to->graphicsEffect() == nullptr, 2000);
    EXPECT_TRUE(to->isVisible());

    // Presenting the same screen twice is refused.
    EXPECT_FALSE(from.presentViewController(to, new NBPresentationAnimator(to, &from)));

    g_log.clear();
    QPointer<LoggingScreen> weak(to);
    to->dismissAction();
    EXPECT_EQ(log(), "to:willDisappear to:didDisappear from:willAppear from:didAppear");
    EXPECT_FALSE(to->isVisible()) << "gone from the window at once";
    EXPECT_EQ(to->parentViewController(), &from) << "leaves its parent only when the group ends";
    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), 2000);
    EXPECT_TRUE(from.childViewControllers().isEmpty());
    EXPECT_TRUE(from.presentations().isEmpty());
}

TEST_F(PresentationTest, ViewDidLoadRunsOnceAcrossPresentations)
{
    LoggingScreen from(QStringLiteral("from"));
    auto *to = new LoggingScreen(QStringLiteral("to"));
    to->setRetainer(&from);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(from.presentViewController(to, new NBPresentationAnimator(to, &from)));
        ASSERT_TRUE(from.dismissViewController(to));
        QTRY_VERIFY_WITH_TIMEOUT(to->parentViewController() == nullptr, 2000);
    }
    EXPECT_EQ(to->loads, 1);
    EXPECT_EQ(to->parentWidget(), &from) << "a retained screen waits under its retainer";
    EXPECT_FALSE(to->isVisible());
}

TEST_F(PresentationTest, DismissingWhatWasNotPresentedChangesNothing)
{
    LoggingScreen from(QStringLiteral("from"));
    LoggingScreen other(QStringLiteral("other"));
    EXPECT_FALSE(from.dismissViewController(&other));
    EXPECT_FALSE(from.dismissViewController(nullptr));
    other.dismissAction();
    EXPECT_FALSE(from.presentViewController(nullptr, new NBPresentationAnimator));
    EXPECT_FALSE(from.presentViewController(&from, new NBPresentationAnimator(&from, &from)));
}

TEST_F(PresentationTest, PresenterDeletedDuringTheFadeTakesThePresentedScreenWithIt)
{
    UiTimingScope instant(0);
    auto *from = new LoggingScreen(QStringLiteral("from"));
    auto *to = new LoggingScreen(QStringLiteral("to"));
    from->presentViewController(to, new NBPresentationAnimator(to, from));
    QPointer<LoggingScreen> weak(to);
    from->dismissViewController(to);
    delete from;
    EXPECT_TRUE(weak.isNull());
    // The animator's delayed step (due at once) must not touch anything now.
    QCoreApplication::processEvents();
}

TEST_F(PresentationTest, SheetsGoOverTheRootOfTheWindowInUse)
{
    LoggingScreen root(QStringLiteral("root"));
    root.resize(800, 500);
    NBBaseViewController::sendAppear(&root);
    root.show();
    WindowInUse::setContentController(&root);
    LoggingScreen caller(QStringLiteral("caller"), &root);
    g_log.clear();

    auto *first = new LoggingScreen(QStringLiteral("first"));
    auto *second = new LoggingScreen(QStringLiteral("second"));
    caller.presentViewControllerAsSheet(first);
    EXPECT_EQ(log(), "first:load root:willDisappear root:didDisappear first:willAppear first:didAppear");
    caller.presentViewControllerAsSheet(second);

    ASSERT_EQ(root.presentedControllers().size(), 2);
    EXPECT_EQ(first->presentingViewController(), &root) << "the root presents, not the caller";
    EXPECT_EQ(first->size(), root.size()) << "stretched to the root";
    QWidget *firstCover = first->parentWidget();
    QWidget *secondCover = second->parentWidget();
    ASSERT_NE(firstCover, nullptr);
    EXPECT_NE(firstCover, secondCover) << "each sheet has its own cover";
    EXPECT_EQ(firstCover->parentWidget(), &root);
    EXPECT_EQ(firstCover->geometry(), root.rect());

    QPointer<QWidget> firstCoverWeak(firstCover);
    QPointer<QWidget> secondCoverWeak(secondCover);
    g_log.clear();
    first->dismissAction();
    EXPECT_EQ(log(), "first:willDisappear first:didDisappear root:willAppear root:didAppear");
    EXPECT_EQ(root.presentedControllers(), QList<NBBaseViewController *>{second});
    QTRY_VERIFY_WITH_TIMEOUT(firstCoverWeak.isNull(), 2000);
    EXPECT_FALSE(secondCoverWeak.isNull()) << "only the first sheet's cover goes";
    second->dismissAction();
    EXPECT_TRUE(root.presentedControllers().isEmpty());
}

TEST_F(PresentationTest, SheetWithoutAWindowInUseIsAWindowModalDialog)
{
    LoggingScreen caller(QStringLiteral("caller"));
    caller.show();
    auto *sheet = new LoggingScreen(QStringLiteral("sheet"));
    caller.presentViewControllerAsSheet(sheet);
    auto *dialog = qobject_cast<QDialog *>(sheet->window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(sheet->isAppearing());
    QPointer<LoggingScreen> weak(sheet);
    sheet->dismissAction();
    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), 2000);
}
