// The lifecycle of screens through the containers: hook order, presentation records, sheets,
// ownership after dismissal.
#include "uikit/NBBaseViewController.h"
#include "uikit/NBModeAndSheetAnimation.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/PresentedBackground.h"
#include "uikit/UiTiming.h"
#include "uikit/ViewFader.h"
#include "uikit/WindowInUse.h"

#include <QDialog>
#include <QImage>
#include <QPainter>
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

// A screen that paints itself one colour, or nothing at all when it has none.
class PaintedScreen : public LoggingScreen
{
public:
    PaintedScreen(const QString &name, QColor colour, QWidget *parent = nullptr)
        : LoggingScreen(name, parent)
        , m_colour(colour)
    {
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_colour.isValid())
            return;
        QPainter painter(this);
        painter.fillRect(rect(), m_colour);
    }

private:
    QColor m_colour;
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
    NBBaseViewController::setAppearing(&from, true);
    from.show();
    g_log.clear();

    auto made = std::make_unique<LoggingScreen>(QStringLiteral("to"));
    made->move(10, 20);
    auto *animator = new NBPresentationAnimator(made.get(), &from);
    LoggingScreen *to = from.presentViewController(std::move(made), animator);
    ASSERT_NE(to, nullptr);

    EXPECT_EQ(log(), "to:load from:willDisappear from:didDisappear to:willAppear to:didAppear");
    EXPECT_EQ(to->parentWidget(), &from);
    EXPECT_EQ(to->pos(), QPoint(10, 20)) << "the presented view keeps its frame";
    EXPECT_EQ(to->parentViewController(), &from);
    EXPECT_EQ(to->presentingViewController(), &from);
    EXPECT_LT(ViewFader::opacity(to), 1.0) << "starts transparent";
    QTRY_VERIFY_WITH_TIMEOUT(to->graphicsEffect() == nullptr, 2000);
    EXPECT_TRUE(to->isVisible());

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
        ASSERT_TRUE(from.presentRetainedViewController(to, new NBPresentationAnimator(to, &from)));
        // Presenting the same screen twice is refused, and it stays where it is.
        EXPECT_FALSE(from.presentRetainedViewController(to, new NBPresentationAnimator(to, &from)));
        EXPECT_EQ(to->presentingViewController(), &from);
        ASSERT_TRUE(from.dismissViewController(to));
        QTRY_VERIFY_WITH_TIMEOUT(to->parentViewController() == nullptr, 2000);
    }
    EXPECT_EQ(to->loads, 1);
    EXPECT_EQ(to->parentWidget(), &from) << "a retained screen waits under its retainer";
    EXPECT_FALSE(to->isVisible());
}

TEST_F(PresentationTest, AScreenMadeForAPresentationIsDeletedWhenRefused)
{
    LoggingScreen from(QStringLiteral("from"));
    auto refused = std::make_unique<LoggingScreen>(QStringLiteral("refused"));
    QPointer<LoggingScreen> gone(refused.get());
    EXPECT_EQ(from.presentViewController(std::move(refused), nullptr), nullptr);
    EXPECT_TRUE(gone.isNull()) << "no animator: refused, and not left behind";

    auto made = std::make_unique<LoggingScreen>(QStringLiteral("shown"));
    auto *animator = new NBPresentationAnimator(made.get(), &from);
    LoggingScreen *shown = from.presentViewController(std::move(made), animator);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->parentWidget(), &from) << "the presentation owns it";
}

