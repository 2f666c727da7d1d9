#pragma once

#include <optional>

#include "login/form/AccountFormViews.h"
#include "login/form/NBAccountFormController.h"

class ImageTitleButton;
class NBRegCodeView;
class NBSecureTextView;
class NBVerityCodeContentView;

// The phone half of the password retrieval screen: calling code and number, the SMS code and a
// new password twice. "重置密码并登录" resets the password, then signs in with the number and the
// new password, which ends in the main window.
class NBPhoneRetriPwdController : public NBAccountFormController
{
    Q_OBJECT
public:
    explicit NBPhoneRetriPwdController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    // An open country list never outlives the form's appearance.
    void viewDidDisappear() override;

    // The calling code last picked in the list; the requests read the code button instead.
    std::optional<QString> countryCode;

    NBRegCodeView *regcodeView() const { return m_regcodeView; }
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
    NBRegCodeView *m_regcodeView = nullptr;
    AccountFormViews::RetrievalRows m_rows;
};
