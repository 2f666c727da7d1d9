// The small widgets: fields, buttons, theme, fonts, circle arc, link markup.
#include "uikit/ButtonColors.h"
#include "uikit/ColorHelpers.h"
#include "uikit/LMAppThemeHelper.h"
#include "uikit/unreached/LMThemeColors.h"
#include "uikit/LMGradientTitleButton.h"
#include "uikit/unreached/LMTitleButton.h"
#include "uikit/unreached/LinkMarkup.h"
#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBDrawCircleView.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/NBTrackButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/ScreenFactory.h"
#include "uikit/PlaceholderViewController.h"
#include "uikit/PressClick.h"
#include "uikit/unreached/TextFieldPlaceholderLabel.h"
#include "uikit/TextFieldStyle.h"
#include "common/ClickableFlag.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

TEST(SecureTextView, EyeShowsAndHidesTheSameText)
{
    QWidget window;
    NBSecureTextView box(&window);
    box.resize(300, 40);
    QLineEdit other(&window);
    window.show();
    QApplication::setActiveWindow(&window);

    box.secTextFiled()->setFocus();
    QTest::keyClicks(box.secTextFiled(), QStringLiteral("abc"));
    EXPECT_FALSE(box.isTextShown());
    EXPECT_EQ(box.secTextFiled()->echoMode(), QLineEdit::Password);
    QTest::mouseClick(box.secrityButton(), Qt::LeftButton);
    EXPECT_TRUE(box.isTextShown());
    EXPECT_EQ(box.textFiled()->displayText(), QStringLiteral("abc"));
    QTest::keyClicks(box.textFiled(), QStringLiteral("d"));
    QTest::mouseClick(box.secrityButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isTextShown());
    EXPECT_EQ(box.secTextFiled()->text(), QStringLiteral("abcd"));
    EXPECT_NE(box.secTextFiled()->displayText(), QStringLiteral("abcd"));

    QTest::keyClicks(&other, QStringLiteral("zz"));
    EXPECT_EQ(box.secTextFiled()->text(), QStringLiteral("abcd")) << "other fields leave the password alone";
    EXPECT_EQ(box.secTextFiled()->geometry().left(), 23);
    EXPECT_EQ(box.secrityButton()->geometry(), QRect(300 - 23 - 14, (40 - 11) / 2, 14, 11));
}

TEST(TextFields, PlaceholderStyleClearsTheValueAndLabelFieldsTakeNoFocus)
{
    NBCustomTextField field;
    field.setPlaceholderText(QStringLiteral("手机号"));
    field.setText(QStringLiteral("typed"));
    TextFieldStyle::setPlaceholder(&field);
    EXPECT_TRUE(field.text().isEmpty());
    EXPECT_EQ(field.palette().color(QPalette::PlaceholderText), QColor(101, 101, 103));
    EXPECT_EQ(field.font().pixelSize(), 12);
    EXPECT_EQ(field.palette().color(QPalette::Text), QColor(Qt::white)) << "white text and caret";

    QWidget window;
    NBBaseTextField label(QStringLiteral("label"), &window);
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::mouseClick(&label, Qt::LeftButton);
    QTest::mouseDClick(&label, Qt::LeftButton);
    EXPECT_FALSE(label.hasFocus());
    EXPECT_FALSE(label.hasSelectedText());
}

TEST(TextFields, PlaceHolderViewShowsItsPlaceholderOnlyWhileEmpty)
{
    NBPlaceHolderView view;
    EXPECT_TRUE(view.isPlaceholderShown());
    EXPECT_EQ(view.palette().color(QPalette::PlaceholderText), QColor(123, 123, 123));
    view.show();
    QTest::keyClicks(&view, QStringLiteral("x"));
    EXPECT_FALSE(view.isPlaceholderShown());
}

