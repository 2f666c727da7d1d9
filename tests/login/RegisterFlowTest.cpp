// Registration against the stand-in service over real HTTP: by e-mail and by phone it ends
// signed in on the main window; refusals, error 101 and a dropped reply never do, and never leave
// the form covered.
#include <QAbstractButton>
#include <QPushButton>
#include <QGraphicsEffect>
#include <QImage>
#include <QTest>

#include "AccountFlowSupport.h"
#include "app/NBGuidViewController.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBGradColorView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/NBSecureTextView.h"
#include "common/ApiPaths.h"
#include "common/Localization.h"
#include "login/register/NBEmailRegisterController.h"
#include "login/register/NBPhoneRegisterController.h"
#include "login/code/NBRegCodeView.h"
#include "login/register/NBRegisterViewController.h"
#include "login/signin/NBLoginViewController.h"
#include "uikit/NBMaskView.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/ScreenFactory.h"
#include "login/signin/NBSignInFormController.h"
#include "login/signin/NBSwitchView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "uikit/NBDisableButton.h"

namespace {

const QString kPassword = QStringLiteral("abc12345");

class RegisterFlowTest : public AccountFlowSuite
{
protected:
    NBEmailRegisterController *openEmailForm()
    {
        screen = openSheet<NBRegisterViewController>();
        [this] { QTRY_VERIFY_WITH_TIMEOUT(screen->currentForm() != nullptr, 2000); }();
        return qobject_cast<NBEmailRegisterController *>(screen->currentForm());
    }
    NBPhoneRegisterController *openPhoneForm()
    {
        openEmailForm();
        screen->switchAccountView()->selectButton(2);
        return qobject_cast<NBPhoneRegisterController *>(screen->currentForm());
    }
    void fillEmailForm(NBEmailRegisterController *form, const QString &email, const QString &code)
    {
        form->emailTextFiled()->textFiled()->setText(email);
        form->verityCodeView()->textFiled()->setText(code);
        form->passWordTextFiled()->textFiled()->setText(kPassword);
        form->againPwdTextFiled()->textFiled()->setText(kPassword);
    }

    QPointer<NBRegisterViewController> screen;
};

} // namespace

// Reached as a newcomer does: the sign-in screen over the guide, then its form's register link,
// which finds the sheet by the name the client's own registration file gives it. The card lies
// flush with the window's right edge, 16 from its top and bottom, and nothing of it is cut: its
// left corners are rounded over the picture, its right edge is the window's.
TEST_F(RegisterFlowTest, TheRegistrationCardLiesInsideTheWindowWithItsCornersShowing)
{
    ASSERT_TRUE(ScreenFactory::instance().hasScreen(QStringLiteral("NBRegisterViewController")));
    auto *guide = qobject_cast<NBGuidViewController *>(root());
    ASSERT_NE(guide, nullptr);
    // Over the guide, as its account choice opens it (the shell's screen names are not part of
    // this program).
    auto made = std::make_unique<NBLoginViewController>();
    NBLoginViewController *login = made.get();
    login->setGeometry(guide->rect());
    ASSERT_TRUE(guide->presentViewController(std::move(made), new NBPresentationAnimator(login, guide)));
    QTRY_VERIFY_WITH_TIMEOUT(login->currentForm() != nullptr, 3000);
    QTest::mouseClick(login->currentForm()->accountButton(), Qt::LeftButton);
    ASSERT_FALSE(root()->presentedControllers().isEmpty());
    screen = qobject_cast<NBRegisterViewController *>(root()->presentedControllers().last());
    ASSERT_NE(screen, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(screen->currentForm() != nullptr, 3000);
    const auto settled = [&] {
        for (QWidget *w = screen->contentView(); w; w = w->parentWidget()) {
            if (w->graphicsEffect() || !w->isVisible())
                return false;
        }
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), 3000);

    QWidget *window = delegate.fakeWindowVC();
    const auto inWindow = [window](QWidget *w) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); };
    const QRect card = inWindow(screen->contentView());
    const QRect signInCard = inWindow(login->maskView());
    EXPECT_EQ(card.size(), QSize(394, 468));
    EXPECT_EQ(card.top(), 16);
    EXPECT_TRUE(window->rect().contains(card));
    EXPECT_EQ(card.right(), window->width() - 1) << "flush with the window's right edge";
    EXPECT_LE(signInCard.right(), card.right());

    // Drawn: the card's colour inside and up to the window's edge, the picture in its rounded
    // left corners and above and below it.
    const QImage shot = window->grab().toImage();
    const QColor cardColour(42, 41, 44);
    EXPECT_EQ(shot.pixelColor(card.center().x(), card.top() + 8), cardColour);
    EXPECT_EQ(shot.pixelColor(card.right(), card.center().y()), cardColour);
    EXPECT_NE(shot.pixelColor(card.left(), card.top()), cardColour);
    EXPECT_NE(shot.pixelColor(card.left(), card.bottom()), cardColour);
    EXPECT_NE(shot.pixelColor(card.right(), card.top() - 5), cardColour);
    EXPECT_NE(shot.pixelColor(card.right(), card.bottom() + 5), cardColour);
}

