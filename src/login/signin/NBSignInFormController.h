#pragma once

#include <QJsonObject>
#include <QPointer>

#include <optional>

#include "uikit/NBBaseViewController.h"

class AccountReply;
class ImageTitleButton;
class NBSecureTextView;
class QLineEdit;
class QPushButton;

// What the e-mail and phone sign-in forms share: the password row, the sign-in button, the
// register and forgot-password links, the enablement of the button, Tab, and the road of a
// sign-in: local checks (an error toast for the first that fails), the request, then on success
// "SIGN_SUCCESS" on the login screen and, one second later, the main window.
//
// While a request runs the button is disabled, so one press is one sign-in and one window
// rebuild. A sign-in counts only when the user record was stored; an answer that comes after
// the form has gone still stores the user and brings the main window.
class NBSignInFormController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBSignInFormController(QWidget *parent = nullptr);

    // The login screen that shows the form; its view gets the success toast.
    QPointer<NBBaseViewController> parentVC;

    NBSecureTextView *passWordTextFiled() const { return m_passWordTextFiled; }
    ImageTitleButton *signUpButton() const { return m_signUpButton; }
    QPushButton *accountButton() const { return m_accountButton; }
    QPushButton *forgetPwdButton() const { return m_forgetPwdButton; }
    // The password as last typed.
    QString textValue() const { return m_textValue; }
    bool isSigningIn() const { return m_signingIn; }

    void viewDidLoad() override;

    void signUpAction();
    void accountAction();
    void findPwdAction();

protected:
    // The account row (e-mail row or calling-code field) and its field.
    virtual QWidget *accountRow() = 0;
    virtual QLineEdit *accountField() = 0;
    virtual std::optional<QString> checkFields() const = 0;
    virtual QJsonObject requestParams() const = 0;
    virtual QString passwordTitleKey() const = 0;
    virtual QColor signUpTitleColour() const = 0;
    virtual bool linksUnderlined() const = 0;

    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void textDidChange();
    void updateSignUpButton();
    // The form's own part of the answer: the button, the toast. The user is stored already.
    void handleSignInReply(const AccountReply &result);
    QPushButton *makeLinkButton(const QString &title);
    void presentSheet(const QString &screenName, const QString &event);

    NBSecureTextView *m_passWordTextFiled = nullptr;
    ImageTitleButton *m_signUpButton = nullptr;
    QPushButton *m_accountButton = nullptr;
    QPushButton *m_forgetPwdButton = nullptr;
    QString m_textValue;
    bool m_signingIn = false;
    bool m_signedIn = false;
};
