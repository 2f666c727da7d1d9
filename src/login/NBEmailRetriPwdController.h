#pragma once

#include "login/NBAccountFormController.h"

class ImageTitleButton;
class NBSecureTextView;
class NBTextFiledContentView;
class NBVerityCodeContentView;

// The e-mail half of the password retrieval screen: the account's address, the code sent to it
// and a new password twice. "重置密码并登录" resets the password, then signs in with the address
// and the new password, which ends in the main window.
class NBEmailRetriPwdController : public NBAccountFormController
{
    Q_OBJECT
public:
    explicit NBEmailRetriPwdController(QWidget *parent = nullptr);

    void viewDidLoad() override;

    NBTextFiledContentView *emailTextFiled() const { return m_emailTextFiled; }
    NBVerityCodeContentView *validCode() const { return m_validCode; }
    NBSecureTextView *passWordTextFiled() const { return m_passWordTextFiled; }
    NBSecureTextView *aginPassWordTextFiled() const { return m_aginPassWordTextFiled; }
    ImageTitleButton *retrieveButton() const { return m_retrieveButton; }

    void codeButtonClicked(QAbstractButton *button) override;
    void sendCode(QAbstractButton *button);
    void retrieve();
    void signInAfterReset();

protected:
    void updateActionButton() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutViews();

    NBTextFiledContentView *m_emailTextFiled = nullptr;
    NBVerityCodeContentView *m_validCode = nullptr;
    NBSecureTextView *m_passWordTextFiled = nullptr;
    NBSecureTextView *m_aginPassWordTextFiled = nullptr;
    ImageTitleButton *m_retrieveButton = nullptr;
};
