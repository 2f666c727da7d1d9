// The account widgets without a service: code boxes, the send-code countdown on a manual clock,
// the calling-code field and its pop-up, the shipped country list, the switch, the form checks
// and what a reply means to a form.
#include <QApplication>
#include <QClipboard>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/NBMainWindowController.h"

#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/ClickableFlag.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "login/form/AccountReply.h"
#include "networking/OONetWorkTool.h"
#include "login/signin/LoginFormChecks.h"
#include "login/form/NBCoutryCodeView.h"
#include "login/signin/NBEmailLoginViewController.h"
#include "login/signin/NBLoginViewController.h"
#include "login/signin/NBPhoneLoginViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/register/NBRegisterCountdown.h"
#include "login/signin/NBSwitchView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "login/code/NBVerityCodeView.h"
#include "login/unreached/NBLoginTimerView.h"
#include "login/unreached/NBAccountTextView.h"
#include "login/form/AccountFormViews.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/signin/NBQRCodeExpireView.h"
#include "login/signin/NBScanSuccessView.h"
#include "uikit/ButtonColors.h"
#include "uikit/TextFieldKeyEquivalents.h"
#include "uikit/NBGradColorView.h"
#include "uikit/NBSecureTextView.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "login/form/OOCountyCodeListModel.h"

namespace {

OOConfig sixBoxes()
{
    OOConfig config;
    config.inputBoxNumber = 6;
    config.inputBoxWidth = 42;
    config.inputBoxHeight = 55;
    config.inputBoxSpacing = 20;
    return config;
}

// Types into a box the way a user does: the field's own editing, so the validator applies.
void typeInto(QLineEdit *box, const QString &text)
{
    box->setFocus();
    QTest::keyClicks(box, text);
}

void pasteInto(QLineEdit *box, const QString &text)
{
    QApplication::clipboard()->setText(text);
    box->setFocus();
    box->selectAll();
    box->paste();
}

class ManualClock
{
public:
    ManualClock()
    {
        NBRegisterCountdown::setClockForTesting(
            [this](const QString &name, std::function<void()> tick) {
                scheduled << name;
                m_tick = std::move(tick);
            },
            [this](const QString &name) {
                cancelled << name;
                m_tick = {};
            });
    }
    ~ManualClock() { NBRegisterCountdown::setClockForTesting({}, {}); }
    // One second passes (the first tick comes at once, so the test runs it too).
    void tick()
    {
        if (auto tick = m_tick)
            tick();
    }
    bool running() const { return bool(m_tick); }

    QStringList scheduled;
    QStringList cancelled;

private:
    std::function<void()> m_tick;
};

} // namespace

TEST(CodeBoxesTest, LayoutFollowsTheFrame)
{
    OOConfig config = sixBoxes();
    NBVerityCodeView view(QSize(300, 56), config);
    ASSERT_EQ(view.boxes().size(), 6);
    // 6 * 42 + 5 * 20 does not fit in 300: no margin, the boxes share what is left.
    EXPECT_EQ(view.config()->leftMargin, 0);
    EXPECT_NEAR(view.config()->inputBoxWidth, (300 - 100) / 6.0, 0.01);

    EXPECT_TRUE(NBVerityCodeView(QSize(0, 56), config).boxes().isEmpty());
    config.inputBoxWidth = 400;
    EXPECT_TRUE(NBVerityCodeView(QSize(300, 56), config).boxes().isEmpty());
    EXPECT_TRUE(NBVerityCodeView(QSize(300, 56), OOConfig{}).boxes().isEmpty());
}

