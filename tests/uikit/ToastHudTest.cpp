// Toasts, HUD boxes and loading covers: where they sit, what they block, and that they go away.
#include "uikit/FNHUD.h"
#include "uikit/HUDNoMouseView.h"
#include "uikit/NBBaseLoadingView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "uikit/ConnectImageView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiTiming.h"
#include "uikit/ViewFader.h"

#include <QAbstractAnimation>
#include <QVariantAnimation>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <climits>

#include <gtest/gtest.h>

namespace {

class ToastHudTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(728, 500);
        button = new QPushButton(QStringLiteral("under"), &host);
        button->setGeometry(300, 200, 120, 40);
        host.show();
    }
    void TearDown() override
    {
        FNHUD::hide();
        QTRY_VERIFY_WITH_TIMEOUT(host.findChildren<FNHUD *>().isEmpty(), 2000);
    }
    UiTimingScope timing{0.01};
    QWidget host;
    QPushButton *button = nullptr;
};

} // namespace

TEST_F(ToastHudTest, ToastRisesFromTheBottomEdgeAndIsDeletedAfterItsPause)
{
    bool completed = false;
    int yAtCompletion = -1;
    QPointer<OOToastView> toast;
    toast = showToast(&host, QStringLiteral("已复制"), QStringLiteral("hud_ok_icon"), QColor(1, 39, 13),
                      QColor(193, 255, 203), [&] {
                          completed = true;
                          yAtCompletion = toast ? toast->y() : -2;
                      });
    ASSERT_TRUE(toast);
    const int height = toast->height();
    EXPECT_EQ(toast->width(), 300);
    EXPECT_EQ(height, OOToastView::heightForMessage(QStringLiteral("已复制")));
    EXPECT_EQ(toast->x(), (728 - 300) / 2);
    EXPECT_EQ(toast->y(), 500 - height) << "starts at the bottom edge";
    EXPECT_FALSE(completed);

    QTRY_VERIFY_WITH_TIMEOUT(completed, 2000);
    EXPECT_EQ(yAtCompletion, 500 - height - 100) << "rose 100 px and is still there when the rise ends";
    QTRY_VERIFY_WITH_TIMEOUT(toast.isNull(), 2000);
}

TEST_F(ToastHudTest, LongMessagesGrowTheToastInHeightOnly)
{
    const QString shortText = QStringLiteral("短");
    const QString longText = QStringLiteral("网络较慢，请稍后再试。网络较慢，请稍后再试。网络较慢，请稍后再试。网络较慢，请稍后再试。");
    OOToastView *small = showErrorToast(&host, shortText);
    OOToastView *tall = showErrorToast(&host, longText);
    const QFontMetrics metrics(NSFontHelper::getRegularPingFangFont(12));
    const int measured = metrics.boundingRect(QRect(0, 0, 233, INT_MAX), Qt::TextWordWrap, longText).height();
    EXPECT_EQ(tall->height(), measured + 31);
    EXPECT_GT(tall->height(), small->height());
    EXPECT_EQ(tall->width(), 300);
    // Both are up at once, overlapping.
    EXPECT_EQ(host.findChildren<OOToastView *>().size(), 2);
}

TEST_F(ToastHudTest, ToastKindsTakeTheirColoursAndClicksPassThrough)
{
    OOToastView *toast = showWarnToast(&host, QStringLiteral("warn"));
    EXPECT_EQ(toast->contentView()->backgroundColor(), QColor(2, 39, 61));
    EXPECT_EQ(toast->tipLab()->palette().color(QPalette::WindowText), QColor(184, 229, 255));
    EXPECT_FALSE(toast->iconImgView()->pixmap().isNull());
    EXPECT_TRUE(toast->testAttribute(Qt::WA_TransparentForMouseEvents));
    OOToastView *weak = showNetWeakToast(&host);
    EXPECT_FALSE(weak->tipLab()->text().isEmpty());
    EXPECT_EQ(showToast(nullptr, QStringLiteral("x"), {}, Qt::black, Qt::white), nullptr);
}

TEST_F(ToastHudTest, HudBoxGeometryFollowsTheMessage)
{
    FNHUD::setup();
    const QRect textOnly = FNHUD::calcRect(QStringLiteral("ok"), false, QSize(728, 500));
    EXPECT_EQ(textOnly.width(), 120 + 40) << "at least 120 wide plus the margins";
    const QRect withImage = FNHUD::calcRect(QStringLiteral("ok"), true, QSize(728, 500));
    EXPECT_EQ(withImage.height(), textOnly.height() + 58);
    EXPECT_EQ(withImage.center().x(), textOnly.center().x());
    EXPECT_NEAR(withImage.center().y(), 250, 1);

    FNHUD *box = FNHUD::showSuccess(QStringLiteral("ok"), &host);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->geometry(), withImage);
    const QList<QLabel *> labels = box->findChildren<QLabel *>();
    ASSERT_EQ(labels.size(), 2);
    const QLabel *text = labels.at(0)->text().isEmpty() ? labels.at(1) : labels.at(0);
    const QLabel *image = labels.at(0)->text().isEmpty() ? labels.at(0) : labels.at(1);
    EXPECT_EQ(image->geometry(), QRect((box->width() - 48) / 2, 20, 48, 48)) << "image at the top margin";
    EXPECT_EQ(text->y(), 20 + 58) << "text under the image band";
}

