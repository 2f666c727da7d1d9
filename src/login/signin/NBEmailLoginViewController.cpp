#include "login/signin/NBEmailLoginViewController.h"

#include "uikit/NBBaseTextField.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/TextFieldStyle.h"
#include "common/Localization.h"
#include "login/signin/LoginFormChecks.h"
#include "login/form/NBTextFiledContentView.h"

NBEmailLoginViewController::NBEmailLoginViewController(QWidget *parent)
    : NBSignInFormController(parent)
{
}

NBTextFiledContentView *NBEmailLoginViewController::emailTextFiled()
{
    if (!m_emailTextFiled) {
        m_emailTextFiled = new NBTextFiledContentView(this);
        m_emailTextFiled->textFiled()->setPlaceholderText(localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_HEAD_PLACE")));
        TextFieldStyle::setPlaceholder(m_emailTextFiled->textFiled());
        m_emailTextFiled->titleLabel()->setText(localizedByAppLanguage(QStringLiteral("LOGIN_EMAIL_SWITCH_TITLE")));
    }
    return m_emailTextFiled;
}

QWidget *NBEmailLoginViewController::accountRow()
{
    return emailTextFiled();
}

QLineEdit *NBEmailLoginViewController::accountField()
{
    return emailTextFiled()->textFiled();
}

std::optional<QString> NBEmailLoginViewController::checkFields() const
{
    return LoginFormChecks::checkEmailForm(m_emailTextFiled->textFiled()->text(), textValue());
}

QJsonObject NBEmailLoginViewController::requestParams() const
{
    return LoginFormChecks::emailParams(m_emailTextFiled->textFiled()->text(), textValue());
}