TEST(CodeBoxesTest, PasteKeepsTheLastDigitAndMovesOn)
{
    QWidget window;
    auto *view = new NBVerityCodeView(QSize(372, 56), sixBoxes(), &window);
    window.show();
    QApplication::setActiveWindow(&window);
    QStringList inputs;
    view->inputBlock = [&](const QString &text) { inputs << text; };

    pasteInto(view->boxes().at(0), QStringLiteral("123"));
    EXPECT_EQ(view->boxes().at(0)->text(), QStringLiteral("3"));
    EXPECT_EQ(inputs, QStringList{QStringLiteral("3")});
    EXPECT_TRUE(view->boxes().at(1)->hasFocus());

    // Letters, signs and blanks never reach a box.
    for (const QString &bad : {QStringLiteral("1a"), QStringLiteral("-"), QStringLiteral("-5"), QStringLiteral(" 7"), QStringLiteral("x")}) {
        pasteInto(view->boxes().at(1), bad);
        EXPECT_EQ(view->boxes().at(1)->text(), QString()) << bad.toStdString();
    }
    typeInto(view->boxes().at(1), QStringLiteral(" "));
    EXPECT_EQ(view->boxes().at(1)->text(), QString());
    EXPECT_EQ(inputs.size(), 1);
}

TEST(CodeBoxesTest, CompletionAndBackspace)
{
    QWidget window;
    auto *view = new NBVerityCodeView(QSize(372, 56), sixBoxes(), &window);
    window.show();
    QApplication::setActiveWindow(&window);
    QStringList codes;
    view->finishBlock = [&](NBVerityCodeView *, const QString &code) { codes << code; };

    // Out of order: the code completes at the edit that fills the last empty box, in box order.
    const QList<int> order{5, 0, 2, 1, 4, 3};
    for (int index : order)
        typeInto(view->boxes().at(index), QString::number(index + 1));
    EXPECT_EQ(codes, QStringList{QStringLiteral("123456")});
    EXPECT_TRUE(view->inputFinish());

    // Backspace empties the box, keeps the focus there and completes nothing.
    QLineEdit *fourth = view->boxes().at(3);
    fourth->setFocus();
    fourth->end(false);
    QTest::keyClick(fourth, Qt::Key_Backspace);
    EXPECT_EQ(fourth->text(), QString());
    EXPECT_TRUE(fourth->hasFocus());
    EXPECT_FALSE(view->inputFinish());
    EXPECT_EQ(codes.size(), 1);

    // A second digit typed into a full box replaces the first; a full code fires again.
    typeInto(fourth, QStringLiteral("9"));
    EXPECT_EQ(codes.last(), QStringLiteral("123956"));
    typeInto(view->boxes().at(0), QStringLiteral("7"));
    EXPECT_EQ(view->boxes().at(0)->text(), QStringLiteral("7"));
    EXPECT_EQ(codes.last(), QStringLiteral("723956"));
    EXPECT_EQ(codes.size(), 3);
}

TEST(CountdownTest, SixtySecondsOnAManualClock)
{
    ManualClock clock;
    NBVerityCodeContentView row;
    QSignalSpy presses(&row, &NBVerityCodeContentView::sendCodeRequested);
    NBDisableButton *button = row.verityCodeButton();
    const QString ready = QStringLiteral("发送验证码");
    EXPECT_EQ(button->text(), ready);

    NBVerityCodeContentView::startRegisterCountdown(button);
    EXPECT_EQ(clock.scheduled, QStringList{QStringLiteral("NBRegsterTimer")});
    clock.tick();
    EXPECT_EQ(button->text(), QStringLiteral("59S"));
    EXPECT_EQ(ClickableFlag::isClickable(button), false);
    // A press while counting reaches nobody.
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(presses.count(), 0);

    for (int i = 0; i < 59; ++i)
        clock.tick();
    EXPECT_EQ(button->text(), QStringLiteral("0S"));
    EXPECT_TRUE(clock.running());
    clock.tick();
    EXPECT_EQ(button->text(), ready);
    EXPECT_EQ(ClickableFlag::isClickable(button), true);
    EXPECT_FALSE(clock.running());
    EXPECT_EQ(clock.cancelled, QStringList{QStringLiteral("NBRegsterTimer")});
}

TEST(CountdownTest, AButtonGoneWithItsFormStopsTheTimer)
{
    ManualClock clock;
    auto *row = new NBVerityCodeContentView;
    NBVerityCodeContentView::startRegisterCountdown(row->verityCodeButton());
    clock.tick();
    delete row;
    clock.tick();
    EXPECT_EQ(clock.cancelled, QStringList{QStringLiteral("NBRegsterTimer")});
    EXPECT_FALSE(clock.running());
}