TEST(TextFields, AnyFieldCarriesAPlaceholderLabelShownWhileTheUserEmptiedIt)
{
    QWidget window;
    QLineEdit field(&window);
    field.setGeometry(0, 0, 200, 40);
    QFont font = field.font();
    font.setPixelSize(15);
    field.setFont(font);
    window.show();
    QLabel *label = TextFieldPlaceholderLabel::x_placeholderLabel(&field);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(TextFieldPlaceholderLabel::x_placeholderLabel(&field), label) << "one label per field";
    EXPECT_EQ(label->parentWidget(), &field);
    EXPECT_EQ(label->geometry(), QRect(2, 7, 198, 33));
    EXPECT_EQ(label->font().pixelSize(), 15);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(12, 26, 38));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    TextFieldPlaceholderLabel::setX_placeholderText(&field, QStringLiteral("<b>邮箱</b>"));

    field.setFocus();
    QTest::keyClicks(&field, QStringLiteral("a"));
    EXPECT_TRUE(label->isHidden());
    EXPECT_TRUE(label->text().isEmpty());
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_FALSE(label->isHidden());
    EXPECT_EQ(label->text(), QStringLiteral("<b>邮箱</b>"));

    // Another field's typing is not this one's.
    QLineEdit other(&window);
    other.show();
    other.setFocus();
    QTest::keyClicks(&other, QStringLiteral("x"));
    EXPECT_FALSE(label->isHidden());

    auto *replacement = new QLabel;
    TextFieldPlaceholderLabel::setX_placeholderLabel(&field, replacement);
    EXPECT_EQ(TextFieldPlaceholderLabel::x_placeholderLabel(&field), replacement);
    EXPECT_EQ(replacement->parentWidget(), &field) << "a label set later is shown in the field too";
    field.resize(300, 40);
    EXPECT_EQ(replacement->geometry(), QRect(2, 7, 298, 33));
    field.setFocus();
    QTest::keyClicks(&field, QStringLiteral("b"));
    EXPECT_TRUE(replacement->isHidden());
}

TEST(Buttons, TitleColourOverPartOfTheTitle)
{
    LMTitleButton button(QStringLiteral("AB"));
    QFont font = button.font();
    font.setPixelSize(24);
    font.setBold(true);
    button.setFont(font);
    button.resize(80, 40);
    ButtonColors::setFontColor(&button, Qt::white);
    ButtonColors::setFontColor(&button, Qt::red, 1, 1);
    EXPECT_EQ(ButtonColors::fontColorAt(&button, 0), QColor(Qt::white));
    EXPECT_EQ(ButtonColors::fontColorAt(&button, 1), QColor(Qt::red));

    // Drawn: white ink left of the middle, red ink right of it, and no red on the left.
    const QImage image = button.grab().toImage();
    const auto count = [&](int from, int to, auto match) {
        int n = 0;
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < image.height(); ++y)
                n += match(image.pixelColor(x, y)) ? 1 : 0;
        }
        return n;
    };
    const auto red = [](const QColor &c) { return c.red() > 180 && c.green() < 80 && c.blue() < 80; };
    const auto white = [](const QColor &c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; };
    const int middle = image.width() / 2;
    EXPECT_GT(count(0, middle, white), 10);
    EXPECT_EQ(count(0, middle, red), 0);
    EXPECT_GT(count(middle, image.width(), red), 10);

    // A range past the end colours what exists; a new title or a whole-title colour drops parts.
    ButtonColors::setFontColor(&button, Qt::green, 0, 10);
    EXPECT_EQ(ButtonColors::fontColorAt(&button, 1), QColor(Qt::green));
    button.setText(QStringLiteral("CD"));
    EXPECT_EQ(ButtonColors::fontColorAt(&button, 1), QColor(Qt::white));
    ButtonColors::setFontColor(&button, Qt::red, 0, 1);
    ButtonColors::setFontColor(&button, Qt::blue);
    EXPECT_EQ(ButtonColors::fontColorAt(&button, 0), QColor(Qt::blue));
    ButtonColors::setFontColor(&button, Qt::red, 5, 1);
    ButtonColors::setFontColor(&button, Qt::red, -1, 1);
    EXPECT_EQ(ButtonColors::fontColorAt(&button, 0), QColor(Qt::blue)) << "ranges outside the title do nothing";
}

