// Password retrieval against the stand-in service over real HTTP: the reset, then the sign-in
// with the new password, ends on the main window; checks stop before anything is sent.
#include <QAbstractButton>
#include <QPushButton>

#include "AccountFlowSupport.h"
#include "uikit/ImageTitleButton.h"
#include "uikit/RoundedPanel.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "login/register/NBEmailRetriPwdController.h"
#include "login/register/NBPhoneRetriPwdController.h"
#include "login/code/NBRegCodeView.h"
#include "login/register/NBRetrievePassWordController.h"
#include "login/signin/NBSwitchView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "uikit/NBDisableButton.h"

namespace {

class RetrieveFlowTest : public AccountFlowSuite
{
protected:
    NBEmailRetriPwdController *openEmailForm()
    {
        screen = openSheet<NBRetrievePassWordController>();
        [this] { QTRY_VERIFY_WITH_TIMEOUT(screen->currentForm() != nullptr, 2000); }();
        return qobject_cast<NBEmailRetriPwdController *>(screen->currentForm());
    }
    NBPhoneRetriPwdController *openPhoneForm()
    {
        openEmailForm();
        screen->switchAccountView()->selectButton(2);
        return qobject_cast<NBPhoneRetriPwdController *>(screen->currentForm());
    }
    // A new password each run: the stand-in keeps the last one for the whole suite.
    static QString newPassword() { return unique("pw"); }

    QPointer<NBRetrievePassWordController> screen;
};

} // namespace

TEST_F(RetrieveFlowTest, EmailResetThenSignInWithTheNewPassword)
{
    NBEmailRetriPwdController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    const QString email = QStringLiteral("demo@example.com");
    form->emailTextFiled()->textFiled()->setText(email);
    QAbstractButton *codeButton = form->validCode()->verityCodeButton();
    codeButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(codeButton->text(), QStringLiteral("59S"), 5000);
    // The code's success toast goes on the retrieval screen.
    EXPECT_TRUE(toastTexts(screen).contains(localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_EMAIL"))));
    EXPECT_EQ(requestsTo(ApiPaths::kSendEmail).value(0).value(QStringLiteral("register_type")).toInt(-1), 1);

    const QString password = newPassword();
    form->validCode()->textFiled()->setText(lastCodeFor(email));
    form->passWordTextFiled()->textFiled()->setText(password);
    form->aginPassWordTextFiled()->textFiled()->setText(password);
    ASSERT_TRUE(form->retrieveButton()->isEnabled());
    form->retrieveButton()->click();
    EXPECT_FALSE(form->retrieveButton()->isEnabled());
    form->retrieve();
    QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 5000);

    const QList<QJsonObject> resets = requestsTo(ApiPaths::kGetBackPassword);
    ASSERT_EQ(resets.size(), 1);
    EXPECT_EQ(resets.first().value(QStringLiteral("account")).toString(), email);
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(resets.first().value(QStringLiteral("new_password_again")), password));
    EXPECT_TRUE(resets.first().value(QStringLiteral("register_type")).isDouble());
    const QList<QJsonObject> logins = requestsTo(ApiPaths::kAccountLogin);
    ASSERT_EQ(logins.size(), 1);
    EXPECT_EQ(logins.first().value(QStringLiteral("signType")).toString(), QStringLiteral("4"));
    EXPECT_EQ(logins.first().value(QStringLiteral("emailAddress")).toString(), email);
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(logins.first().value(QStringLiteral("password")), password));
    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(user && user->hasToken());
    EXPECT_EQ(user->user->emailAdress.value_or(QString()), email);
}