TEST(CountdownTest, ARowOutsideAnAdopterIgnoresPresses)
{
    NBVerityCodeContentView row;
    QSignalSpy presses(&row, &NBVerityCodeContentView::sendCodeRequested);
    row.codeAction();
    EXPECT_EQ(presses.count(), 0);
    // The code field takes digits only.
    row.textFiled()->setFocus();
    QTest::keyClicks(row.textFiled(), QStringLiteral("12 a-3"));
    EXPECT_EQ(row.textFiled()->text(), QStringLiteral("123"));
}

TEST(CountryListTest, ShippedFileAndStrictFormat)
{
    const OOCountyCodeListModel bundled = OOCountyCodeListModel::loadBundled();
    ASSERT_GT(bundled.countryList.size(), 100);
    const auto china = std::find_if(bundled.countryList.cbegin(), bundled.countryList.cend(),
                                    [](const OOCountyCodeModel &c) { return c.code == 86; });
    ASSERT_NE(china, bundled.countryList.cend());
    EXPECT_EQ(china->codeText(), QStringLiteral("+86"));

    EXPECT_EQ(OOCountyCodeListModel::fromJsonBytes(R"({"countryList":[{"en":"China","zh-Hans":"中国","code":86}]})").countryList.size(), 1);
    // One element with its code as text spoils the whole list.
    EXPECT_TRUE(OOCountyCodeListModel::fromJsonBytes(
                    R"({"countryList":[{"en":"China","zh-Hans":"中国","code":86},{"en":"X","zh-Hans":"X","code":"44"}]})")
                    .countryList.isEmpty());
    EXPECT_TRUE(OOCountyCodeListModel::fromJsonBytes(R"({"countryList":[{"en":"China","code":86}]})").countryList.isEmpty());
    EXPECT_TRUE(OOCountyCodeListModel::fromJsonBytes("not json").countryList.isEmpty());
    EXPECT_TRUE(OOCountyCodeListModel::loadFile(QStringLiteral("/nonexistent/country_code.json")).countryList.isEmpty());
}

class CountryPopupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(800, 500);
        window.show();
        WindowInUse::setContentWidget(&window);
        field = new NBRegCodeView(&window);
        field->setGeometry(440, 250, 348, 40);
        field->show();
    }
    void TearDown() override { WindowInUse::setContentWidget(nullptr); }

    UiTimingScope timing{0.01};
    QWidget window;
    NBRegCodeView *field = nullptr;
};

TEST_F(CountryPopupTest, OpensUnderTheButtonCountedOnce)
{
    field->click();
    ASSERT_TRUE(field->isSelected());
    QPointer<NBCoutryCodeView> popup = field->regCodeView();
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->parentWidget(), &window);
    EXPECT_EQ(popup->geometry(), window.rect()) << "over the whole of the window's content";
    const QPoint button = field->onOrOffButton()->mapTo(&window, QPoint(0, 0));
    EXPECT_EQ(int(popup->contentTop), button.y() + 20);
    EXPECT_EQ(int(popup->contentCenterX), button.x() + field->onOrOffButton()->width() / 2);
    const QRect box = popup->listBoxGeometry();
    EXPECT_LE(box.height(), NBCoutryCodeView::kMaxListHeight);
    EXPECT_LE(box.bottom() + 1, 500 - 10);

    // A second press closes it and leaves the button off.
    field->click();
    EXPECT_FALSE(field->isSelected());
    EXPECT_TRUE(!popup || !popup->isVisible());
    EXPECT_FALSE(field->onOrOffButton()->isChecked());

    NBCoutryCodeView alone;
    alone.contentCenterX = 60;
    EXPECT_EQ(alone.listBoxGeometry().left(), 0);
}