TEST_F(RegisterFlowTest, EmailRegistrationEndsSignedInWithTheWholeRecordStored)
{
    NBEmailRegisterController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->parentVC, screen.data());
    const QString email = unique("reg") + QStringLiteral("@example.com");

    form->emailTextFiled()->textFiled()->setText(email);
    QAbstractButton *codeButton = form->verityCodeView()->verityCodeButton();
    codeButton->click();
    QTRY_COMPARE_WITH_TIMEOUT(codeButton->text(), QStringLiteral("59S"), 5000);
    const QList<QJsonObject> codeRequests = requestsTo(ApiPaths::kSendEmail);
    ASSERT_EQ(codeRequests.size(), 1);
    EXPECT_EQ(codeRequests.first().value(QStringLiteral("emailAdress")).toString(), email);
    EXPECT_TRUE(codeRequests.first().value(QStringLiteral("register_type")).isDouble());
    EXPECT_EQ(codeRequests.first().value(QStringLiteral("register_type")).toInt(), 0);

    fillEmailForm(form, email, lastCodeFor(email));
    ASSERT_TRUE(form->registerBtn()->isEnabled());
    form->registerBtn()->click();
    // One press, one request: the button is off while it runs.
    EXPECT_FALSE(form->registerBtn()->isEnabled());
    EXPECT_TRUE(covered(form));
    form->signUpAction();

    QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 5000);
    const QList<QJsonObject> registrations = requestsTo(ApiPaths::kAccountRegister);
    ASSERT_EQ(registrations.size(), 1);
    EXPECT_EQ(registrations.first().value(QStringLiteral("emailAddress")).toString(), email);
    EXPECT_FALSE(registrations.first().contains(QStringLiteral("invitation_code")));

    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(user && user->user);
    EXPECT_EQ(user->user->emailAdress.value_or(QString()), email);
    EXPECT_TRUE(user->hasToken());
    const QJsonObject stored = user->toJson();
    EXPECT_TRUE(stored.contains(QStringLiteral("proxy_session_id")));
    EXPECT_TRUE(stored.value(QStringLiteral("user")).toObject().contains(QStringLiteral("is_visitor")));
    EXPECT_TRUE(stored.value(QStringLiteral("user")).toObject().contains(QStringLiteral("user_type")));
}

TEST_F(RegisterFlowTest, ARegistrationAnsweredAfterTheTabChangedStillSignsIn)
{
    NBEmailRegisterController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    const QString email = unique("late") + QStringLiteral("@example.com");
    form->emailTextFiled()->textFiled()->setText(email);
    form->verityCodeView()->verityCodeButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!lastCodeFor(email).isEmpty(), 5000);
    fillEmailForm(form, email, lastCodeFor(email));
    ASSERT_TRUE(s_standin->fault(ApiPaths::kAccountRegister, QStringLiteral("delay"), 1, 3000));
    QPointer<NBEmailRegisterController> sent(form);
    form->registerBtn()->click();
    ASSERT_TRUE(form->isRequestRunning());
    // The phone tab replaces the form before the service answers.
    QTest::mouseClick(screen->switchAccountView()->secondSideButton(), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(sent.isNull(), 5000);
    ASSERT_FALSE(MKUserInfoManager::shared().currentUser().has_value());

    QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 10000);
    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(user && user->user);
    EXPECT_EQ(user->user->emailAdress.value_or(QString()), email);
}

