// What `--open general` and `--open notice` show when the main content first appears: the real
// general settings, whose language picker then rebuilds the window, and the notice box with its
// sample text over the main window.
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "app/StartupOpenOption.h"
#include "uikit/NBAlertView.h"
#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/UserDefaults.h"
#include "settings/general/NBGeneralCell.h"
#include "settings/general/NBGeneralViewController.h"
#include "settings/general/NBLanguageCell.h"
#include "settings/general/NBLanguageViewController.h"
#include "settings/notice/NoticeStartupOpener.h"
#include "settings/notice/OONoticePopupView.h"

namespace {

class StartupOpenSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The layer's tests link no registrations: both are made as the program makes them.
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::general),
                                                 [](QWidget *parent) { return new NBGeneralViewController(parent); });
        NoticeStartupOpener::registerName();
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("zh-Hans"));
    }
    void TearDown() override { UserDefaults::standard().removePersistentDomain(); }

    NBMainSplitViewController *split() const
    {
        return qobject_cast<NBMainSplitViewController *>(delegate.fakeWindowVC()->contentViewController());
    }

    UiTimingScope timing{0.01};
    AppDelegate delegate;
};

} // namespace

TEST_F(StartupOpenSettingsTest, GeneralShowsTheSettingsWhoseLanguagePickerRebuildsTheWindow)
{
    delegate.setStartupOpen(QStringLiteral("general"));
    delegate.showMainWindowVC();
    ASSERT_NE(split(), nullptr);
    auto *general = qobject_cast<NBGeneralViewController *>(split()->shownContent());
    ASSERT_NE(general, nullptr);
    EXPECT_TRUE(general->isVisible());
    ASSERT_GT(general->numberOfRows(), 3);

    QTest::mouseClick(qobject_cast<NBGeneralCell *>(general->rowView(3)), Qt::LeftButton);
    ASSERT_FALSE(general->presentations().isEmpty());
    auto *picker = qobject_cast<NBLanguageViewController *>(general->presentations().last());
    ASSERT_NE(picker, nullptr);
    QPointer<NBMainSplitViewController> old(split());
    const int english = int(NBLanguageViewController::languageData().indexOf(QStringLiteral("en")));
    ASSERT_GE(english, 0);
    QTest::mouseClick(picker->rows().at(english), Qt::LeftButton);

    // The window is rebuilt in English, on its home page: the start option is spent.
    EXPECT_EQ(currentAppLanguage(), QStringLiteral("en"));
    ASSERT_NE(split(), old.data());
    EXPECT_EQ(split()->shownContent(), split()->existingScreen(NBLeftMenuType::home));
    EXPECT_EQ(split()->leftSide()->accountItem()->title(), QStringLiteral("Me"));
    QTRY_VERIFY_WITH_TIMEOUT(old.isNull(), 2000);
}

TEST_F(StartupOpenSettingsTest, NoticeShowsTheBoxWithItsSampleOverTheMainWindowOnce)
{
    delegate.setStartupOpen(QStringLiteral("notice"));
    delegate.showMainWindowVC();
    ASSERT_NE(split(), nullptr);
    EXPECT_EQ(split()->shownContent(), split()->existingScreen(NBLeftMenuType::home));
    const auto boxes = split()->findChildren<OONoticePopupView *>();
    ASSERT_EQ(boxes.size(), 1);
    QPointer<OONoticePopupView> box = boxes.first();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->geometry(), split()->rect());
    EXPECT_TRUE(box->textView()->toPlainText().contains(QStringLiteral("--open notice")));

    box->closeAction();
    QTRY_VERIFY_WITH_TIMEOUT(box.isNull() || !box->isVisible(), 2000);
    delegate.showMainWindowVC();
    EXPECT_TRUE(split()->findChildren<OONoticePopupView *>().isEmpty());
}

TEST_F(StartupOpenSettingsTest, NoticeStaysAboveWhatTheStartShowsAfterIt)
{
    delegate.setStartupOpen(QStringLiteral("notice"));
    delegate.showMainWindowVC();
    ASSERT_NE(split(), nullptr);
    const auto boxes = split()->findChildren<OONoticePopupView *>();
    ASSERT_EQ(boxes.size(), 1);
    OONoticePopupView *box = boxes.first();

    // A dialog over the main content after it, as the upgrade offer comes.
    auto made = std::make_unique<NBAlertView>();
    made->titleLabel()->setText(QStringLiteral("later"));
    NBAlertView *later = NBBaseView::show(std::move(made));
    ASSERT_NE(later, nullptr);
    ASSERT_EQ(later->parentWidget(), split());
    const auto onTop = [&] {
        QWidget *top = split()->childAt(split()->rect().center());
        return top == box || box->isAncestorOf(top);
    };
    QTRY_VERIFY_WITH_TIMEOUT(onTop(), 2000);
    EXPECT_TRUE(later->isVisible()) << "the later dialog is still there, under the box";
}