TEST_F(CountryPopupTest, EachOpeningMakesItsPopupAndClosingLeavesNothingBehind)
{
    EXPECT_EQ(field->regCodeView(), nullptr) << "nothing is made before the first press";
    for (int opening = 0; opening < 2; ++opening) {
        field->click();
        ASSERT_EQ(window.findChildren<NBCoutryCodeView *>().size(), 1);
        QPointer<NBCoutryCodeView> popup = field->regCodeView();
        ASSERT_TRUE(popup);
        // A press outside the list closes it, as the second press on the button does.
        if (opening == 0)
            QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(5, 5));
        else
            field->click();
        EXPECT_FALSE(field->isSelected());
        EXPECT_TRUE(QTest::qWaitFor([&] { return popup.isNull(); }, 2000));
        EXPECT_TRUE(window.findChildren<NBCoutryCodeView *>().isEmpty());
        EXPECT_EQ(field->regCodeView(), nullptr);
    }
}

TEST_F(CountryPopupTest, ChoosingARowReportsItsCodeOnce)
{
    QStringList chosen;
    field->selectCoutryBlock = [&](const QString &code) { chosen << code; };
    field->click();
    QPointer<NBCoutryCodeView> popup = field->regCodeView();
    ASSERT_TRUE(popup);
    const QList<OOCountyCodeModel> &countries = popup->codeModel().countryList;
    const int row = int(std::find_if(countries.cbegin(), countries.cend(), [](const auto &c) { return c.code == 44; }) - countries.cbegin());
    ASSERT_LT(row, countries.size());
    popup->selectRow(row);
    EXPECT_TRUE(chosen.isEmpty());   // a quarter of a second later
    QTRY_COMPARE_WITH_TIMEOUT(chosen, QStringList{QStringLiteral("+44")}, 2000);
    EXPECT_TRUE(!popup || !popup->isVisible());
    EXPECT_FALSE(field->isSelected());
    EXPECT_EQ(field->code(), QStringLiteral("+44"));
    QTest::qWait(20);
    EXPECT_EQ(chosen.size(), 1);
}

TEST_F(CountryPopupTest, NoWindowShowsNothingAndRemembersNothing)
{
    WindowInUse::setContentWidget(nullptr);
    field->click();
    EXPECT_FALSE(field->isSelected());
    EXPECT_FALSE(field->onOrOffButton()->isChecked());
    // The next press, with a window, opens it (rather than "closing" nothing).
    WindowInUse::setContentWidget(&window);
    field->click();
    EXPECT_TRUE(field->isSelected());
    EXPECT_TRUE(field->regCodeView()->isVisible());
}

TEST_F(CountryPopupTest, PhoneFieldTakesDigitsOnly)
{
    field->textFiled()->setFocus();
    QTest::keyClicks(field->textFiled(), QStringLiteral("+86 138-0000"));
    EXPECT_EQ(field->textFiled()->text(), QStringLiteral("861380000"));
}

TEST(SwitchViewTest, EverySelectionTellsTheOwner)
{
    NBSwitchView view;
    QList<int> tags;
    view.switchBlock = [&](int tag) { tags << tag; };
    EXPECT_EQ(view.selectedButton(), view.firstSideButton());
    view.selectButton(2);
    view.selectButton(2);
    view.selectButton(7);
    EXPECT_EQ(tags, (QList<int>{2, 2}));
    EXPECT_EQ(view.selectedButton(), view.secondSideButton());
    EXPECT_EQ(view.firstSideButton()->font().pixelSize(), 14);
    EXPECT_EQ(view.secondSideButton()->font().pixelSize(), 13);
}

