#pragma once

#include "login/form/AccountFormViews.h"
#include "login/form/NBAccountFormController.h"

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
    NBVerityCodeContentView *validCode() const { return m_rows.code; }
    NBSecureTextView *passWordTextFiled() const { return m_rows.password; }
    NBSecureTextView *aginPassWordTextFiled() const { return m_rows.again; }
    ImageTitleButton *retrieveButton() const;

    void codeButtonClicked(QAbstractButton *button) override;
    void sendCode(QAbstractButton *button);
    void retrieve();
    void signInAfterReset();

protected:
    void layoutViews() override;

private:
    NBTextFiledContentView *m_emailTextFiled = nullptr;
    AccountFormViews::RetrievalRows m_rows;
};