TEST_F(RegisterFlowTest, PhoneRegistrationEndsSignedInWithTheCodeOnTheButton)
{
    NBPhoneRegisterController *form = openPhoneForm();
    ASSERT_NE(form, nullptr);
    const QString phone = unique("139");
    form->regcodeView()->textFiled()->setText(phone);
    form->verityCodeView()->verityCodeButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!lastCodeFor(phone).isEmpty(), 5000);

    form->verityCodeView()->textFiled()->setText(lastCodeFor(phone));
    form->passWordTextFiled()->textFiled()->setText(kPassword);
    form->againPwdTextFiled()->textFiled()->setText(kPassword);
    form->recommandTextFiled()->textFiled()->setText(QStringLiteral("FRIEND1"));
    form->registerBtn()->click();
    QTRY_VERIFY_WITH_TIMEOUT(split() != nullptr, 5000);

    const QJsonObject sent = requestsTo(ApiPaths::kAccountRegister).value(0);
    EXPECT_EQ(sent.value(QStringLiteral("phone")).toString(), phone);
    EXPECT_EQ(sent.value(QStringLiteral("region_code")).toString(), QStringLiteral("+86"));
    EXPECT_EQ(sent.value(QStringLiteral("invitation_code")).toString(), QStringLiteral("FRIEND1"));
    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(user && user->user);
    EXPECT_EQ(user->user->phone.value_or(QString()), phone);
}

TEST_F(RegisterFlowTest, RefusalsAndDroppedRepliesAreNeverASuccess)
{
    NBEmailRegisterController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    const QString serverError = localizedByAppLanguage(QStringLiteral("SERVER_DATA_ERROR"));
    struct Case
    {
        const char *kind;
        bool toast;
    };
    for (const Case &c : {Case{"refuse_silent", true}, Case{"no_data", true}, Case{"error101", false},
                          Case{"wrong_etag", true}, Case{"fail", true}}) {
        SCOPED_TRACE(c.kind);
        ASSERT_TRUE(s_standin->fault(ApiPaths::kAccountRegister, QString::fromLatin1(c.kind), 1));
        fillEmailForm(form, unique("refused") + QStringLiteral("@example.com"), QStringLiteral("123456"));
        form->signUpAction();
        ASSERT_TRUE(form->isRequestRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!form->isRequestRunning(), 5000);
        const QStringList toasts = toastTexts(form);
        if (!c.toast)
            EXPECT_TRUE(toasts.isEmpty()) << toasts.join(QLatin1Char('|')).toStdString();
        else if (QLatin1String(c.kind) == QLatin1String("fail"))
            EXPECT_TRUE(toasts.contains(QStringLiteral("操作失败")));
        else
            EXPECT_TRUE(toasts.contains(serverError));
        QTRY_VERIFY_WITH_TIMEOUT(!covered(form), 3000);
        EXPECT_TRUE(form->registerBtn()->isEnabled());
        EXPECT_EQ(split(), nullptr);
        EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
        QTRY_VERIFY_WITH_TIMEOUT(toastTexts(form).isEmpty(), 3000);
    }
}

