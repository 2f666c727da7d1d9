// Text from outside (the service, a page, the user) on the kit's labels, toasts, HUD boxes and
// alerts: shown as it stands, never read as markup, with no control characters, and cut to a
// size a screen can lay out.
#include "uikit/FNHUD.h"
#include "uikit/NBAlertView.h"
#include "uikit/OOToastView.h"
#include "uikit/PlainText.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Markup that loads a file without end if it is ever read as rich text, with control characters
// and an emoji between plain words.
const QString kHostile = QStringLiteral("<img src=\"/dev/zero\"><b>粗</b>\x07\x1b[31m红\r\u0085\u6587 😀 &amp;");
const QString kHostileShown = QStringLiteral("<img src=\"/dev/zero\"><b>粗</b>[31m红\u6587 😀 &amp;");

QString megabyteLine()
{
    return QString(1024 * 1024, QLatin1Char('w'));
}

QLabel *labelShowing(QWidget *root, const QString &text)
{
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

class PlainTextRoads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.resize(728, 500);
        host.show();
        WindowInUse::setContentWidget(&host);
    }
    void TearDown() override
    {
        WindowInUse::setContentWidget(nullptr);
        FNHUD::hide();
        QTRY_VERIFY_WITH_TIMEOUT(host.findChildren<FNHUD *>().isEmpty(), 2000);
    }
    UiTimingScope timing{0.01};
    QWidget host;
};

} // namespace

TEST(PlainText, ControlCharactersGoLineBreaksAndTabsStay)
{
    EXPECT_EQ(PlainText::displayable(kHostile), kHostileShown);
    EXPECT_EQ(PlainText::displayable(QStringLiteral("a\nb\tc\r\nd\x7f")), QStringLiteral("a\nb\tc\nd"));
    EXPECT_EQ(PlainText::displayable(QString()), QString());
}

TEST(PlainText, LongTextIsCutOnACharacterBoundary)
{
    const QString cut = PlainText::displayable(megabyteLine());
    EXPECT_EQ(cut.size(), PlainText::kMaxChars + 1);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    EXPECT_EQ(PlainText::displayable(QStringLiteral("abcd"), 4), QStringLiteral("abcd"));

    // An emoji is two UTF-16 units: it is kept whole or left out, never halved.
    const QString emoji = QStringLiteral("ab😀😀");
    EXPECT_EQ(PlainText::displayable(emoji, 3), QStringLiteral("ab…"));
    EXPECT_EQ(PlainText::displayable(emoji, 4), QStringLiteral("ab😀…"));
    EXPECT_EQ(PlainText::displayable(emoji, 6), emoji);
    // A lone half at the end of the input is dropped as well.
    EXPECT_EQ(PlainText::displayable(QStringLiteral("ab") + QChar(0xd83d)), QStringLiteral("ab"));
}

TEST(PlainText, EscapedTextStaysTextInsideOurMarkup)
{
    EXPECT_EQ(PlainText::escaped(QStringLiteral("<img src=\"/dev/zero\">\x01&")),
              QStringLiteral("&lt;img src=&quot;/dev/zero&quot;&gt;&amp;"));
}

TEST(PlainText, LabelsNeverGuessMarkup)
{
    QWidget root;
    QLabel *made = PlainText::label(&root);
    EXPECT_EQ(made->textFormat(), Qt::PlainText);
    QLabel *withText = PlainText::label(kHostile, &root);
    EXPECT_EQ(withText->textFormat(), Qt::PlainText);
    EXPECT_EQ(withText->text(), kHostileShown);

    QLabel guessing(&root);
    PlainText::setText(&guessing, kHostile);
    EXPECT_EQ(guessing.textFormat(), Qt::PlainText);
    EXPECT_EQ(guessing.text(), kHostileShown);
    root.resize(300, 100);
    root.show();
    // Laid out and painted: a label that read the text as markup would load the picture now.
    EXPECT_GT(withText->sizeHint().width(), 0);
    QTest::qWait(1);
}

TEST_F(PlainTextRoads, ToastShowsTheServiceMessageAsTextAndStaysSmall)
{
    OOToastView *toast = showErrorToast(&host, kHostile);
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->tipLab()->textFormat(), Qt::PlainText);
    EXPECT_EQ(toast->tipLab()->text(), kHostileShown);
    toast->repaint();

    OOToastView *huge = showErrorToast(&host, megabyteLine());
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(huge->tipLab()->text().size(), OOToastView::kMaxMessageChars + 1);
    EXPECT_LT(huge->height(), host.height());
}

TEST_F(PlainTextRoads, HudShowsTheServiceMessageAsTextAndFitsTheWindow)
{
    FNHUD *box = FNHUD::showError(kHostile, &host);
    ASSERT_NE(box, nullptr);
    QLabel *label = labelShowing(box, kHostileShown);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    box->repaint();

    FNHUD *huge = FNHUD::showError(megabyteLine(), &host);
    ASSERT_NE(huge, nullptr);
    EXPECT_LE(huge->width(), host.width());
    EXPECT_LT(huge->height(), host.height() * 4);
    QLabel *cut = labelShowing(huge, PlainText::displayable(megabyteLine(), FNHUD::kMaxMessageChars));
    ASSERT_NE(cut, nullptr);
}

TEST_F(PlainTextRoads, AlertTextsAreText)
{
    auto *alert = new NBAlertView;
    alert->titleLabel()->setText(kHostile);
    alert->tipsLabel()->setText(QStringLiteral("<h1>大</h1>"));
    ASSERT_TRUE(NBBaseView::show(std::unique_ptr<NBBaseView>(alert)));
    EXPECT_EQ(alert->titleLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(alert->tipsLabel()->textFormat(), Qt::PlainText);
    // A heading would be taller than one line of the 12 px font.
    EXPECT_LE(alert->tipsLabel()->sizeHint().height(), alert->tipsLabel()->fontMetrics().height() + 2);
    alert->confirmAction();
}
