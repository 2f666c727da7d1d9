// The timing scale, fades, and the small views' contracts.
#include "uikit/HHCircleView.h"
#include "uikit/NBBaseViewController.h"
#include "uikit/NBClickImageView.h"
#include "uikit/NBDrawCircleView.h"
#include "uikit/NBNavView.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/unreached/NBTimerView.h"
#include "uikit/OOBasePopupView.h"
#include "uikit/unreached/OOWindow.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "uikit/ViewFader.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(UiTiming, ScalesRoundsAndRestores)
{
    {
        UiTimingScope scope(0.01);
        EXPECT_EQ(UiTiming::ms(500), 5);
        EXPECT_EQ(UiTiming::ms(10), 1) << "a scaled step never rounds down to nothing";
        EXPECT_EQ(UiTiming::ms(0), 0);
        {
            UiTimingScope instant(0);
            EXPECT_EQ(UiTiming::ms(3000), 0);
        }
        EXPECT_DOUBLE_EQ(UiTiming::scale(), 0.01);
    }
    EXPECT_DOUBLE_EQ(UiTiming::scale(), 1.0);
    UiTiming::setScale(-3);
    EXPECT_DOUBLE_EQ(UiTiming::scale(), 1.0) << "a nonsense scale is the program's own";
}

TEST(UiTiming, HeldDelaysDoNotRunAndOthersRunFromTheLoop)
{
    QObject context;
    int runs = 0;
    {
        UiTimingScope still(0, true);
        UiTiming::singleShot(10, &context, [&] { ++runs; });
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(runs, 0);
    UiTimingScope fast(0);
    UiTiming::singleShot(10, &context, [&] { ++runs; });
    EXPECT_EQ(runs, 0) << "never inside the call";
    QTRY_COMPARE_WITH_TIMEOUT(runs, 1, 2000);
    auto *gone = new QObject;
    UiTiming::singleShot(0, gone, [&] { ++runs; });
    delete gone;
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1) << "a delayed step of a deleted owner does nothing";
}

TEST(ViewFader, FadeInDropsItsEffectAndFadeOutReportsTheEnd)
{
    UiTimingScope fast(0.01);
    QWidget widget;
    widget.show();
    ViewFader::fade(&widget, 0.0, 1.0, 500);
    EXPECT_DOUBLE_EQ(ViewFader::opacity(&widget), 0.0);
    QTRY_VERIFY_WITH_TIMEOUT(widget.graphicsEffect() == nullptr, 2000);
    EXPECT_DOUBLE_EQ(ViewFader::opacity(&widget), 1.0);

    bool done = false;
    ViewFader::fade(&widget, 1.0, 0.0, 500, [&] { done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done, 2000);
    EXPECT_NEAR(ViewFader::opacity(&widget), 0.0, 0.001);
    ViewFader::stop(&widget);
    EXPECT_DOUBLE_EQ(ViewFader::opacity(&widget), 1.0);
}

TEST(Presentation, ARetainedScreenPresentedAgainDuringItsFadeStaysPresented)
{
    UiTimingScope instant(0);
    NBBaseViewController from;
    from.show();
    auto *to = new NBBaseViewController;
    to->setRetainer(&from);
    from.presentRetainedViewController(to, new NBPresentationAnimator(to, &from));
    from.dismissViewController(to);
    ASSERT_TRUE(from.presentRetainedViewController(to, new NBPresentationAnimator(to, &from)));
    QPointer<NBBaseViewController> weak(to);
    // The first dismissal's delayed step (due at once) runs: it must leave the new presentation alone.
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(weak);
    EXPECT_EQ(to->presentingViewController(), &from);
    EXPECT_TRUE(to->isVisible());
    EXPECT_EQ(from.childViewControllers(), QList<NBBaseViewController *>{to});
    EXPECT_EQ(from.presentations().size(), 1);
}

TEST(SmallViews, ClickImageViewNavBarPopupPanelAndRing)
{
    NBClickImageView image;
    QTest::mouseClick(&image, Qt::LeftButton); // no block: nothing happens
    int clicks = 0;
    image.clickActionBlock = [&] { ++clicks; };
    QTest::mouseClick(&image, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    NBNavView nav;
    nav.resize(728, 60);
    nav.show();
    EXPECT_EQ(nav.backBtn()->geometry(), QRect(23, (60 - 35) / 2, 35, 35));
    EXPECT_EQ(nav.titleLab()->text(), QStringLiteral("选择区域"));
    EXPECT_EQ(nav.titleLab()->font().pixelSize(), 14);

    OOBasePopupView popup;
    EXPECT_EQ(popup.contentView()->backgroundColor(), QColor(23, 35, 48));
    EXPECT_EQ(popup.contentView()->cornerRadius(), 8);

    NBCircleViewConfig config;
    config.circleLineWidth = 4;
    config.colorArray = {Qt::red};
    HHCircleView ring(QRect(0, 0, 80, 80), config);
    ring.setProgress(0.5);
    EXPECT_DOUBLE_EQ(ring.drawCicleView()->progress(), 0.5);
    EXPECT_EQ(ring.drawCicleView()->geometry(), ring.rect());
}

TEST(SmallViews, EveryImageTheKitNamesIsInTheResources)
{
    for (const char *name : {"hud_error_icon", "hud_ok_icon", "hud_warn_icon", "hud_net_weak_icon", "hud_loading_icon",
                             "loading", "yy_hud_success", "yy_hud_fail", "hud_spinner", "pop_cancle", "pop_sure",
                             "yanjing", "yanjing-biyan", "rebackgroup"}) {
        EXPECT_TRUE(UiImages::exists(QString::fromLatin1(name))) << name;
        EXPECT_FALSE(UiImages::pixmap(QString::fromLatin1(name), QSize(16, 16)).isNull()) << name;
    }
    EXPECT_TRUE(UiImages::pixmap(QStringLiteral("no_such_image"), QSize(16, 16)).isNull());
}

TEST(SmallViews, TitleLessWindowDropsZoomAndKeepsItsTitleBarAway)
{
    OOWindow window;
    EXPECT_TRUE(window.isWindow());
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint) << "the content covers the title bar";
    window.setWindowFlags(window.windowFlags() | Qt::WindowMaximizeButtonHint);
    window.show();
    window.relayoutWindowButtons();
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint) << "the title bar stays away";
    EXPECT_TRUE(window.isVisible()) << "a shown window stays shown";
}

TEST(SmallViews, TimerViewButtonCallsItsBlockWhenSet)
{
    NBTimerView view;
    view.resize(200, 40);
    view.show();
    QPushButton *button = view.button();
    EXPECT_EQ(view.button(), button) << "made once";
    button->setGeometry(0, 0, 100, 30);
    QTest::mouseClick(button, Qt::LeftButton);
    int clicks = 0;
    view.clickBlock = [&] { ++clicks; };
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(view.timeLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(view.privatyAttrLabel()->parentWidget(), &view);
}
