#pragma once

#include "uikit/NBBaseViewController.h"
#include "login/code/NBVerityCodeLogic.h"

#include <QJsonObject>

#include <memory>
#include <optional>

class NBMaskView;
class NBVerityCodeView;
class QLabel;
class QPushButton;

// The six-box verification-code sheet (375 x 667): sends the code again after a 60-second wait
// ("NBVerityCodeViewControllerTimer") and continues by its type: binds the account, registers and
// signs in, or opens the new-password sheet. Opening it starts the countdown without asking for a
// code. No screen of the program opens it; tests and the gallery make it directly.
class NBVerityCodeViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    static const QString &timerName();

    NBVerityCodeViewController(std::optional<VerityCodeType> type, std::optional<QString> account,
                               std::optional<QString> passWord, std::optional<QString> regCode,
                               QWidget *parent = nullptr);
    ~NBVerityCodeViewController() override;

    void viewDidLoad() override;

    void dismissAction() { dismissController(); }
    void noReceiveAction() { sendVerificationCode(); }
    void continueAction() { continueFlow(); }

    void sendVerificationCode();
    void continueFlow();
    void startCountdown();
    // One tick of the resend countdown (the timer's action; tests run it themselves).
    void countdownTick();
    int remainingSeconds() const;

    std::optional<VerityCodeType> type() const { return m_type; }
    std::optional<QString> account() const { return m_account; }
    std::optional<QString> regCode() const { return m_regCode; }
    QString verityCode() const { return m_verityCode; }
    QString titleText() const { return m_titleText; }
    QString contentText() const { return m_contentText; }

    QLabel *titleLable() const { return m_titleLable; }
    QLabel *contentLable() const { return m_contentLable; }
    NBVerityCodeView *codeView() const { return m_codeView; }
    QPushButton *noReceiveButton() const { return m_noReceiveButton; }
    QPushButton *retrieveButton() const { return m_retrieveButton; }
    QPushButton *backBtn() const { return m_backBtn; }
    bool countdownCovered() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setupTexts();
    void codeEntered(const QString &text);
    void handleCodeResult(const std::optional<QJsonObject> &reply);
    void bindAccount();
    void registerAccount();
    void openNewPassword();
    void layoutViews();
    NBVerityCodeLogic::Known known() const;

    std::optional<VerityCodeType> m_type;
    QString m_contentText;
    QString m_verityCode;
    QString m_titleText;
    std::optional<QString> m_account;
    std::optional<QString> m_passWord;
    std::optional<QJsonObject> m_params;
    std::optional<QString> m_regCode;

    QLabel *m_contentLable = nullptr;
    QLabel *m_titleLable = nullptr;
    QPushButton *m_backBtn = nullptr;
    NBVerityCodeView *m_codeView = nullptr;
    QPushButton *m_noReceiveButton = nullptr;
    QPushButton *m_retrieveButton = nullptr;
    NBMaskView *m_contentView = nullptr;
    std::shared_ptr<int> m_counter;
};
