#pragma once

#include <optional>

#include "login/signin/NBSignInFormController.h"

class NBRegCodeView;

// The phone sign-in form ("signType" "3"): calling code, number and password. The request
// carries the code shown on the button ("+86" until a country is chosen).
class NBPhoneLoginViewController : public NBSignInFormController
{
    Q_OBJECT
public:
    explicit NBPhoneLoginViewController(QWidget *parent = nullptr);

    NBRegCodeView *regcodeView();
    // The code last chosen in the country list; nothing until a choice.
    std::optional<QString> countryCode;

    void viewDidLoad() override;
    void viewDidDisappear() override;

    // Opens the code screen for finding the account by phone: no account yet, the chosen calling
    // code or "+86". No control of the form leads here.
    void cancle();

protected:
    QWidget *accountRow() override;
    QLineEdit *accountField() override;
    std::optional<QString> checkFields() const override;
    QJsonObject requestParams() const override;
    QString passwordTitleKey() const override { return QStringLiteral("LOGIN_PHONE_HEAD_PWD"); }
    QColor signUpTitleColour() const override { return Qt::white; }
    bool linksUnderlined() const override { return false; }

private:
    NBRegCodeView *m_regcodeView = nullptr;
};
