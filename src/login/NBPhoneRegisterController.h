#pragma once

#include "login/NBAccountFormController.h"

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
    NBVerityCodeContentView *verityCodeView() const { return m_verityCodeView; }
    NBSecureTextView *passWordTextFiled() const { return m_passWordTextFiled; }
    NBSecureTextView *againPwdTextFiled() const { return m_againPwdTextFiled; }
    NBTextFiledContentView *recommandTextFiled() const { return m_recommandTextFiled; }
    NBGradColorView *registerBtn() const { return m_registerBtn; }
    QPushButton *havaAccountBtn() const { return m_havaAccountBtn; }
    QLabel *permissionLabel() const { return m_permissionLabel; }

    // NBVerityCodeContentViewProtocol: the code row's send-code press.
    void codeButtonClicked(QAbstractButton *button) override;
    // The phone is not checked first: the service answers an empty or wrong number itself.
    void sendRegisterCode(QAbstractButton *button);
    void signUpAction();
    // Back to sign-in: the form leaves the registration screen and closes it.
    void dismissAction();

protected:
    void updateActionButton() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutViews();

    NBRegCodeView *m_regcodeView = nullptr;
    NBVerityCodeContentView *m_verityCodeView = nullptr;
    NBSecureTextView *m_passWordTextFiled = nullptr;
    NBSecureTextView *m_againPwdTextFiled = nullptr;
    NBTextFiledContentView *m_recommandTextFiled = nullptr;
    NBGradColorView *m_registerBtn = nullptr;
    QPushButton *m_havaAccountBtn = nullptr;
    QLabel *m_permissionLabel = nullptr;
};
