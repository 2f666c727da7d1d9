// "--open NAME": a page that no control opens, shown once when the main content first appears;
// an unknown name leaves the home page and says so in the log.
#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "app/StartupOpenOption.h"
#include "uikit/UiTiming.h"
#include "common/AppPaths.h"
#include "common/Logger.h"

namespace {

class StartupOpenOptionTest : public ::testing::Test
{
protected:
    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(delegate.fakeWindowVC()->contentViewController());
    }
    NBBaseViewController *homePage() const { return split()->existingScreen(NBLeftMenuType::home); }

    static QByteArray logged()
    {
        Logger::flush();
        QByteArray all;
        const QDir logs(AppPaths::logFolder());
        for (const QString &name : logs.entryList(QDir::Files)) {
            QFile file(logs.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                all += file.readAll();
        }
        return all;
    }

    UiTimingScope timing{0.01};
    AppDelegate delegate;
};

} // namespace

TEST(StartupOpenOptionArguments, ReadsBothFormsAndNothingElse)
{
    const QString program = QStringLiteral("ostrel");
    EXPECT_EQ(StartupOpenOption::fromArguments({program, QStringLiteral("--open"), QStringLiteral("general")}),
              QStringLiteral("general"));
    EXPECT_EQ(StartupOpenOption::fromArguments({program, QStringLiteral("-x"), QStringLiteral("--open=notice")}),
              QStringLiteral("notice"));
    EXPECT_EQ(StartupOpenOption::fromArguments({program}), QString());
    EXPECT_EQ(StartupOpenOption::fromArguments({program, QStringLiteral("--open")}), QString());
    EXPECT_EQ(StartupOpenOption::fromArguments({program, QStringLiteral("general")}), QString());
    // The program's own name is never an option.
    EXPECT_EQ(StartupOpenOption::fromArguments({QStringLiteral("--open=general")}), QString());
}

TEST_F(StartupOpenOptionTest, GeneralOpensOnceAndEveryRowStillLeadsToItsPage)
{
    delegate.setStartupOpen(QStringLiteral("general"));
    delegate.showMainWindowVC();
    ASSERT_NE(split(), nullptr);
    NBBaseViewController *general = split()->existingScreen(NBLeftMenuType::general);
    ASSERT_NE(general, nullptr);
    EXPECT_EQ(split()->shownContent(), general);
    EXPECT_TRUE(general->isVisible());
    // No row stands for the page, so none is highlighted and home leads back home.
    NBLeftSideViewController *menu = split()->leftSide();
    EXPECT_EQ(menu->preButton(), nullptr);
    EXPECT_FALSE(menu->homeItem()->isSelect());
    menu->homeActioon();
    EXPECT_EQ(split()->shownContent(), homePage());
    EXPECT_TRUE(menu->homeItem()->isSelect());

    // A rebuilt split view (a language change) and a later main content start at home.
    delegate.fakeWindowVC()->reloadSplitView();
    EXPECT_EQ(split()->shownContent(), homePage());
    delegate.showMainWindowVC();
    EXPECT_EQ(split()->shownContent(), homePage());
    EXPECT_EQ(split()->existingScreen(NBLeftMenuType::general), nullptr);
}

TEST_F(StartupOpenOptionTest, RegisteredNameRunsItsOpenerOnceOverTheSplitView)
{
    QList<NBMainSplitViewController *> openedOver;
    StartupOpenOption::registerOpener(QStringLiteral("probe"),
                                      [&](NBMainSplitViewController &over) { openedOver << &over; });
    EXPECT_TRUE(StartupOpenOption::names().contains(QStringLiteral("probe")));
    EXPECT_TRUE(StartupOpenOption::names().contains(QStringLiteral("general")));
    delegate.setStartupOpen(QStringLiteral("probe"));
    delegate.showMainWindowVC();
    ASSERT_EQ(openedOver.size(), 1);
    EXPECT_EQ(openedOver.first(), split());
    // The split view is in the window and showing home when the opener runs.
    EXPECT_EQ(split()->shownContent(), homePage());
    delegate.showMainWindowVC();
    EXPECT_EQ(openedOver.size(), 1);
    StartupOpenOption::unregisterOpener(QStringLiteral("probe"));
}

TEST_F(StartupOpenOptionTest, UnknownNameLeavesHomeAndIsLogged)
{
    delegate.setStartupOpen(QStringLiteral("nowhere"));
    delegate.showMainWindowVC();
    ASSERT_NE(split(), nullptr);
    EXPECT_EQ(split()->shownContent(), homePage());
    EXPECT_TRUE(split()->leftSide()->homeItem()->isSelect());
    const QByteArray log = logged();
    EXPECT_TRUE(log.contains("[warning] StartupOpenOption.cpp StartupOpenOption::applyOnce --open: no page is called \"nowhere\""))
        << log.toStdString();

    StartupOpenOption none;
    EXPECT_FALSE(none.applyOnce(*split()));
}
