// The verification-code screen and the new-password sheet, which no screen opens: each code type's
// request, the resend countdown, the continuations and the sheet's done button.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "AccountTestSupport.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/OOToastView.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/Localization.h"
#include "common/OOTimerManager.h"
#include "login/register/NBConfirmPassWordViewController.h"
#include "login/code/NBRegCodeView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeLogic.h"
#include "login/code/NBVerityCodeViewController.h"
#include "login/signin/NBPhoneLoginViewController.h"

using T = VerityCodeType;

TEST(VerityCodeLogic, EachTypeAsksForItsCodeWithWhatIsKnown)
{
    const NBVerityCodeLogic::Known all{QStringLiteral("13800000000"), QStringLiteral("abc12345"), QStringLiteral("+81")};
    EXPECT_EQ(NBVerityCodeLogic::codeParams(T::bindPhone, all),
              (QJsonObject{{QStringLiteral("register_type"), 7}, {QStringLiteral("password"), QStringLiteral("abc12345")},
                           {QStringLiteral("region_code"), QStringLiteral("+81")}, {QStringLiteral("phone"), QStringLiteral("13800000000")}}));
    EXPECT_EQ(NBVerityCodeLogic::codeRequest(T::bindEmail), &OONetWorkTool::sendEmail);
    EXPECT_EQ(NBVerityCodeLogic::codeParams(T::registerEmail, all).value(QStringLiteral("register_type")).toInt(), 0);
    EXPECT_EQ(NBVerityCodeLogic::codeParams(T::registerEmail, all).value(QStringLiteral("emailAdress")).toString(),
              QStringLiteral("13800000000"));
    // Retrieval sends no password; an empty account is still sent, the region only when known.
    const NBVerityCodeLogic::Known empty{QString(), std::nullopt, std::nullopt};
    EXPECT_EQ(NBVerityCodeLogic::codeParams(T::findPhone, empty),
              (QJsonObject{{QStringLiteral("register_type"), 1}, {QStringLiteral("phone"), QString()}}));
    EXPECT_FALSE(NBVerityCodeLogic::codeParams(T::findEmail, all).contains(QStringLiteral("password")));
    // No type: a phone retrieval for the code, a registration for continuing.
    EXPECT_EQ(NBVerityCodeLogic::codeRequest(std::nullopt), &OONetWorkTool::sendRegisterCode);
    EXPECT_EQ(NBVerityCodeLogic::registerType(std::nullopt), 1);
    EXPECT_EQ(NBVerityCodeLogic::continuation(std::nullopt), NBVerityCodeLogic::Continue::Register);
    EXPECT_EQ(NBVerityCodeLogic::continuation(T::findEmail), NBVerityCodeLogic::Continue::NewPassword);
    EXPECT_EQ(NBVerityCodeLogic::titleKey(T::registerEmail), QStringLiteral("RECEIVE_VRITIFYCODE_VERITY_PHONE_TITLE"));
    EXPECT_EQ(NBVerityCodeLogic::contentKey(T::registerEmail), QStringLiteral("RECEIVE_VRITIFYCODE_BIND_EMAIL_TRIPS"));
}

TEST(VerityCodeLogic, ContinuationsCheckCodeAndPassword)
{
    const NBVerityCodeLogic::Known phone{QStringLiteral("13800000000"), QStringLiteral("abc12345"), std::nullopt};
    const auto shortCode = NBVerityCodeLogic::bindParams(T::bindPhone, QStringLiteral("12345"), phone);
    EXPECT_TRUE(std::holds_alternative<QString>(shortCode));
    const auto bind = NBVerityCodeLogic::bindParams(T::bindPhone, QStringLiteral("123456"), phone);
    ASSERT_TRUE(std::holds_alternative<QJsonObject>(bind));
    EXPECT_EQ(std::get<QJsonObject>(bind).value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));
    EXPECT_EQ(std::get<QJsonObject>(bind).value(QStringLiteral("new_password")).toString(), QStringLiteral("abc12345"));
    // A password the sign-in forms refuse never becomes the account's.
    const NBVerityCodeLogic::Known digits{QStringLiteral("a@b.com"), QStringLiteral("12345678"), std::nullopt};
    EXPECT_EQ(std::get<QString>(NBVerityCodeLogic::bindParams(T::bindEmail, QStringLiteral("123456"), digits)),
              QStringLiteral("密码格式不对"));
    const NBVerityCodeLogic::Known noPassword{QStringLiteral("a@b.com"), std::nullopt, std::nullopt};
    EXPECT_TRUE(std::holds_alternative<std::monostate>(NBVerityCodeLogic::bindParams(T::bindEmail, QStringLiteral("123456"), noPassword)));

    const auto reg = NBVerityCodeLogic::registerParams(T::registerPhone, QStringLiteral("123456"), phone);
    ASSERT_TRUE(std::holds_alternative<NBVerityCodeLogic::RegisterRequest>(reg));
    const auto &request = std::get<NBVerityCodeLogic::RegisterRequest>(reg);
    EXPECT_EQ(request.registration.value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));
    EXPECT_EQ(request.signIn.value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));
    EXPECT_FALSE(request.signIn.contains(QStringLiteral("signType")));
    // Registration applies the same password rule, after the code.
    EXPECT_EQ(std::get<QString>(NBVerityCodeLogic::registerParams(T::registerEmail, QStringLiteral("123456"), digits)),
              QStringLiteral("密码格式不对"));
    EXPECT_NE(std::get<QString>(NBVerityCodeLogic::registerParams(T::registerEmail, QStringLiteral("12"), digits)),
              QStringLiteral("密码格式不对"));
}