TEST_F(RetrieveFlowTest, PhoneResetThenSignInSendsTheChosenCallingCode)
{
    NBPhoneRetriPwdController *form = openPhoneForm();
    ASSERT_NE(form, nullptr);
    const QString phone = QStringLiteral("13800000000");
    form->regcodeView()->textFiled()->setText(phone);
    form->regcodeView()->applyChosenCode(QStringLiteral("+852"));
    form->validCode()->verityCodeButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!lastCodeFor(phone).isEmpty(), 5000);
    EXPECT_EQ(requestsTo(ApiPaths::kSendRegisterCode).value(0).value(QStringLiteral("region_code")).toString(),
              QStringLiteral("+852"));

    const QString password = newPassword();
    form->validCode()->textFiled()->setText(lastCodeFor(phone));
    form->passWordTextFiled()->textFiled()->setText(password);
    form->aginPassWordTextFiled()->textFiled()->setText(password);
    form->retrieve();
    QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 5000);

    EXPECT_EQ(requestsTo(ApiPaths::kGetBackPassword).value(0).value(QStringLiteral("region_code")).toString(),
              QStringLiteral("+852"));
    const QList<QJsonObject> logins = requestsTo(ApiPaths::kAccountLogin);
    ASSERT_EQ(logins.size(), 1);
    EXPECT_EQ(logins.first().value(QStringLiteral("signType")).toString(), QStringLiteral("3"));
    EXPECT_EQ(logins.first().value(QStringLiteral("region_code")).toString(), QStringLiteral("+852"));
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(logins.first().value(QStringLiteral("password")), password));
    EXPECT_TRUE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST_F(RetrieveFlowTest, ChecksStopBeforeTheReset)
{
    NBPhoneRetriPwdController *form = openPhoneForm();
    ASSERT_NE(form, nullptr);
    form->validCode()->verityCodeButton()->click();
    EXPECT_TRUE(toastTexts(form).contains(localizedByAppLanguage(QStringLiteral("PLEASE_ENTER_YOUR_MOBLE_PHONE"))));
    form->regcodeView()->textFiled()->setText(QStringLiteral("1380000"));
    form->validCode()->verityCodeButton()->click();
    EXPECT_TRUE(toastTexts(form).contains(localizedByAppLanguage(QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"))));
    EXPECT_FALSE(form->isCodeRequestRunning());

    form->regcodeView()->textFiled()->setText(QStringLiteral("13800000000"));
    form->validCode()->textFiled()->setText(QStringLiteral("123456"));
    form->passWordTextFiled()->textFiled()->setText(QStringLiteral("abc12345"));
    form->aginPassWordTextFiled()->textFiled()->setText(QStringLiteral("abc12344"));
    form->retrieve();
    EXPECT_TRUE(toastTexts(form).contains(QStringLiteral("密码不一致")));
    // Equal, but a password the sign-in forms would refuse.
    form->passWordTextFiled()->textFiled()->setText(QStringLiteral("12345678"));
    form->aginPassWordTextFiled()->textFiled()->setText(QStringLiteral("12345678"));
    form->retrieve();
    EXPECT_TRUE(toastTexts(form).contains(localizedByAppLanguage(QStringLiteral("PLEASE_ENTER_CURRENT_PASSWORD"))));
    EXPECT_FALSE(form->isRequestRunning());
    EXPECT_TRUE(requestsTo(ApiPaths::kSendRegisterCode).isEmpty());
    EXPECT_TRUE(requestsTo(ApiPaths::kGetBackPassword).isEmpty());
}

TEST_F(RetrieveFlowTest, FailedResetOrSignInStaysOnTheForm)
{
    NBEmailRetriPwdController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("demo@example.com"));
    form->validCode()->textFiled()->setText(QStringLiteral("123456"));
    const QString password = newPassword();
    form->passWordTextFiled()->textFiled()->setText(password);
    form->aginPassWordTextFiled()->textFiled()->setText(password);

    // A reset refused without a message, and one whose reply is dropped: no sign-in follows.
    for (const char *kind : {"refuse_silent", "wrong_etag", "error101"}) {
        ASSERT_TRUE(s_standin->fault(ApiPaths::kGetBackPassword, QString::fromLatin1(kind), 1));
        form->retrieve();
        QTRY_VERIFY_WITH_TIMEOUT(!form->isRequestRunning(), 5000);
        EXPECT_TRUE(form->retrieveButton()->isEnabled()) << kind;
    }
    EXPECT_TRUE(requestsTo(ApiPaths::kAccountLogin).isEmpty());

    // The reset goes through but the sign-in's reply carries no user: not signed in, uncovered.
    ASSERT_TRUE(s_standin->fault(ApiPaths::kAccountLogin, QStringLiteral("no_data"), 1));
    form->retrieve();
    QTRY_VERIFY_WITH_TIMEOUT(!form->isRequestRunning(), 5000);
    EXPECT_TRUE(toastTexts(form).contains(localizedByAppLanguage(QStringLiteral("SERVER_DATA_ERROR"))));
    QTRY_VERIFY_WITH_TIMEOUT(!covered(form), 3000);
    EXPECT_EQ(split(), nullptr);
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST_F(RetrieveFlowTest, BackButtonClosesTheSheet)
{
    ASSERT_NE(openEmailForm(), nullptr);
    EXPECT_EQ(screen->contentView()->geometry(), QRect(800 - 11 - 384, 16, 384, 468));
    screen->switchAccountView()->selectButton(2);
    ASSERT_NE(qobject_cast<NBPhoneRetriPwdController *>(screen->currentForm()), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(analyticsEvents().contains(QStringLiteral("forgotPswPage_phone_resetAndLogin_click")), 5000);
    EXPECT_TRUE(analyticsEvents().contains(QStringLiteral("forgotPswPage_open")));
    EXPECT_TRUE(analyticsEvents().contains(QStringLiteral("forgotPswPage_email_resetAndLogin_click")));
    screen->backBtn()->click();
    QTRY_VERIFY_WITH_TIMEOUT(screen.isNull(), 3000);
}
