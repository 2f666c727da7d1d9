// The window's contact slot gets the feedback form by name; the more page's feedback row the list.
#include <gtest/gtest.h>

#include <memory>

#include "app/NBLeftMenuType.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/ScreenFactory.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackListViewController.h"

TEST(FeedbackRegistration, ContactSlotMakesTheFormAndTheClassNameTheList)
{
    std::unique_ptr<NBBaseViewController> contact(
        ScreenFactory::instance().make(NBMainSplitViewController::screenName(NBLeftMenuType::contact)));
    EXPECT_NE(qobject_cast<NBContactViewController *>(contact.get()), nullptr);
    std::unique_ptr<NBBaseViewController> list(ScreenFactory::instance().make(QStringLiteral("NBFeedbackListViewController")));
    EXPECT_NE(qobject_cast<NBFeedbackListViewController *>(list.get()), nullptr);
}