TEST(TextFields, PlaceHolderViewDrawsItsPlaceholderEightPixelsInside)
{
    NBPlaceHolderView view;
    view.setFrameShape(QFrame::NoFrame);
    view.setPlaceholderAttributedString(QString(QStringLiteral("|| ")).repeated(40));
    view.resize(200, 60);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, Qt::black);
    view.setPalette(palette);
    view.show();
    const QImage image = view.viewport()->grab().toImage();
    // The ink of the placeholder (grey on black): its first and last columns.
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) > 40) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    ASSERT_GE(first, 0) << "no placeholder drawn";
    EXPECT_GE(first, 8);
    EXPECT_LE(first, 10);
    EXPECT_LE(last, image.width() - 1 - 8) << "the text stays 8 px inside the right edge";
}

TEST(Buttons, DisableButtonIgnoresClicksWhileItsFlagIsFalse)
{
    NBDisableButton button(QStringLiteral("发送"));
    button.resize(100, 30);
    QSignalSpy clicked(&button, &QPushButton::clicked);
    ClickableFlag::setIsClickable(&button, false);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::RightButton);
    QTest::keyClick(&button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 0);
    ClickableFlag::setIsClickable(&button, true);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    ClickableFlag::setIsClickable(&button, std::nullopt);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 2) << "unset is clickable";
}

namespace {

// A window that counts the presses reaching its background.
class PressCountingWindow : public QWidget
{
public:
    int backgroundPresses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override { ++backgroundPresses, event->ignore(); }
};

} // namespace

// Gestures as the window delivers them (a double click's second press comes as a double click).
TEST(Buttons, OneBigButtonActsAtThePressOrOnAClickThatStayedOnIt)
{
    struct Step { QTest::MouseAction action; QPoint offset; Qt::MouseButton button = Qt::LeftButton; };
    struct Gesture { const char *name; QList<Step> steps; int actsOnPress; int actsOnRelease; };
    const QPoint far(QApplication::startDragDistance() + 2, 0);
    const QPoint below(0, 40);
    const QList<Gesture> gestures{
        {"a click", {{QTest::MouseClick, {}}}, 1, 1},
        {"a tremor", {{QTest::MousePress, {}}, {QTest::MouseMove, {1, 1}}, {QTest::MouseRelease, {1, 1}}}, 1, 1},
        {"a double click", {{QTest::MouseDClick, {}}}, 2, 2},
        {"a drag let go on it", {{QTest::MousePress, {}}, {QTest::MouseMove, far}, {QTest::MouseRelease, far}}, 1, 0},
        {"a drag brought back",
         {{QTest::MousePress, {}}, {QTest::MouseMove, far}, {QTest::MouseMove, {}}, {QTest::MouseRelease, {}}}, 1, 0},
        {"let go below it", {{QTest::MousePress, {}}, {QTest::MouseMove, below}, {QTest::MouseRelease, below}}, 1, 0},
        {"a right click", {{QTest::MouseClick, {}, Qt::RightButton}}, 0, 0},
    };
    for (const PressClick::ActsOn actsOn : {PressClick::ActsOn::Press, PressClick::ActsOn::Release}) {
        const bool onPress = actsOn == PressClick::ActsOn::Press;
        for (const Gesture &gesture : gestures) {
            PressCountingWindow window;
            window.resize(300, 200);
            auto *control = new QWidget(&window);
            control->setGeometry(100, 80, 100, 40);
            int actions = 0;
            PressClick::attach(control, actsOn, [&actions] { ++actions; });
            window.show();
            const QPoint centre = control->geometry().center();
            for (const Step &step : gesture.steps) {
                QTest::mouseEvent(step.action, window.windowHandle(), step.button, {}, centre + step.offset);
                if (step.action == QTest::MousePress) {
                    EXPECT_EQ(actions, onPress ? 1 : 0) << gesture.name << ", as the button goes down";
                }
            }
            EXPECT_EQ(actions, onPress ? gesture.actsOnPress : gesture.actsOnRelease)
                << gesture.name << (onPress ? " on press" : " on release");
            EXPECT_EQ(window.backgroundPresses, 0) << gesture.name << ": the control keeps its presses";
        }
    }
}

