// The window's contact slot and the more page's feedback row get the feedback screen by name.
#include <gtest/gtest.h>

#include <memory>

#include "app/NBLeftMenuType.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/ScreenFactory.h"
#include "settings/feedback/NBFeedbackListViewController.h"

TEST(FeedbackRegistration, ContactSlotAndClassNameMakeTheFeedbackList)
{
    for (const QString &name : {NBMainSplitViewController::screenName(NBLeftMenuType::contact),
                                QStringLiteral("NBFeedbackListViewController")}) {
        std::unique_ptr<NBBaseViewController> screen(ScreenFactory::instance().make(name));
        EXPECT_NE(qobject_cast<NBFeedbackListViewController *>(screen.get()), nullptr) << name.toStdString();
    }
}
