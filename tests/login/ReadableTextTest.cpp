// Our own artwork under our own text reads at the contrast the accessibility guidelines ask of
// body text (4.5:1): the gold of the main buttons (登录, 注册并登录, 重置密码并登录, 反馈问题)
// under their light titles, the guide's "匿名使用" under its dark one, and "二维码已失效" over the
// white of a QR code.
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "app/NBGuidViewController.h"
#include "app/NBMainWindowController.h"
#include "login/signin/NBQRCodeExpireView.h"
#include "support/Contrast.h"
#include "uikit/UiImages.h"

namespace {

double contrast(const QColor &a, const QColor &b)
{
    return Contrast::ratio(a, b);
}

// The titles the gold buttons carry: white, and the light blue-grey of the form buttons.
const QList<QColor> kTitleColours{Qt::white, QColor(222, 228, 244)};

} // namespace

TEST(ReadableText, ContrastIsComputedAsTheGuidelinesDo)
{
    EXPECT_NEAR(contrast(Qt::white, Qt::black), 21.0, 0.01);
    EXPECT_NEAR(contrast(Qt::white, QColor(0x77, 0x77, 0x77)), 4.48, 0.01);
}

TEST(ReadableText, MainButtonGoldCarriesItsTitle)
{
    const QImage art = UiImages::pixmap(QStringLiteral("confirm_enable_icon"), QSize(350, 40)).toImage();
    ASSERT_FALSE(art.isNull());
    double worst = 21.0;
    // Every column between the rounded ends, along the text's middle line and above and below it.
    for (int y : {12, 20, 28}) {
        for (int x = 20; x < 330; ++x) {
            const QColor gold = art.pixelColor(x, y);
            ASSERT_EQ(gold.alpha(), 255) << x << "," << y;
            for (const QColor &title : kTitleColours)
                worst = std::min(worst, contrast(title, gold));
        }
    }
    EXPECT_GE(worst, 4.5);
}

TEST(ReadableText, GuideVisitorTitleReadsOverItsButton)
{
    // The guide as a fresh start shows it: the window's content.
    NBMainWindowController window;
    auto *guide = new NBGuidViewController;
    window.setContentViewController(guide);
    window.show();
    QPushButton *visitor = guide->visitorBtn();
    ASSERT_NE(visitor, nullptr);
    ASSERT_TRUE(visitor->isVisible());
    const QColor title = visitor->palette().color(QPalette::ButtonText);
    ASSERT_EQ(title, QColor(26, 15, 5));

    // The button as drawn, at both ends of its gold (the text sits between them).
    const QImage shot = visitor->grab().toImage();
    const int middle = shot.height() / 2;
    double worst = 21.0;
    for (int x = 24; x < shot.width() - 24; x += 8) {
        const QColor gold = shot.pixelColor(x, middle);
        if (visitor->rect().adjusted(100, 0, -100, 0).contains(x, middle))
            continue;
        worst = std::min(worst, contrast(title, gold));
    }
    EXPECT_GE(worst, 4.5);
}

TEST(ReadableText, ExpiredQrTextReadsOverTheCodesWhite)
{
    // The worst place under the text: all white modules.
    QWidget code;
    code.resize(160, 160);
    code.setAutoFillBackground(true);
    QPalette palette = code.palette();
    palette.setColor(QPalette::Window, Qt::white);
    code.setPalette(palette);
    auto *expired = new NBQRCodeExpireView(&code);
    expired->setGeometry(code.rect());

    const QImage shot = code.grab().toImage();
    const QRect text = expired->tipLab()->geometry();
    const QRect plate = expired->plateRect();
    ASSERT_TRUE(plate.contains(text));
    // Beside the glyphs, inside the plate: what the text's edges are seen against.
    double worst = 21.0;
    for (int y = text.top(); y <= text.bottom(); ++y) {
        for (int x : {plate.left() + 4, plate.right() - 4})
            worst = std::min(worst, contrast(Qt::white, shot.pixelColor(x, y)));
    }
    EXPECT_GE(worst, 4.5);
    // The cover over the rest of the code stays the light 0.1 one.
    const QColor corner = shot.pixelColor(2, 2);
    EXPECT_NEAR(corner.red(), 230, 2);
}
