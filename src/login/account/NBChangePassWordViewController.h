#pragma once

#include "uikit/NBBaseViewController.h"

#include <QJsonObject>

#include <optional>

class NBAccountSetTimerView;
class NBNavView;
class NBSecureTextView;
class QLabel;
class QLineEdit;

// Changing the login password: the current one, the new one and the new one again, sent to
// "users/update_password". The button works once all three rows hold text. The new password
// must equal its repetition and follow the password rule before anything is sent. Toasts go
// into the account screen below (they outlive this screen); a success closes it one second later.
class NBChangePassWordViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBChangePassWordViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;

    // Checks, then sends; the answer is shown in the parent's view.
    void changePwdWith(const QString &oldPassword, const QString &newPassword, const QString &confirmPassword);
    void dismissAction() { dismissController(); }

    // "new_password", "new_password_again", "old_password".
    static QJsonObject changeParams(const QString &oldPassword, const QString &newPassword,
                                    const QString &confirmPassword);

    NBNavView *navView() const { return m_navView; }
    NBSecureTextView *oldPassWordContentView() const { return m_oldPassWordContentView; }
    NBSecureTextView *passWordContentView() const { return m_passWordContentView; }
    NBSecureTextView *passWordAgainContentView() const { return m_passWordAgainContentView; }
    QLabel *topLabel() const { return m_topLabel; }
    NBAccountSetTimerView *bindView() const { return m_bindView; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void controlTextDidChange();
    void handleAnswer(const std::optional<QJsonObject> &response, const std::optional<QString> &message);
    QWidget *toastHost();
    void layoutViews();
    NBSecureTextView *makeRow(const QString &titleKey, const QString &placeholderKey);

    const QString m_footer;
    bool m_newPwdHasFill = false;
    bool m_pwdHasFill = false;
    bool m_pwdAgainFill = false;
    QString m_oldPassWordText;
    QString m_passWordText;
    QString m_passWordAgainText;

    NBNavView *m_navView = nullptr;
    QLabel *m_topLabel = nullptr;
    NBSecureTextView *m_oldPassWordContentView = nullptr;
    NBSecureTextView *m_passWordContentView = nullptr;
    NBSecureTextView *m_passWordAgainContentView = nullptr;
    NBAccountSetTimerView *m_bindView = nullptr;
};
