// The alert: blocks, closing, what it keeps from the window under it.
#include "uikit/ButtonColors.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/WindowInUse.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class AlertTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host = new QWidget;
        host->resize(800, 500);
        under = new QPushButton(QStringLiteral("under"), host);
        under->setGeometry(10, 10, 100, 30);
        field = new QLineEdit(host);
        field->setGeometry(10, 50, 100, 30);
        host->show();
        QApplication::setActiveWindow(host);
        field->setFocus();
        WindowInUse::setContentWidget(host);
    }
    void TearDown() override
    {
        delete host;
        WindowInUse::setContentWidget(nullptr);
    }
    QWidget *host = nullptr;
    QPushButton *under = nullptr;
    QLineEdit *field = nullptr;
};

} // namespace

TEST_F(AlertTest, ButtonsWithoutBlocksOnlyClose)
{
    for (bool confirm : {false, true}) {
        auto *alert = new NBAlertView;
        alert->titleLabel()->setText(QStringLiteral("是否确定退出登录?"));
        ASSERT_TRUE(NBBaseView::show(std::unique_ptr<NBBaseView>(alert)));
        QPointer<NBAlertView> weak(alert);
        QTest::mouseClick(confirm ? alert->confirmButton() : alert->cancleButton(), Qt::LeftButton);
        EXPECT_FALSE(alert->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), 2000);
    }
}

TEST_F(AlertTest, BlockRunsBeforeTheAlertGoesAndMayDeleteItsHost)
{
    auto *alert = new NBAlertView;
    alert->titleLabel()->setText(QStringLiteral("t"));
    ASSERT_TRUE(NBBaseView::show(std::unique_ptr<NBBaseView>(alert)));
    bool visibleDuringBlock = false;
    alert->confirmBlock = [&] {
        visibleDuringBlock = alert->isVisible();
        // Replacing the window's content deletes the alert with its parent.
        delete host;
        host = nullptr;
    };
    QPointer<NBAlertView> weak(alert);
    QTest::mouseClick(alert->confirmButton(), Qt::LeftButton);
    EXPECT_TRUE(visibleDuringBlock);
    EXPECT_TRUE(weak.isNull());
}

TEST_F(AlertTest, PressesAroundThePanelAndKeysReachNothingUnderIt)
{
    QSignalSpy clicked(under, &QPushButton::clicked);
    QSignalSpy returnPressed(field, &QLineEdit::returnPressed);
    auto *alert = new NBAlertView;
    bool ran = false;
    alert->cancelBlock = [&] { ran = true; };
    ASSERT_TRUE(NBBaseView::show(std::unique_ptr<NBBaseView>(alert)));
    QWidget *hit = host->childAt(QPoint(20, 20));
    EXPECT_EQ(hit, alert);
    QTest::mouseClick(hit, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(hit, Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(alert->isVisible()) << "a press outside the panel does not close it";
    EXPECT_FALSE(ran);
    EXPECT_FALSE(field->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(returnPressed.count(), 0);
    delete alert;
}

TEST_F(AlertTest, ARetitledButtonShowsItsTitleInTheDefaultButtonStyle)
{
    NBAlertView *alert = NBBaseView::show(std::make_unique<NBAlertView>());
    ASSERT_NE(alert, nullptr);
    NBDisableButton *cancel = alert->cancleButton();
    NBDisableButton *confirm = alert->confirmButton();
    EXPECT_EQ(ButtonColors::fontColor(cancel), QColor(222, 228, 244));
    EXPECT_EQ(ButtonColors::fontColor(confirm), QColor(26, 15, 5));

    // A new title replaces the styled one: it shows in the light appearance's button text, its
    // light text on the dark grey face and its dark text on the gold one.
    cancel->setText(QStringLiteral("重置"));
    EXPECT_EQ(cancel->text(), QStringLiteral("重置"));
    const QColor plain = ButtonColors::fontColor(cancel);
    EXPECT_NE(plain, QColor(222, 228, 244)) << "the colour set at creation no longer applies";
    EXPECT_GT(plain.lightness(), 192) << qPrintable(plain.name());
    EXPECT_EQ(ButtonColors::fontColorAt(cancel, 0), plain);
    EXPECT_EQ(ButtonColors::fontColor(confirm), QColor(26, 15, 5)) << "the other button keeps its style";
    confirm->setText(QStringLiteral("取消"));
    const QColor plainOnGold = ButtonColors::fontColor(confirm);
    EXPECT_NE(plainOnGold, QColor(26, 15, 5));
    EXPECT_LT(plainOnGold.lightness(), 64) << qPrintable(plainOnGold.name());
    // Styled again with its title, it has its colour again.
    ButtonColors::setAttributedTitleWithColor(cancel, QStringLiteral("重置"), QColor(222, 228, 244));
    EXPECT_EQ(ButtonColors::fontColor(cancel), QColor(222, 228, 244));
}

TEST_F(AlertTest, PanelLayout)
{
    auto *alert = new NBAlertView;
    alert->titleLabel()->setText(QStringLiteral("是否确定退出登录?"));
    ASSERT_TRUE(NBBaseView::show(std::unique_ptr<NBBaseView>(alert)));
    const int title = QFontMetrics(NSFontHelper::getRegularPingFangFont(14)).boundingRect(
        QRect(0, 0, 280, 10000), Qt::TextWordWrap, alert->titleLabel()->text()).height();
    RoundedPanel *panel = alert->contentView();
    EXPECT_EQ(panel->width(), 330);
    EXPECT_EQ(panel->height(), title + 96) << "no tips: buttons 25 below the title";
    EXPECT_EQ(panel->geometry().center().x(), alert->rect().center().x());
    EXPECT_EQ(alert->cancleButton()->geometry(), QRect(17, 18 + title + 25, 140, 40));
    EXPECT_EQ(alert->confirmButton()->geometry(), QRect(330 - 17 - 140, 18 + title + 25, 140, 40));
    EXPECT_EQ(alert->cancleButton()->text(), QStringLiteral("取消"));
    EXPECT_EQ(alert->confirmButton()->text(), QStringLiteral("确定"));

    alert->tipsLabel()->setText(QStringLiteral("一行说明"));
    QCoreApplication::sendPostedEvents();
    EXPECT_GT(panel->height(), title + 96) << "a tips line grows the panel";
    delete alert;
}
