// Overlays keep clicks and the keyboard away from what lies under them, and give the focus back.
#include "uikit/NBBaseView.h"
#include "uikit/NBControllerView.h"
#include "uikit/NBMaskView.h"
#include "uikit/OOBasePopupView.h"
#include "uikit/UiLog.h"
#include "uikit/WindowInUse.h"
#include "support/MessageCapture.h"

#include <QApplication>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A window with a button and a field that would react if anything got through.
struct Window
{
    Window()
    {
        host.resize(800, 500);
        button = new QPushButton(QStringLiteral("under"), &host);
        button->setGeometry(10, 10, 200, 40);
        field = new QLineEdit(&host);
        field->setGeometry(10, 60, 200, 30);
        host.show();
        QApplication::setActiveWindow(&host);
        field->setFocus();
        WindowInUse::setContentWidget(&host);
    }
    ~Window() { WindowInUse::setContentWidget(nullptr); }
    QWidget host;
    QPushButton *button;
    QLineEdit *field;
};

} // namespace

TEST(Overlay, EveryOverlayKindSwallowsPressesOverTheWidgetsUnderIt)
{
    Window window;
    QSignalSpy clicked(window.button, &QPushButton::clicked);
    QList<OverlayWidget *> overlays{new NBBaseView, new OOBasePopupView(&window.host), new NBMaskView(&window.host)};
    for (OverlayWidget *overlay : overlays) {
        overlay->setParent(&window.host);
        overlay->setGeometry(window.host.rect());
        overlay->show();
        overlay->raise();
        QWidget *hit = window.host.childAt(QPoint(20, 20));
        EXPECT_EQ(hit, overlay) << overlay->metaObject()->className();
        QTest::mouseClick(hit, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseClick(hit, Qt::RightButton, {}, QPoint(20, 20));
        delete overlay;
    }
    EXPECT_EQ(clicked.count(), 0);
}

TEST(Overlay, ScreenBackgroundStopsPresses)
{
    int parentPresses = 0;
    struct Counting : QWidget
    {
        int *count;
        void mousePressEvent(QMouseEvent *) override { ++*count; }
    };
    auto *counting = new Counting;
    counting->count = &parentPresses;
    auto *root = new NBControllerView(NBControllerView::contentSize(), counting);
    QTest::mouseClick(root, Qt::LeftButton);
    EXPECT_EQ(parentPresses, 0);
    EXPECT_EQ(root->size(), QSize(728, 500));
    delete counting;
}

TEST(Overlay, ShownPopupTakesTheFocusKeepsEnterAndGivesTheFocusBack)
{
    Window window;
    ASSERT_TRUE(window.field->hasFocus());
    QSignalSpy returnPressed(window.field, &QLineEdit::returnPressed);

    NBBaseView *popup = NBBaseView::show(std::make_unique<NBBaseView>());
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->parentWidget(), &window.host);
    EXPECT_EQ(popup->geometry(), window.host.rect()) << "fills the window's content";
    EXPECT_FALSE(window.field->hasFocus());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
    // Tab stays inside the overlay.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(window.field->hasFocus());
    EXPECT_FALSE(window.button->hasFocus());
    EXPECT_EQ(returnPressed.count(), 0);
    EXPECT_TRUE(window.field->text().isEmpty());

    window.host.resize(900, 600);
    EXPECT_EQ(popup->geometry(), window.host.rect()) << "follows the window's size";

    QPointer<NBBaseView> weak(popup);
    popup->closeOverlay();
    EXPECT_TRUE(window.field->hasFocus()) << "the focus goes back to the field";
    QTRY_VERIFY_WITH_TIMEOUT(weak.isNull(), 2000);
}

TEST(Overlay, ShowWithoutAWindowInUseReportsFailure)
{
    WindowInUse::setContentWidget(nullptr);
    auto made = std::make_unique<NBBaseView>();
    QPointer<NBBaseView> popup(made.get());
    EXPECT_EQ(NBBaseView::show(std::move(made)), nullptr);
    EXPECT_TRUE(popup.isNull()) << "a popup no window takes is not left behind";
}

TEST(Overlay, ShowLogsTheWindowItGoesOverBetweenTwoRules)
{
    QLoggingCategory::setFilterRules(QStringLiteral("ostrel.ui.debug=true"));
    Window window;
    window.host.setObjectName(QStringLiteral("theWindowInUse"));
    QStringList lines;
    {
        MessageCapture capture;
        // Any overlay goes the same road, not only the panel popups.
        ASSERT_NE(NBBaseView::show(std::make_unique<NBMaskView>()), nullptr);
        lines = capture.messages();
    }
    const qsizetype first = lines.indexOf(QStringLiteral(" ========= "));
    ASSERT_GE(first, 0) << lines.join(QLatin1Char('|')).toStdString();
    ASSERT_LT(first + 2, lines.size());
    EXPECT_TRUE(lines.at(first + 1).contains(QStringLiteral("theWindowInUse"))) << lines.at(first + 1).toStdString();
    EXPECT_EQ(lines.at(first + 2), QStringLiteral(" ========= "));
    EXPECT_EQ(window.host.findChildren<NBMaskView *>().size(), 1);
}