TEST(Buttons, TitleButtonColoursFollowTheMouse)
{
    LMTitleButton button(QStringLiteral("t"));
    button.resize(80, 30);
    button.setDefaultTitleColor(Qt::gray);
    button.setHoverTitleColor(Qt::white);
    button.setDownTitleColor(Qt::darkGray);
    QSignalSpy clicked(&button, &QPushButton::clicked);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.currentTitleColor(), QColor(Qt::white));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.currentTitleColor(), QColor(Qt::darkGray));
    // Released outside: no action, back to the default colour.
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(button.currentTitleColor(), QColor(Qt::gray));
}

TEST(Buttons, GradientButtonStatesAndDisabledLook)
{
    LMGradientTitleButton button(QStringLiteral("go"));
    button.resize(100, 30);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.state(), LMGradientTitleButton::State::Hover);
    button.setEnabled(false);
    EXPECT_EQ(button.state(), LMGradientTitleButton::State::Disabled);
    EXPECT_EQ(button.titleColorFor(button.state()), ColorHelpers::colorWithHex(0x7E7E7E));
    QApplication::sendEvent(&button, &enter);
    button.setEnabled(true);
    EXPECT_EQ(button.state(), LMGradientTitleButton::State::Normal) << "the mouse went nowhere while disabled";
    button.hoverColorArray.clear();
    EXPECT_EQ(button.gradientFor(LMGradientTitleButton::State::Hover), button.normalColorArray) << "missing falls back to normal";
    const QColor normalPixel = button.grab().toImage().pixelColor(5, 5);
    button.setEnabled(false);
    const QColor disabledPixel = button.grab().toImage().pixelColor(5, 5);
    EXPECT_GT(normalPixel.green(), normalPixel.red() + 60) << "green gradient";
    EXPECT_NEAR(disabledPixel.red(), 0xD7, 3);
    EXPECT_NEAR(disabledPixel.green(), 0xF7, 3);
    EXPECT_NEAR(disabledPixel.blue(), 0xEC, 3);
}

TEST(Buttons, TrackButtonShowsThePointingHandInside)
{
    NBTrackButton button(QStringLiteral("link"));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_EQ(button.cursor().shape(), Qt::ArrowCursor);
}

TEST(Theme, HexColoursAppearanceAndPixelFonts)
{
    EXPECT_EQ(ColorHelpers::colorWithHex(0x0787FF), QColor(7, 135, 255));
    LMAppThemeHelper::setDarkMode(true);
    const QColor dark = LMThemeColors::getFixedMainBgColor();
    EXPECT_EQ(dark, ColorHelpers::colorWithHex(0x242633));
    LMAppThemeHelper::setDarkMode(false);
    EXPECT_EQ(LMThemeColors::getFixedMainBgColor(), QColor(Qt::white));
    EXPECT_EQ(dark, ColorHelpers::colorWithHex(0x242633)) << "a colour read earlier keeps its value";
    LMAppThemeHelper::setDarkMode(true);
    EXPECT_TRUE(LMThemeColors::getTitleColor().isValid());
    EXPECT_FALSE(LMAppThemeHelper::namedColor(QStringLiteral("no_such_color")).isValid());

    const QFont font = NSFontHelper::getRegularPingFangFont(12);
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.pointSize(), -1) << "pixel sized, never point sized";
    EXPECT_TRUE(font.families().contains(QStringLiteral("Noto Sans CJK SC")));
    EXPECT_EQ(NSFontHelper::getMediumPingFangFont(14).weight(), QFont::Medium);
}

