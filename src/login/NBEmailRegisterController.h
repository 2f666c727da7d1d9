#pragma once

#include "login/NBAccountFormController.h"

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
    NBVerityCodeContentView *verityCodeView() const { return m_verityCodeView; }
    NBSecureTextView *passWordTextFiled() const { return m_passWordTextFiled; }
    NBSecureTextView *againPwdTextFiled() const { return m_againPwdTextFiled; }
    NBTextFiledContentView *recommandTextFiled() const { return m_recommandTextFiled; }
    NBGradColorView *registerBtn() const { return m_registerBtn; }
    QPushButton *havaAccountBtn() const { return m_havaAccountBtn; }
    QLabel *permissionLabel() const { return m_permissionLabel; }

    // NBVerityCodeContentViewProtocol: the code row's send-code press.
    void codeButtonClicked(QAbstractButton *button) override;
    void sendEmailCode(QAbstractButton *button);
    void signUpAction();
    // Back to sign-in: the form leaves the registration screen and closes it.
    void dismissAction();

protected:
    void updateActionButton() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutViews();

    NBTextFiledContentView *m_emailTextFiled = nullptr;
    NBVerityCodeContentView *m_verityCodeView = nullptr;
    NBSecureTextView *m_passWordTextFiled = nullptr;
    NBSecureTextView *m_againPwdTextFiled = nullptr;
    NBTextFiledContentView *m_recommandTextFiled = nullptr;
    NBGradColorView *m_registerBtn = nullptr;
    QPushButton *m_havaAccountBtn = nullptr;
    QLabel *m_permissionLabel = nullptr;
};
