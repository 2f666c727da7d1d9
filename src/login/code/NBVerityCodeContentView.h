#pragma once

#include "login/form/NBTextFiledContentView.h"

class NBDisableButton;
class QAbstractButton;

// The verification-code row: the account row with a send-code button at its right end (118.5 x 30,
// 7.6 px inside, image "verityCode", title "发送验证码"). A press goes to the nearest screen up the
// widget tree that adopts NBVerityCodeContentViewProtocol; without one the press does nothing.
// The field takes digits only.
class NBVerityCodeContentView : public NBTextFiledContentView
{
    Q_OBJECT
public:
    explicit NBVerityCodeContentView(QWidget *parent = nullptr);

    NBDisableButton *verityCodeButton() const { return m_verityCodeButton; }
    // The button's action: finds the adopter and hands it the button.
    void codeAction();

    // The shared "NBRegsterTimer" countdown on a send-code button (see NBRegisterCountdown).
    static void startRegisterCountdown(QAbstractButton *button);

Q_SIGNALS:
    // Also told of every press that reaches an adopter (tests, and forms that prefer signals).
    void sendCodeRequested(QAbstractButton *button);

protected:
    void resizeEvent(QResizeEvent *event) override;
    int fieldRightInset() const override { return 7 + 119 + 8; }

private:
    NBDisableButton *m_verityCodeButton = nullptr;
};