// The mean position of the drawn pixels of a circle view, from its centre, y up.
QPointF drawnCentre(QWidget &view)
{
    const QImage image = view.grab().toImage();
    QPointF sum;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            // The arc's red-to-blue has no green; whatever lies behind it does.
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 128 && c.green() < 100) {
                sum += QPointF(x + 0.5 - image.width() / 2.0, image.height() / 2.0 - (y + 0.5));
                ++count;
            }
        }
    }
    return count ? sum / count : QPointF();
}

TEST(CircleView, ArcSweepsByProgressAndDirection)
{
    NBCircleViewConfig config;
    config.circleLineWidth = 6;
    config.colorArray = {Qt::red, Qt::blue};
    config.isCloseWise = true;
    NBDrawCircleView ccw(config);
    ccw.resize(100, 100);
    EXPECT_DOUBLE_EQ(ccw.sweepDegrees(), 2.0);
    ccw.setProgress(1);
    EXPECT_DOUBLE_EQ(ccw.sweepDegrees(), 359.75);
    config.isCloseWise = false;
    NBDrawCircleView cw(config);
    cw.resize(100, 100);
    EXPECT_DOUBLE_EQ(cw.sweepDegrees(), -2.0);
    cw.setProgress(1);
    EXPECT_DOUBLE_EQ(cw.sweepDegrees(), -359.75);
    cw.grab();
    EXPECT_EQ(cw.circleConfig().colorSizeArray, (QList<double>{0.0, 0.5}));

    // What is drawn: a quarter sweep from 3 o'clock lies above it when counter-clockwise and
    // below it when clockwise; a whole sweep goes round.
    ccw.setProgress(0.25);
    const QPointF up = drawnCentre(ccw);
    EXPECT_GT(up.x(), 10);
    EXPECT_GT(up.y(), 10) << "counter-clockwise on screen";
    cw.setProgress(0.25);
    const QPointF down = drawnCentre(cw);
    EXPECT_GT(down.x(), 10);
    EXPECT_LT(down.y(), -10) << "clockwise on screen";
    cw.setProgress(1);
    const QPointF round = drawnCentre(cw);
    EXPECT_LT(qAbs(round.x()) + qAbs(round.y()), 5);
}

TEST(LinkMarkup, PlainLinksAndMalformedOrders)
{
    using Runs = QList<LinkMarkup::Run>;
    EXPECT_TRUE(LinkMarkup::getContentAttributeStringWithText(QString()).isEmpty());
    const Runs plain = LinkMarkup::getContentAttributeStringWithText(QStringLiteral("no links"));
    ASSERT_EQ(plain.size(), 1);
    EXPECT_EQ(plain.first().text, QStringLiteral("no links"));

    const Runs outer = LinkMarkup::getContentAttributeStringWithText(
        QStringLiteral("a[url={\"type\":\"outer\",\"value\":\"https://x.example\"}]b[url]c"));
    EXPECT_EQ(LinkMarkup::plainText(outer), QStringLiteral("abc"));
    ASSERT_EQ(outer.size(), 3);
    EXPECT_EQ(outer.at(1).link, QStringLiteral("https://x.example"));

    const Runs page = LinkMarkup::getContentAttributeStringWithText(
        QStringLiteral("[URL={\"type\":\"page\",\"value\":\"7 &x\"}]go[url]"));
    ASSERT_EQ(page.size(), 1);
    EXPECT_EQ(page.first().link, QStringLiteral("http://page?value=7%20%26x"));

    // A closing tag before the JSON's end, no "}]", bad JSON, unsafe types: no crash, plain rest.
    for (const QString &text : {QStringLiteral("x[url]y[url={\"type\":\"outer\",\"value\":\"https://a\"}]b"),
                                QStringLiteral("a[url={\"type\":\"outer\"b[url]"),
                                QStringLiteral("a[url={nonsense}]b[url]"),
                                QStringLiteral("a[url={\"type\":\"evil.host/x\",\"value\":\"1\"}]b[url]"),
                                QStringLiteral("a[url={\"type\":\"outer\",\"value\":\"javascript:alert(1)\"}]b[url]")}) {
        const Runs runs = LinkMarkup::getContentAttributeStringWithText(text);
        for (const auto &run : runs)
            EXPECT_TRUE(run.link.isEmpty()) << text.toStdString();
    }
    EXPECT_EQ(LinkMarkup::toHtml({{QStringLiteral("<b>"), QString()}}), QStringLiteral("&lt;b&gt;"));
}