TEST_F(RegisterFlowTest, CodeRequestSucceedsOnlyWhenTheServiceSaysSo)
{
    NBEmailRegisterController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("someone@example.com"));
    QAbstractButton *codeButton = form->verityCodeView()->verityCodeButton();
    const QString ready = codeButton->text();
    for (const char *kind : {"refuse_silent", "error101"}) {
        ASSERT_TRUE(s_standin->fault(ApiPaths::kSendEmail, QString::fromLatin1(kind), 1));
        form->sendEmailCode(codeButton);
        EXPECT_TRUE(covered(form));
        QTRY_VERIFY_WITH_TIMEOUT(!form->isCodeRequestRunning(), 5000);
        EXPECT_EQ(codeButton->text(), ready) << kind;
        QTRY_VERIFY_WITH_TIMEOUT(!covered(form), 3000);
    }
    // A malformed address sends nothing.
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("someone@example.cn"));
    form->sendEmailCode(codeButton);
    EXPECT_FALSE(form->isCodeRequestRunning());
    EXPECT_TRUE(toastTexts(form).contains(localizedByAppLanguage(QStringLiteral("ENTER_PHONE_ACCOUNT_ERROR"))));
    EXPECT_EQ(requestsTo(ApiPaths::kSendEmail).size(), 2);
}

TEST_F(RegisterFlowTest, LocalChecksStopBeforeSending)
{
    NBEmailRegisterController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    fillEmailForm(form, QStringLiteral("new@example.com"), QStringLiteral("123456"));
    form->againPwdTextFiled()->textFiled()->setText(QStringLiteral("abc12346"));
    form->signUpAction();
    EXPECT_FALSE(form->isRequestRunning());
    EXPECT_TRUE(toastTexts(form).contains(localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_PWD_NOT_THE_SAME"))));
    EXPECT_TRUE(requestsTo(ApiPaths::kAccountRegister).isEmpty());

    form->againPwdTextFiled()->textFiled()->clear();
    EXPECT_FALSE(form->registerBtn()->isEnabled());
    EXPECT_EQ(form->registerBtn()->backgroundImage(), QStringLiteral("confirm_unenable_icon"));
    form->againPwdTextFiled()->textFiled()->setText(kPassword);
    EXPECT_EQ(form->registerBtn()->backgroundImage(), QStringLiteral("confirm_enable_icon"));
}

TEST_F(RegisterFlowTest, SwitchingMakesFreshFormsAndTheWayBackClosesTheSheet)
{
    NBEmailRegisterController *first = openEmailForm();
    ASSERT_NE(first, nullptr);
    QPointer<NBEmailRegisterController> old(first);
    first->emailTextFiled()->textFiled()->setText(QStringLiteral("typed@example.com"));
    EXPECT_EQ(screen->contentView()->geometry(), QRect(800 - 394, 16, 394, 500 - 32));

    screen->switchAccountView()->selectButton(2);
    ASSERT_NE(qobject_cast<NBPhoneRegisterController *>(screen->currentForm()), nullptr);
    screen->switchAccountView()->selectButton(1);
    auto *again = qobject_cast<NBEmailRegisterController *>(screen->currentForm());
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->emailTextFiled()->textFiled()->text().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(old.isNull(), 2000);
    EXPECT_EQ(again->geometry(), screen->baseView()->rect());

    // Uploads of earlier tests may still arrive: at least these.
    QTRY_VERIFY_WITH_TIMEOUT(analyticsEvents().count(QStringLiteral("registerPage_email_registerAndLogin_click")) >= 2, 5000);
    EXPECT_TRUE(analyticsEvents().contains(QStringLiteral("registerPage_phone_registerAndLogin_click")));
    EXPECT_TRUE(analyticsEvents().contains(QStringLiteral("registerPage_open")));

    ASSERT_EQ(root()->presentedControllers().size(), 1);
    again->havaAccountBtn()->click();
    QTRY_VERIFY_WITH_TIMEOUT(screen.isNull(), 3000);
    EXPECT_TRUE(root()->presentedControllers().isEmpty());
}

TEST_F(RegisterFlowTest, TabWalksTheFieldsAndStaysInTheLast)
{
    NBEmailRegisterController *form = openEmailForm();
    ASSERT_NE(form, nullptr);
    delegate.fakeWindowVC()->show();
    QApplication::setActiveWindow(delegate.fakeWindowVC());
    const QList<QLineEdit *> order{form->emailTextFiled()->textFiled(), form->verityCodeView()->textFiled(),
                                   form->passWordTextFiled()->textFiled(), form->againPwdTextFiled()->textFiled(),
                                   form->recommandTextFiled()->textFiled()};
    order.first()->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order.at(i)) << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order.last());
}