TEST(LoginFormChecksTest, OrderAndRules)
{
    using C = LoginFormChecks;
    EXPECT_EQ(C::checkEmailForm({}, {}), QStringLiteral("PLEASE_ENTER_PHONE_ACCOUNT"));
    // Emptiness of both comes before either rule.
    EXPECT_EQ(C::checkEmailForm(QStringLiteral("no-at-sign"), {}), QStringLiteral("PLEASE_ENTER_PWD"));
    EXPECT_EQ(C::checkEmailForm(QStringLiteral("no-at-sign"), QStringLiteral("abcd1234")), QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"));
    // The final label must have three or four letters.
    EXPECT_EQ(C::checkEmailForm(QStringLiteral("a@b.cn"), QStringLiteral("abcd1234")), QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"));
    EXPECT_EQ(C::checkEmailForm(QStringLiteral("a@b.email"), QStringLiteral("abcd1234")), QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"));
    EXPECT_EQ(C::checkEmailForm(QStringLiteral("a@b.com"), QStringLiteral("abcdefgh")), QStringLiteral("PLEASE_ENTER_CURRENT_PWD"));
    EXPECT_EQ(C::checkEmailForm(QStringLiteral("a@b.com"), QStringLiteral("abcd1234")), std::nullopt);

    for (const QString &phone : {QStringLiteral("1234567"), QStringLiteral("1234567890123456789"), QStringLiteral("abcdefghi")})
        EXPECT_EQ(C::checkPhoneForm(phone, {}), QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR")) << phone.toStdString();
    for (const QString &password : {QStringLiteral("abcdefgh"), QStringLiteral("12345678"), QStringLiteral("abcd12345678901234"), QStringLiteral("abcd_1234")})
        EXPECT_EQ(C::checkPhoneForm(QStringLiteral("13800000000"), password), QStringLiteral("PLEASE_ENTER_CURRENT_PWD"));
    EXPECT_EQ(C::checkPhoneForm(QStringLiteral("13800000000"), QStringLiteral("abcd1234")), std::nullopt);

    const QJsonObject email = C::emailParams(QStringLiteral("a@b.com"), QStringLiteral("pw"));
    EXPECT_EQ(email.value(QStringLiteral("signType")).toString(), QStringLiteral("4"));
    EXPECT_FALSE(email.contains(QStringLiteral("region_code")));
    const QJsonObject phone = C::phoneParams(QStringLiteral("138"), QStringLiteral("pw"), QStringLiteral("+86"));
    EXPECT_EQ(phone.value(QStringLiteral("signType")).toString(), QStringLiteral("3"));
    EXPECT_EQ(phone.value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));
}

TEST(AccountReplyTest, OnlyASaidSuccessIsASuccess)
{
    const QString serverError = OONetWorkTool::serverDataError();
    auto read = [](const char *json) { return AccountReply::read(QJsonDocument::fromJson(json).object()); };

    EXPECT_TRUE(read(R"({"success": true})").isSuccess());
    EXPECT_TRUE(read(R"({"success": 1})").isSuccess());
    // No message is no success.
    const AccountReply bare = read(R"({"success": false, "error_code": 400})");
    EXPECT_EQ(bare.kind(), AccountReply::Kind::Failure);
    EXPECT_EQ(bare.message(), serverError);
    EXPECT_EQ(read(R"({"error_code": 0})").kind(), AccountReply::Kind::Failure);
    EXPECT_EQ(read(R"({"success": "true"})").kind(), AccountReply::Kind::Failure);
    EXPECT_EQ(read(R"({"success": false, "message": "账号或密码错误"})").message(), QStringLiteral("账号或密码错误"));
    // 101: the network layer's alert says it all.
    EXPECT_TRUE(read(R"({"success": false, "error_code": 101, "message": "账号异常"})").isSilent());
    EXPECT_EQ(AccountReply::read(std::nullopt).message(), serverError);

    // A sign-in success without a user to store is a failure.
    ASSERT_TRUE(MKUserInfoManager::shared().clearUser());
    const AccountReply noUser = AccountReply::readSignIn(QJsonDocument::fromJson(R"({"success": true, "data": {"kind": 1}})").object());
    EXPECT_FALSE(noUser.isSuccess());
    EXPECT_EQ(noUser.message(), serverError);
    EXPECT_FALSE(AccountReply::readSignIn(QJsonDocument::fromJson(R"({"success": true})").object()).isSuccess());
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST_F(CountryPopupTest, AFieldGoneBeforeTheChoiceLandsHearsNothing)
{
    QStringList chosen;
    field->selectCoutryBlock = [&](const QString &code) { chosen << code; };
    field->click();
    field->regCodeView()->selectRow(0);
    // The field and its pop-up go within the quarter second.
    delete field;
    field = nullptr;
    QTest::qWait(30);
    EXPECT_TRUE(chosen.isEmpty());
    EXPECT_TRUE(window.findChildren<NBCoutryCodeView *>().isEmpty());
}

TEST(LoginScreenTest, AScreenGoneBeforeItsFirstFormDoesNothing)
{
    UiTimingScope timing(0.01);
    auto *login = new NBLoginViewController;
    login->ensureLoaded();
    delete login;
    QTest::qWait(30);

    // The window's content swap brings the screen in, and with it its first form.
    NBMainWindowController window;
    auto *kept = new NBLoginViewController;
    window.setContentViewController(kept);
    QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<NBEmailLoginViewController *>(kept->currentForm()) != nullptr, 2000);
    QPointer<NBSignInFormController> first = kept->currentForm();
    kept->switchAccountView()->selectButton(2);
    EXPECT_NE(qobject_cast<NBPhoneLoginViewController *>(kept->currentForm()), nullptr);
    // Choosing the e-mail segment again gives a fresh, empty form.
    kept->switchAccountView()->selectButton(1);
    EXPECT_NE(kept->currentForm(), first.data());
    QTRY_VERIFY_WITH_TIMEOUT(first.isNull(), 2000);
    EXPECT_NE(kept->privacyTextView()->text().indexOf(QStringLiteral("/terms")), -1);
    EXPECT_NE(kept->privacyTextView()->text().indexOf(QStringLiteral("/privacy")), -1);
}

TEST(LoginTimerViewTest, ThePressReachesTheHolderAndTheRowLaysOutAroundTheButton)
{
    NBLoginTimerView row;
    row.resize(300, 40);
    row.show();
    // Without a holder's block a press does nothing (and does not crash).
    QTest::mouseClick(row.button(), Qt::LeftButton);
    int presses = 0;
    row.clickBlock = [&presses] { ++presses; };
    QTest::mouseClick(row.button(), Qt::LeftButton);
    EXPECT_EQ(presses, 1);

    EXPECT_EQ(row.button()->geometry(), QRect(300 - 8 - 120, 5, 120, 30));
    EXPECT_EQ(row.textField()->x(), 23);
    EXPECT_EQ(row.textField()->geometry().right() + 1, row.button()->x() - 10);
    EXPECT_EQ(row.textField()->font().pixelSize(), 12);
    EXPECT_EQ(row.button()->font().pixelSize(), 14);
    // It runs no countdown of its own: the title stays as it was.
    EXPECT_EQ(row.button()->text(), localizedByAppLanguage(QStringLiteral("发送验证码")));
}

TEST(AccountTextViewTest, TheFieldIsMadeOnFirstUseAndFillsTheRowInsideItsInsets)
{
    NBAccountTextView unused;
    EXPECT_FALSE(unused.hasTextField());
    EXPECT_TRUE(unused.findChildren<QLineEdit *>().isEmpty());

    NBAccountTextView row;
    row.resize(200, 40);
    row.show();
    ASSERT_TRUE(row.hasTextField());
    EXPECT_EQ(row.textField()->parentWidget(), &row);
    EXPECT_EQ(row.textField()->geometry(), QRect(23, 0, 200 - 46, 40));
    // The same field on every read.
    EXPECT_EQ(row.textField(), row.findChild<QLineEdit *>());
    row.resize(100, 30);
    EXPECT_EQ(row.textField()->geometry(), QRect(23, 0, 100 - 46, 30));
}

// The sign-in, registration and retrieval screens' fixed Chinese texts are the same in every
// language the user may choose.
TEST(FixedTextsTest, TheChineseTitlesStayInEnglish)
{
    UiTimingScope timing(0.01);
    struct EnglishScope
    {
        EnglishScope() { UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("en")); }
        ~EnglishScope() { UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("zh-Hans")); }
    } english;
    // The tables do translate these keys: the screens must not ask them.
    ASSERT_NE(localizedByAppLanguage(QStringLiteral("登录")), QStringLiteral("登录"));

    // The sign-in screen as the window shows it.
    NBMainWindowController window;
    auto *shown = new NBLoginViewController;
    window.setContentViewController(shown);
    window.show();
    NBLoginViewController &login = *shown;
    QTRY_VERIFY_WITH_TIMEOUT(login.currentForm() != nullptr, 2000);
    EXPECT_EQ(login.currentForm()->signUpButton()->text(), QStringLiteral("登录"));
    EXPECT_EQ(login.currentForm()->accountButton()->text(), QStringLiteral("注册账号"));
    EXPECT_EQ(login.currentForm()->forgetPwdButton()->text(), QStringLiteral("忘记密码"));
    for (const char *run : {"使用即表示您同意我们的", "用户协议", "隐私政策", "，并了解如何收集、使用和储存您的数据。"})
        EXPECT_NE(login.privacyTextView()->text().indexOf(QString::fromUtf8(run)), -1) << run;

    QWidget form;
    const AccountFormViews::RegistrationRows registration = AccountFormViews::registrationRows(&form);
    EXPECT_EQ(registration.registerButton->text(), QStringLiteral("注册并登录"));
    EXPECT_EQ(registration.code->textFiled()->placeholderText(), QStringLiteral("请输入验证码"));
    EXPECT_EQ(registration.again->textFiled()->placeholderText(), QStringLiteral("确认新密码"));
    EXPECT_EQ(registration.invitation->textFiled()->placeholderText(), QStringLiteral("推荐码（选填）"));
    // The hint states the rule the form applies: 8 to 16 characters.
    EXPECT_EQ(registration.password->textFiled()->placeholderText(), QStringLiteral("设置新密码（8-16位大小写英文+数字组合）"));
    EXPECT_EQ(registration.code->verityCodeButton()->text(), QStringLiteral("发送验证码"));

    NBQRCodeExpireView expired;
    EXPECT_EQ(expired.tipLab()->text(), QStringLiteral("二维码已失效"));
    EXPECT_EQ(expired.refreshBtn()->text(), QStringLiteral("点击刷新"));
    NBScanSuccessView scanned;
    EXPECT_EQ(scanned.tipLab()->text(), QStringLiteral("扫码成功"));
}

TEST(FixedTextsTest, TheResetButtonTitleIsWhiteAndTheRegisterButtonsIsNot)
{
    QWidget form;
    const AccountFormViews::RetrievalRows retrieval = AccountFormViews::retrievalRows(&form, QStringLiteral("请输入新密码"));
    EXPECT_EQ(retrieval.retrieveButton->text(), QStringLiteral("重置密码并登录"));
    EXPECT_EQ(ButtonColors::fontColor(retrieval.retrieveButton), QColor(Qt::white));
    EXPECT_EQ(retrieval.retrieveButton->font().pixelSize(), 14);
    const AccountFormViews::RegistrationRows registration = AccountFormViews::registrationRows(&form);
    EXPECT_EQ(ButtonColors::fontColor(registration.registerButton), QColor(222, 228, 244));
}

TEST(KeyEquivalentsTest, EscapeAloneGivesUpTheFocusInEveryField)
{
    TextFieldKeyEquivalents::install(qApp);
    TextFieldKeyEquivalents::install(qApp);
    QWidget window;
    window.resize(400, 200);
    auto *row = new NBTextFiledContentView(&window);
    row->setGeometry(0, 0, 300, 40);
    auto *plain = new QLineEdit(&window);
    plain->setGeometry(0, 60, 300, 30);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    for (QLineEdit *field : {static_cast<QLineEdit *>(row->textFiled()), plain}) {
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClicks(field, QStringLiteral("ab"));
        // Shift+Escape is not Escape alone: the field keeps the caret.
        QTest::keyClick(field, Qt::Key_Escape, Qt::ShiftModifier);
        EXPECT_TRUE(field->hasFocus());
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_FALSE(field->hasFocus());
        EXPECT_EQ(field->text(), QStringLiteral("ab"));
    }
    // One filter, however often it is installed.
    EXPECT_EQ(qApp->findChildren<TextFieldKeyEquivalents *>(Qt::FindDirectChildrenOnly).size(), 1);
}