TEST_F(ToastHudTest, LoadingHudBlocksTheWholeViewUntilHidden)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    FNHUD::showLoading(QString(), &host);
    const QList<QWidget *> shown = FNHUD::shownViews();
    ASSERT_EQ(shown.size(), 1);
    auto *mask = qobject_cast<HUDNoMouseView *>(shown.first());
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->geometry(), host.rect());
    QWidget *hit = host.childAt(QPoint(10, 10));
    EXPECT_EQ(hit, mask);
    QTest::mouseClick(hit, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 0);

    QPointer<QWidget> weak(mask);
    FNHUD::hide();
    EXPECT_TRUE(FNHUD::shownViews().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), 2000);
}

TEST_F(ToastHudTest, NextHudReplacesTheShownOneAndAutoHiddenBoxesAreDeleted)
{
    // Slow enough that the error box is surely still up when the message box has gone.
    UiTimingScope slower(0.3);
    QPointer<FNHUD> message = FNHUD::showMessage(QStringLiteral("message"), &host);
    QPointer<FNHUD> error = FNHUD::showError(QStringLiteral("error"), &host);
    EXPECT_EQ(FNHUD::shownViews(), QList<QWidget *>{error.data()});
    QTRY_VERIFY_WITH_TIMEOUT(message.isNull(), 2000);
    ASSERT_TRUE(error);
    // 3 s later (scaled) the error box fades and is deleted, not left transparent in place.
    QTRY_VERIFY_WITH_TIMEOUT(error.isNull(), 3000);
    EXPECT_TRUE(FNHUD::shownViews().isEmpty());
    EXPECT_EQ(FNHUD::showMessage(QStringLiteral("x"), nullptr), nullptr);
}

TEST_F(ToastHudTest, LoadingCoversFillTheirHostAndCenterTheirSpinner)
{
    QSignalSpy clicked(button, &QPushButton::clicked);
    QPointer<OOLoadingView> cover = OOLoadingView::cover(&host);
    ASSERT_TRUE(cover);
    EXPECT_EQ(cover->geometry(), host.rect());
    EXPECT_EQ(cover->iconImgView()->geometry(), QRect((728 - 30) / 2, (500 - 30) / 2, 30, 30));
    EXPECT_TRUE(cover->iconImgView()->isRotating());
    EXPECT_TRUE(cover->iconImgView()->isClockwise());
    QTest::mouseClick(host.childAt(button->geometry().center()), Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
    cover->closeOverlay();
    QTRY_VERIFY_WITH_TIMEOUT(cover.isNull(), 2000);

    auto *box = new NBBaseLoadingView(&host);
    box->show();
    EXPECT_EQ(box->geometry(), host.rect());
    EXPECT_EQ(box->contentView()->geometry(), QRect((728 - 32) / 2, (500 - 32) / 2, 32, 32));
    QTest::mouseClick(host.childAt(button->geometry().center()), Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
    delete box;
}

// Where the drawn arc of the spinner lies: the mean position of its blue pixels.
QPointF blueCentre(const QImage &image)
{
    QPointF sum;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 128 && c.blue() > 200 && c.red() < 120) {
                sum += QPointF(x, y);
                ++count;
            }
        }
    }
    return count ? sum / count : QPointF(-1, -1);
}

TEST_F(ToastHudTest, RotationTurnsTheDrawnImageTheWayAskedAndRestarts)
{
    // The icon's arc starts in the top right quarter; a quarter turn moves it to the next one.
    for (const bool clockwise : {true, false}) {
        ConnectImageView view;
        view.resize(30, 30);
        view.setRotating(clockwise);
        EXPECT_EQ(view.isClockwise(), clockwise);
        const QList<QVariantAnimation *> animations = view.findChildren<QVariantAnimation *>();
        ASSERT_EQ(animations.size(), 1);
        QVariantAnimation *turn = animations.first();
        turn->setCurrentTime(0);
        const QPointF start = blueCentre(view.grab().toImage());
        EXPECT_GT(start.x(), 15);
        EXPECT_LT(start.y(), 15);
        turn->setCurrentTime(turn->duration() / 4);
        const QPointF quarter = blueCentre(view.grab().toImage());
        if (clockwise) {
            EXPECT_GT(quarter.x(), 15) << "clockwise: to the bottom right";
            EXPECT_GT(quarter.y(), 15);
        } else {
            EXPECT_LT(quarter.x(), 15) << "counter-clockwise: to the top left";
            EXPECT_LT(quarter.y(), 15);
        }
    }

    ConnectImageView view;
    view.resize(30, 30);
    view.setRotating(false);
    view.setRotating(true);
    int running = 0;
    for (QAbstractAnimation *animation : view.findChildren<QAbstractAnimation *>())
        running += animation->state() == QAbstractAnimation::Running ? 1 : 0;
    EXPECT_EQ(running, 1) << "the second call replaces the first";
    UiTimingScope still(0);
    view.setRotating(true);
    EXPECT_FALSE(view.isRotating()) << "with transitions ended at once the image stands still";
}
