// Pictures of registration and password retrieval: each form, filled, with its error, warning or
// success toast, the countdown running and the loading cover. No request is sent.
#include "GalleryScene.h"

#include "uikit/NBCustomTextField.h"
#include "uikit/NBSecureTextView.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "common/Localization.h"
#include "login/register/NBEmailRegisterController.h"
#include "login/register/NBEmailRetriPwdController.h"
#include "login/register/NBPhoneRegisterController.h"
#include "login/register/NBPhoneRetriPwdController.h"
#include "login/code/NBRegCodeView.h"
#include "login/register/NBRegisterCountdown.h"
#include "login/register/NBRegisterViewController.h"
#include "login/register/NBRetrievePassWordController.h"
#include "login/signin/NBSwitchView.h"
#include "login/form/NBTextFiledContentView.h"
#include "login/code/NBVerityCodeContentView.h"
#include "uikit/NBDisableButton.h"

namespace {

// The gallery holds delayed steps, so the first selection is made here rather than after 10 ms.
template <typename Screen, typename Form>
Form *showForm(Screen *screen, int tag)
{
    screen->ensureLoaded();
    screen->switchAccountView()->selectButton(tag);
    return qobject_cast<Form *>(screen->currentForm());
}

void runningCountdown(QAbstractButton *button)
{
    NBRegisterCountdown::State state;
    state.button = button;
    NBRegisterCountdown::tick(state);
}

void fillPasswords(NBSecureTextView *first, NBSecureTextView *second, const QString &a, const QString &b)
{
    first->textFiled()->setText(a);
    second->textFiled()->setText(b);
}

} // namespace

OSTREL_GALLERY_SCENE("register/email_form", 800, 500)
{
    auto *screen = new NBRegisterViewController;
    showForm<NBRegisterViewController, NBEmailRegisterController>(screen, 1);
    return screen;
}

OSTREL_GALLERY_SCENE("register/email_countdown_filled", 800, 500)
{
    auto *screen = new NBRegisterViewController;
    auto *form = showForm<NBRegisterViewController, NBEmailRegisterController>(screen, 1);
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("new.user@example.com"));
    form->verityCodeView()->textFiled()->setText(QStringLiteral("123456"));
    fillPasswords(form->passWordTextFiled(), form->againPwdTextFiled(), QStringLiteral("abc12345"), QStringLiteral("abc12345"));
    runningCountdown(form->verityCodeView()->verityCodeButton());
    showSuccessToast(form, localizedByAppLanguage(QStringLiteral("HAS_ENTER_YZM_EMAIL")));
    return screen;
}

OSTREL_GALLERY_SCENE("register/email_error_toast", 800, 500)
{
    auto *screen = new NBRegisterViewController;
    auto *form = showForm<NBRegisterViewController, NBEmailRegisterController>(screen, 1);
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("new.user@example.com"));
    form->verityCodeView()->textFiled()->setText(QStringLiteral("123456"));
    fillPasswords(form->passWordTextFiled(), form->againPwdTextFiled(), QStringLiteral("abc12345"), QStringLiteral("abc12346"));
    showErrorToast(form, localizedByAppLanguage(QStringLiteral("REGISTER_EMAIL_PWD_NOT_THE_SAME")));
    return screen;
}

OSTREL_GALLERY_SCENE("register/email_loading", 800, 500)
{
    auto *screen = new NBRegisterViewController;
    auto *form = showForm<NBRegisterViewController, NBEmailRegisterController>(screen, 1);
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("new.user@example.com"));
    OOLoadingView::cover(form);
    return screen;
}

OSTREL_GALLERY_SCENE("register/phone_form", 800, 500)
{
    auto *screen = new NBRegisterViewController;
    showForm<NBRegisterViewController, NBPhoneRegisterController>(screen, 2);
    return screen;
}

OSTREL_GALLERY_SCENE("register/phone_success", 800, 500)
{
    auto *screen = new NBRegisterViewController;
    auto *form = showForm<NBRegisterViewController, NBPhoneRegisterController>(screen, 2);
    form->regcodeView()->textFiled()->setText(QStringLiteral("13800000001"));
    form->verityCodeView()->textFiled()->setText(QStringLiteral("123456"));
    fillPasswords(form->passWordTextFiled(), form->againPwdTextFiled(), QStringLiteral("abc12345"), QStringLiteral("abc12345"));
    form->recommandTextFiled()->textFiled()->setText(QStringLiteral("FRIEND1"));
    runningCountdown(form->verityCodeView()->verityCodeButton());
    showSuccessToast(screen, QStringLiteral("注册成功"));
    return screen;
}

OSTREL_GALLERY_SCENE("retrieve/email_form", 800, 500)
{
    auto *screen = new NBRetrievePassWordController;
    showForm<NBRetrievePassWordController, NBEmailRetriPwdController>(screen, 1);
    return screen;
}

OSTREL_GALLERY_SCENE("retrieve/email_warn_toast", 800, 500)
{
    auto *screen = new NBRetrievePassWordController;
    auto *form = showForm<NBRetrievePassWordController, NBEmailRetriPwdController>(screen, 1);
    form->emailTextFiled()->textFiled()->setText(QStringLiteral("demo@example.com"));
    form->validCode()->textFiled()->setText(QStringLiteral("123456"));
    fillPasswords(form->passWordTextFiled(), form->aginPassWordTextFiled(), QStringLiteral("abc12345"), QStringLiteral("abc1234"));
    runningCountdown(form->validCode()->verityCodeButton());
    showWarnToast(form, QStringLiteral("密码不一致"));
    return screen;
}

OSTREL_GALLERY_SCENE("retrieve/phone_form", 800, 500)
{
    auto *screen = new NBRetrievePassWordController;
    showForm<NBRetrievePassWordController, NBPhoneRetriPwdController>(screen, 2);
    return screen;
}

OSTREL_GALLERY_SCENE("retrieve/phone_signed_in", 800, 500)
{
    auto *screen = new NBRetrievePassWordController;
    auto *form = showForm<NBRetrievePassWordController, NBPhoneRetriPwdController>(screen, 2);
    form->regcodeView()->textFiled()->setText(QStringLiteral("13800000000"));
    form->validCode()->textFiled()->setText(QStringLiteral("123456"));
    fillPasswords(form->passWordTextFiled(), form->aginPassWordTextFiled(), QStringLiteral("abc12345"), QStringLiteral("abc12345"));
    OOLoadingView::cover(form);
    showSuccessToast(screen, localizedByAppLanguage(QStringLiteral("SIGN_SUCCESS")));
    return screen;
}
