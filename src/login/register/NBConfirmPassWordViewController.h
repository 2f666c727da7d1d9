#pragma once

#include "uikit/NBBaseViewController.h"
#include "login/code/VerityCodeType.h"

#include <optional>

class NBMaskView;
class NBRegCodeView;
class NBSecureTextView;
class NBTextFiledContentView;
class QLabel;
class QPushButton;

// The new-password sheet after a retrieval code (375 x 667): the account the code went to,
// read-only under a click-swallowing cover, and two password rows. The done button turns blue
// and enabled once both rows hold text; it sends nothing (the retrieval forms reset passwords).
class NBConfirmPassWordViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    NBConfirmPassWordViewController(VerityCodeType type, const QString &verityCode, const QString &account,
                                    const QString &regCode, QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewDidDisappear() override;

    void dismissAction() { dismissController(); }
    void doneAction() {}

    std::optional<VerityCodeType> type() const { return m_type; }
    QString passWordText() const { return m_passWordText; }
    QString passWordAgainText() const { return m_passWordAgainText; }

    NBTextFiledContentView *contentView() const { return m_contentView; }
    NBRegCodeView *regcodeView() const { return m_regcodeView; }
    NBMaskView *maskView() const { return m_maskView; }
    NBSecureTextView *passWordContentView() const { return m_passWordContentView; }
    NBSecureTextView *passWordAgainContentView() const { return m_passWordAgainContentView; }
    QPushButton *doneButton() const { return m_doneButton; }
    // The row that shows the account: the region row for phone, the e-mail row otherwise.
    QWidget *accountRow() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void controlTextDidChange();
    void layoutViews();

    std::optional<VerityCodeType> m_type;
    std::optional<QString> m_verityCode;
    std::optional<QString> m_account;
    std::optional<QString> m_regCode;
    bool m_pwdHasFill = false;
    bool m_pwdAgainFill = false;
    QString m_passWordText;
    QString m_passWordAgainText;

    NBMaskView *m_maskView = nullptr;
    QLabel *m_titleLable = nullptr;
    QPushButton *m_backBtn = nullptr;
    QLabel *m_topLabel = nullptr;
    NBTextFiledContentView *m_contentView = nullptr;
    NBRegCodeView *m_regcodeView = nullptr;
    NBSecureTextView *m_passWordContentView = nullptr;
    NBSecureTextView *m_passWordAgainContentView = nullptr;
    QLabel *m_bottemLabel = nullptr;
    QPushButton *m_doneButton = nullptr;
};
