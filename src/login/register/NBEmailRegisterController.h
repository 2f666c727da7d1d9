#pragma once

#include "login/form/AccountFormViews.h"
#include "login/form/NBAccountFormController.h"

class NBGradColorView;
class NBSecureTextView;
class NBTextFiledContentView;
class NBVerityCodeContentView;
class QLabel;
class QPushButton;

// The e-mail half of the registration screen: address, the code sent to it, a password twice, an
// optional invitation code; "注册并登录" registers and, with the user the reply carries stored,
// opens the main window. A button leads back to sign-in; a consent text ends the form.
class NBEmailRegisterController : public NBAccountFormController
{
    Q_OBJECT
public:
    explicit NBEmailRegisterController(QWidget *parent = nullptr);

    void viewDidLoad() override;

    NBTextFiledContentView *emailTextFiled() const { return m_emailTextFiled; }
    NBVerityCodeContentView *verityCodeView() const { return m_rows.code; }
    NBSecureTextView *passWordTextFiled() const { return m_rows.password; }
    NBSecureTextView *againPwdTextFiled() const { return m_rows.again; }
    NBTextFiledContentView *recommandTextFiled() const { return m_rows.invitation; }
    NBGradColorView *registerBtn() const { return m_rows.registerButton; }
    QPushButton *havaAccountBtn() const { return m_rows.haveAccount; }
    QLabel *permissionLabel() const { return m_rows.consent; }

    // NBVerityCodeContentViewProtocol: the code row's send-code press.
    void codeButtonClicked(QAbstractButton *button) override;
    void sendEmailCode(QAbstractButton *button);
    void signUpAction();

protected:
    void layoutViews() override;

private:
    NBTextFiledContentView *m_emailTextFiled = nullptr;
    AccountFormViews::RegistrationRows m_rows;
};
