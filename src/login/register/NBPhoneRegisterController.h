#pragma once

#include "login/form/AccountFormViews.h"
#include "login/form/NBAccountFormController.h"

class NBGradColorView;
class NBRegCodeView;
class NBSecureTextView;
class NBTextFiledContentView;
class NBVerityCodeContentView;
class QLabel;
class QPushButton;

// The phone half of the registration screen: calling code and number, the SMS code, a password
// twice, an optional invitation code; "注册并登录" registers and, with the user the reply carries
// stored, opens the main window. A button leads back to sign-in; a consent text ends the form.
class NBPhoneRegisterController : public NBAccountFormController
{
    Q_OBJECT
public:
    explicit NBPhoneRegisterController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    // An open country list never outlives the form's appearance.
    void viewDidDisappear() override;

    NBRegCodeView *regcodeView() const { return m_regcodeView; }
    NBVerityCodeContentView *verityCodeView() const { return m_rows.code; }
    NBSecureTextView *passWordTextFiled() const { return m_rows.password; }
    NBSecureTextView *againPwdTextFiled() const { return m_rows.again; }
    NBTextFiledContentView *recommandTextFiled() const { return m_rows.invitation; }
    NBGradColorView *registerBtn() const { return m_rows.registerButton; }
    QPushButton *havaAccountBtn() const { return m_rows.haveAccount; }
    QLabel *permissionLabel() const { return m_rows.consent; }

    // NBVerityCodeContentViewProtocol: the code row's send-code press.
    void codeButtonClicked(QAbstractButton *button) override;
    // The phone is not checked first: the service answers an empty or wrong number itself.
    void sendRegisterCode(QAbstractButton *button);
    void signUpAction();

protected:
    void layoutViews() override;

private:
    NBRegCodeView *m_regcodeView = nullptr;
    AccountFormViews::RegistrationRows m_rows;
};