TEST_F(PresentationTest, DismissingWhatWasNotPresentedChangesNothing)
{
    LoggingScreen from(QStringLiteral("from"));
    LoggingScreen other(QStringLiteral("other"));
    EXPECT_FALSE(from.dismissViewController(&other));
    EXPECT_FALSE(from.dismissViewController(nullptr));
    other.dismissAction();
    EXPECT_EQ(from.presentViewController(std::unique_ptr<LoggingScreen>(), new NBPresentationAnimator), nullptr);
    EXPECT_FALSE(from.presentRetainedViewController(nullptr, new NBPresentationAnimator));
    // Only a screen something keeps is presented again by the raw road; and never this screen itself.
    EXPECT_FALSE(from.presentRetainedViewController(&other, new NBPresentationAnimator(&other, &from)));
    EXPECT_EQ(other.presentingViewController(), nullptr);
    from.setRetainer(&other);
    EXPECT_FALSE(from.presentRetainedViewController(&from, new NBPresentationAnimator(&from, &from)));
}

TEST_F(PresentationTest, PresenterDeletedDuringTheFadeTakesThePresentedScreenWithIt)
{
    UiTimingScope instant(0);
    auto *from = new LoggingScreen(QStringLiteral("from"));
    auto made = std::make_unique<LoggingScreen>(QStringLiteral("to"));
    auto *animator = new NBPresentationAnimator(made.get(), from);
    LoggingScreen *to = from->presentViewController(std::move(made), animator);
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
    NBBaseViewController::setAppearing(&root, true);
    root.show();
    WindowInUse::setContentController(&root);
    // A page the root shows, as the split view shows its menu and page: it stays in the window
    // under the sheets and hears nothing of them.
    LoggingScreen caller(QStringLiteral("caller"), &root);
    root.embedChildViewController(&caller, &root);
    g_log.clear();

    LoggingScreen *first = caller.presentViewControllerAsSheet(std::make_unique<LoggingScreen>(QStringLiteral("first")));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(log(), "first:load root:willDisappear root:didDisappear first:willAppear first:didAppear");
    EXPECT_TRUE(caller.isAppearing());
    LoggingScreen *second = caller.presentViewControllerAsSheet(std::make_unique<LoggingScreen>(QStringLiteral("second")));
    ASSERT_NE(second, nullptr);

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
    EXPECT_TRUE(caller.isAppearing());
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
    LoggingScreen *sheet = caller.presentViewControllerAsSheet(std::make_unique<LoggingScreen>(QStringLiteral("sheet")));
    ASSERT_NE(sheet, nullptr);
    auto *dialog = qobject_cast<QDialog *>(sheet->window());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(sheet->isAppearing());
    QPointer<LoggingScreen> weak(sheet);
    sheet->dismissAction();
    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), 2000);
}

TEST_F(PresentationTest, ChildScreensComeAndGoWithTheirContainer)
{
    LoggingScreen root(QStringLiteral("root"));
    root.resize(800, 500);
    root.ensureLoaded();
    auto *inner = new QWidget(&root);
    auto *pane = new LoggingScreen(QStringLiteral("pane"));
    auto *form = new LoggingScreen(QStringLiteral("form"));
    auto *kept = new LoggingScreen(QStringLiteral("kept"), &root);
    root.embedChildViewController(pane, &root);
    root.embedChildViewController(form, inner);
    // A page the container keeps for later: a child screen, but hidden.
    root.addChildViewController(kept);
    kept->hide();
    g_log.clear();

    // Nothing the container forwards by hand: the screens inside come with it, each once.
    NBBaseViewController::setAppearing(&root, true);
    EXPECT_EQ(log(), "root:willAppear pane:willAppear form:willAppear root:didAppear pane:didAppear form:didAppear");
    EXPECT_TRUE(pane->isAppearing());
    EXPECT_FALSE(kept->isAppearing());
    g_log.clear();
    NBBaseViewController::setAppearing(&root, true);
    EXPECT_EQ(log(), "") << "a second call in the same state reaches nobody";

    // A child put in while the container is up appears at once; one taken out leaves.
    auto *late = new LoggingScreen(QStringLiteral("late"));
    root.embedChildViewController(late, inner);
    EXPECT_EQ(log(), "late:load late:willAppear late:didAppear");
    g_log.clear();
    root.unembedChildViewController(pane);
    EXPECT_EQ(log(), "pane:willDisappear pane:didDisappear");
    EXPECT_TRUE(pane->isHidden());
    EXPECT_EQ(pane->parentViewController(), nullptr);
    g_log.clear();

    NBBaseViewController::setAppearing(&root, false);
    EXPECT_EQ(log(), "root:willDisappear form:willDisappear late:willDisappear "
                     "root:didDisappear form:didDisappear late:didDisappear");
}

