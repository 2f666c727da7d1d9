#pragma once

#include "login/signin/NBSignInFormController.h"

class NBTextFiledContentView;

// The e-mail sign-in form ("signType" "4"), the first form the login screen shows.
class NBEmailLoginViewController : public NBSignInFormController
{
    Q_OBJECT
public:
    explicit NBEmailLoginViewController(QWidget *parent = nullptr);

    NBTextFiledContentView *emailTextFiled();

protected:
    QWidget *accountRow() override;
    QLineEdit *accountField() override;
    std::optional<QString> checkFields() const override;
    QJsonObject requestParams() const override;
    QString passwordTitleKey() const override { return QStringLiteral("LOGIN_EMAIL_HEAD_PWD"); }
    QColor signUpTitleColour() const override { return QColor(222, 228, 244); }
    bool linksUnderlined() const override { return true; }

private:
    NBTextFiledContentView *m_emailTextFiled = nullptr;
};
