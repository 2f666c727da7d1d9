// The message centre's openers ask for it by name: the more page's message row gets the real
// screen, a new one each time.
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "uikit/ScreenFactory.h"
#include "uikit/UiTiming.h"
#include "settings/message/NBMessageViewController.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineViewController.h"

TEST(MessageRegistration, TheMorePagesMessageRowPresentsANewMessageCentre)
{
    UiTimingScope scope(0.01);
    std::unique_ptr<NBBaseViewController> byName(ScreenFactory::instance().make(QStringLiteral("NBMessageViewController")));
    EXPECT_NE(qobject_cast<NBMessageViewController *>(byName.get()), nullptr);

    NBMineViewController page;
    page.resize(728, 500);
    page.ensureLoaded();
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(page.itemOfType(0), Qt::LeftButton, {}, QPoint(100, 20));
        ASSERT_EQ(page.presentations().size(), 1);
        auto *centre = qobject_cast<NBMessageViewController *>(page.presentations().first());
        ASSERT_NE(centre, nullptr);
        EXPECT_EQ(centre->geometry(), QRect(0, 0, 728, 500));
        // Closed, it is gone: the next click makes another.
        QPointer<NBMessageViewController> shown(centre);
        centre->dismissAction();
        QTRY_VERIFY_WITH_TIMEOUT(page.presentations().isEmpty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(shown.isNull(), 5000);
    }
}