TEST_F(PresentationTest, APageShownOverAChildLeavesAndComesBackWithTheContainer)
{
    UiTimingScope instant(0);
    LoggingScreen root(QStringLiteral("root"));
    root.resize(800, 500);
    auto *page = new LoggingScreen(QStringLiteral("page"));
    root.embedChildViewController(page, &root);
    NBBaseViewController::setAppearing(&root, true);
    auto made = std::make_unique<LoggingScreen>(QStringLiteral("over"));
    auto *animator = new NBPresentationAnimator(made.get(), page);
    LoggingScreen *over = page->presentViewController(std::move(made), animator);
    ASSERT_NE(over, nullptr);
    EXPECT_FALSE(page->isAppearing()) << "covered";
    EXPECT_TRUE(over->isAppearing());
    g_log.clear();

    // The window's content goes (a language switch, a sign-out): the page on top goes too.
    NBBaseViewController::setAppearing(&root, false);
    EXPECT_EQ(log(), "root:willDisappear over:willDisappear root:didDisappear over:didDisappear");
    g_log.clear();
    NBBaseViewController::setAppearing(&root, true);
    EXPECT_EQ(log(), "root:willAppear page:willAppear over:willAppear root:didAppear page:didAppear over:didAppear");

    // Dismissed: hidden at once, so the next change of the container passes it by.
    over->dismissAction();
    g_log.clear();
    NBBaseViewController::setAppearing(&root, false);
    EXPECT_EQ(log(), "root:willDisappear page:willDisappear root:didDisappear page:didDisappear");
}

TEST_F(PresentationTest, APagePresentedOverAnotherPaintsItsOwnBackground)
{
    PaintedScreen list(QStringLiteral("list"), Qt::red);
    list.resize(400, 300);
    NBBaseViewController::setAppearing(&list, true);
    list.show();

    // A page that relies on what lies under it (a web page on a transparent view).
    auto madeClear = std::make_unique<PaintedScreen>(QStringLiteral("clear"), QColor());
    madeClear->setGeometry(0, 0, 200, 300);
    auto *clearAnimator = new NBPresentationAnimator(madeClear.get(), &list);
    PaintedScreen *clear = list.presentViewController(std::move(madeClear), clearAnimator);
    ASSERT_NE(clear, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(clear->graphicsEffect() == nullptr, 2000);
    const QImage shot = list.grab().toImage();
    EXPECT_EQ(shot.pixelColor(100, 150), PresentedBackground::pageColor()) << "the list must not show through";
    EXPECT_EQ(shot.pixelColor(300, 150), QColor(Qt::red)) << "beside the page the list stays";

    // A page with its own fill keeps it, whichever road presents it.
    auto madeFilled = std::make_unique<PaintedScreen>(QStringLiteral("filled"), QColor());
    PaintedScreen *filled = madeFilled.get();
    filled->setGeometry(200, 0, 200, 300);
    QPalette palette = filled->palette();
    palette.setColor(QPalette::Window, Qt::green);
    filled->setPalette(palette);
    filled->setAutoFillBackground(true);
    auto *filledAnimator = new NBPresentationAnimator(filled, &list);
    ASSERT_EQ(list.presentViewController(std::move(madeFilled), filledAnimator), filled);
    QTRY_VERIFY_WITH_TIMEOUT(filled->graphicsEffect() == nullptr, 2000);
    EXPECT_EQ(list.grab().toImage().pixelColor(300, 150), QColor(Qt::green));
}