TEST(VerityCodeScreen, CountdownRunsOutToTheResendText)
{
    UiTimingScope timing(0.01);
    NBVerityCodeViewController screen(T::bindEmail, QStringLiteral("a@b.com"), QStringLiteral("abc12345"), std::nullopt);
    screen.ensureLoaded();
    OOTimerManager::shared().cancel(NBVerityCodeViewController::timerName());   // the test is the clock
    EXPECT_EQ(screen.remainingSeconds(), 59);
    EXPECT_TRUE(screen.noReceiveButton()->text().startsWith(QStringLiteral("59")));
    EXPECT_TRUE(screen.countdownCovered());
    for (int i = 0; i < 59; ++i)
        screen.countdownTick();
    EXPECT_TRUE(screen.noReceiveButton()->text().startsWith(QStringLiteral("0")));
    screen.countdownTick();
    EXPECT_FALSE(screen.countdownCovered());
    EXPECT_FALSE(screen.noReceiveButton()->text().startsWith(QStringLiteral("0")));
    EXPECT_EQ(screen.titleText(), localizedByAppLanguage(QStringLiteral("RECEIVE_VRITIFYCODE_BIND_EMAIL_TITLE")));
}

TEST(VerityCodeScreen, ATimerWhoseScreenIsGoneEnds)
{
    UiTimingScope timing(0.01);
    auto *screen = new NBVerityCodeViewController(T::findPhone, QString(), std::nullopt, std::nullopt);
    screen->ensureLoaded();
    ASSERT_TRUE(OOTimerManager::shared().hasTimer(NBVerityCodeViewController::timerName()));
    delete screen;
    ACCOUNT_WAIT(!OOTimerManager::shared().hasTimer(NBVerityCodeViewController::timerName()), 2000);
}

TEST(VerityCodeScreen, FindTypesOpenTheNewPasswordSheetWhoseDoneButtonNeedsBothRows)
{
    UiTimingScope timing(0.01);
    NBBaseViewController window;
    window.resize(800, 500);
    WindowInUse::setContentWidget(&window);
    WindowInUse::setContentController(&window);
    NBVerityCodeViewController screen(T::findPhone, QStringLiteral("13800000000"), std::nullopt, QStringLiteral("+81"), &window);
    screen.ensureLoaded();
    screen.continueAction();
    NBConfirmPassWordViewController *sheet = nullptr;
    ACCOUNT_WAIT((sheet = window.findChild<NBConfirmPassWordViewController *>()) != nullptr, 2000);
    sheet->ensureLoaded();
    ASSERT_NE(sheet->regcodeView(), nullptr);
    EXPECT_EQ(sheet->regcodeView()->code(), QStringLiteral("+81"));
    EXPECT_EQ(sheet->regcodeView()->textFiled()->text(), QStringLiteral("13800000000"));
    EXPECT_NE(sheet->maskView(), nullptr);
    sheet->passWordContentView()->textFiled()->setText(QStringLiteral("abc12345"));
    EXPECT_FALSE(sheet->doneButton()->isEnabled());
    sheet->passWordAgainContentView()->textFiled()->setText(QStringLiteral("different1"));
    EXPECT_TRUE(sheet->doneButton()->isEnabled());
    sheet->passWordAgainContentView()->textFiled()->clear();
    EXPECT_FALSE(sheet->doneButton()->isEnabled());

    NBConfirmPassWordViewController mail(T::findEmail, QString(), QStringLiteral("a@b.com"), QStringLiteral("+86"));
    mail.ensureLoaded();
    ASSERT_NE(mail.contentView(), nullptr);
    EXPECT_EQ(mail.contentView()->textFiled()->text(), QStringLiteral("a@b.com"));
    WindowInUse::setContentController(nullptr);
    WindowInUse::setContentWidget(nullptr);
}

TEST(VerityCodeScreen, RegisterTypeWithAShortCodeSendsNothing)
{
    UiTimingScope timing(0.01);
    NBVerityCodeViewController screen(T::registerEmail, QStringLiteral("a@b.com"), QStringLiteral("abc12345"), std::nullopt);
    screen.ensureLoaded();
    screen.continueAction();
    const auto toasts = screen.findChildren<OOToastView *>();
    ASSERT_FALSE(toasts.isEmpty());
    EXPECT_EQ(toasts.last()->tipLab()->text(), localizedByAppLanguage(QStringLiteral("PLEASEURE_ENTER_SIX_CODE")));
}

TEST(VerityCodeScreen, ThePhoneFormsHiddenActionOpensItToFindTheAccount)
{
    UiTimingScope timing(0.01);
    NBBaseViewController window;
    window.resize(800, 500);
    WindowInUse::setContentWidget(&window);
    WindowInUse::setContentController(&window);
    NBPhoneLoginViewController form(&window);
    form.ensureLoaded();
    form.cancle();
    NBVerityCodeViewController *screen = nullptr;
    ACCOUNT_WAIT((screen = window.findChild<NBVerityCodeViewController *>()) != nullptr, 2000);
    EXPECT_EQ(screen->type(), T::findPhone);
    EXPECT_EQ(screen->account(), QString());
    EXPECT_EQ(screen->regCode(), QStringLiteral("+86"));
    window.dismissViewController(screen);
    ACCOUNT_WAIT(window.presentations().isEmpty(), 2000);

    form.countryCode = QStringLiteral("+81");
    form.cancle();
    ACCOUNT_WAIT(window.presentations().size() == 1, 2000);
    auto *second = qobject_cast<NBVerityCodeViewController *>(window.presentations().first());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->regCode(), QStringLiteral("+81"));
    WindowInUse::setContentController(nullptr);
    WindowInUse::setContentWidget(nullptr);
}
