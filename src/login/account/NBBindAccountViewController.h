#pragma once

#include "uikit/NBBaseViewController.h"
#include "login/account/NBBindAccountLogic.h"
#include "login/code/NBVerityCodeContentViewProtocol.h"
#include "networking/OONetWorkTool.h"

#include <QJsonObject>

#include <optional>

class NBAccountSetTimerView;
class NBBaseTextField;
class NBNavView;
class NBRegCodeView;
class NBSecureTextView;
class NBTextFiledContentView;
class NBVerityCodeContentView;
class QAbstractButton;
class QLabel;
class QLineEdit;

// Binding a phone number or an e-mail address to the signed-in account with a verification code
// ("registers/bound_account"). A user who has neither yet also chooses a login password here;
// it must be entered twice alike and follow the password rule. After a binding the stored user
// gets the new phone (and calling code) or address, every other key kept, and the screen closes.
class NBBindAccountViewController : public NBBaseViewController, public NBVerityCodeContentViewProtocol
{
    Q_OBJECT
public:
    explicit NBBindAccountViewController(BindAccountType accountType, QWidget *parent = nullptr);
    ~NBBindAccountViewController() override;

    void viewDidLoad() override;
    void viewDidAppear() override;
    void viewDidDisappear() override;

    BindAccountType accountType() const { return m_accountType; }
    bool isBind() const { return m_isBind; }
    std::optional<QString> countryCode() const { return m_countryCode; }

    void dismissAction() { dismissController(); }
    // The code row's press: the phone or e-mail code request.
    void codeButtonClicked(QAbstractButton *button) override;
    void sendPhoneCode(QAbstractButton *button);
    void sendEmailCode(QAbstractButton *button);
    // The countdown on the send button.
    void switchAction(QAbstractButton *button);
    void bindAccount();

    NBNavView *navView() const { return m_navView; }
    QLabel *topLabel() const { return m_topLabel; }
    NBTextFiledContentView *userIdContentView() const { return m_userIdContentView; }
    NBTextFiledContentView *contentView() const { return m_contentView; }
    NBRegCodeView *regcodeView() const { return m_regcodeView; }
    NBVerityCodeContentView *verityCodeView() const { return m_verityCodeView; }
    NBSecureTextView *passWordContentView() const { return m_passWordContentView; }
    NBSecureTextView *passWordAgainContentView() const { return m_passWordAgainContentView; }
    QLabel *bottemLabel() const { return m_bottemLabel; }
    NBAccountSetTimerView *bindView() const { return m_bindView; }
    QLineEdit *accountField() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupData();
    void updateBindButton();
    void handleCodeResult(const std::optional<QJsonObject> &reply, const QString &successKey,
                          QAbstractButton *button);
    void handleBindResult(const std::optional<QJsonObject> &reply, const QString &regionCode, const QString &account);
    void sendCode(OONetWorkTool::AccountCall send, const QJsonObject &params, const QString &successKey,
                  QAbstractButton *button);
    QString regionCodeShown() const;
    void layoutViews();
    void watch(QLineEdit *field);

    const BindAccountType m_accountType;
    QString m_header;
    QString m_footer;
    std::optional<QString> m_countryCode;
    bool m_isBind = false;

    NBNavView *m_navView = nullptr;
    QLabel *m_topLabel = nullptr;
    NBTextFiledContentView *m_userIdContentView = nullptr;
    NBTextFiledContentView *m_contentView = nullptr;
    NBRegCodeView *m_regcodeView = nullptr;
    NBVerityCodeContentView *m_verityCodeView = nullptr;
    NBSecureTextView *m_passWordContentView = nullptr;
    NBSecureTextView *m_passWordAgainContentView = nullptr;
    QLabel *m_bottemLabel = nullptr;
    NBAccountSetTimerView *m_bindView = nullptr;
};