TEST(ScreenFactory, RegisteredScreensAndPlaceholders)
{
    auto &factory = ScreenFactory::instance();
    EXPECT_EQ(ScreenFactory::key(QStringLiteral("Guid"), QStringLiteral("NBGuidViewController")),
              QStringLiteral("Guid/NBGuidViewController"));
    NBBaseViewController *unknown = factory.make(QStringLiteral("NoSuchScreenForTests"));
    auto *placeholder = qobject_cast<PlaceholderViewController *>(unknown);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->screenName(), QStringLiteral("NoSuchScreenForTests"));
    EXPECT_FALSE(placeholder->isViewLoaded()) << "containers load what the factory makes";
    delete unknown;

    QWidget parent;
    factory.registerScreen(QStringLiteral("TestOnlyScreen"), [](QWidget *p) { return new NBBaseViewController(p); });
    NBBaseViewController *made = factory.make(QStringLiteral("TestOnlyScreen"), &parent);
    EXPECT_EQ(qobject_cast<PlaceholderViewController *>(made), nullptr);
    EXPECT_EQ(made->parentWidget(), &parent);
    factory.unregisterScreen(QStringLiteral("TestOnlyScreen"));
    EXPECT_FALSE(factory.hasScreen(QStringLiteral("TestOnlyScreen")));
}

TEST(ScreenFactory, ScreensOfAModuleLoadItOnceWhenFirstAskedFor)
{
    auto &factory = ScreenFactory::instance();
    int loads = 0;
    factory.registerOnDemand({QStringLiteral("TestModulePageA"), QStringLiteral("TestModulePageB")}, [&] {
        ++loads;
        // As a module does while it loads: its registrations run.
        factory.registerScreen(QStringLiteral("TestModulePageA"), [](QWidget *p) { return new NBBaseViewController(p); });
        factory.registerScreen(QStringLiteral("TestModulePageB"), [](QWidget *p) { return new NBBaseViewController(p); });
        return true;
    });
    EXPECT_TRUE(factory.isOnDemand(QStringLiteral("TestModulePageB")));
    EXPECT_FALSE(factory.hasScreen(QStringLiteral("TestModulePageA")));
    EXPECT_EQ(loads, 0) << "nothing loads before a screen of the module is asked for";

    std::unique_ptr<NBBaseViewController> b(factory.make(QStringLiteral("TestModulePageB")));
    EXPECT_EQ(qobject_cast<PlaceholderViewController *>(b.get()), nullptr);
    std::unique_ptr<NBBaseViewController> a(factory.make(QStringLiteral("TestModulePageA")));
    EXPECT_EQ(qobject_cast<PlaceholderViewController *>(a.get()), nullptr);
    EXPECT_EQ(loads, 1);
    factory.unregisterScreen(QStringLiteral("TestModulePageA"));
    factory.unregisterScreen(QStringLiteral("TestModulePageB"));
}

TEST(ScreenFactory, AModuleThatFailsToLoadLeavesThePlaceholderAndIsNotTriedAgain)
{
    auto &factory = ScreenFactory::instance();
    int loads = 0;
    factory.registerOnDemand({QStringLiteral("TestBrokenModulePage")}, [&] {
        ++loads;
        return false;
    });
    for (int ask = 0; ask < 3; ++ask) {
        std::unique_ptr<NBBaseViewController> page(factory.make(QStringLiteral("TestBrokenModulePage")));
        auto *placeholder = qobject_cast<PlaceholderViewController *>(page.get());
        ASSERT_NE(placeholder, nullptr);
        EXPECT_EQ(placeholder->screenName(), QStringLiteral("TestBrokenModulePage"));
    }
    EXPECT_EQ(loads, 1);
}
