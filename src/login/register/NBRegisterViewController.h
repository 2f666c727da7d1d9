#pragma once

#include "login/signin/NBFormSwitchViewController.h"

// The registration sheet: the e-mail form (NBEmailRegisterController) or the phone form
// (NBPhoneRegisterController) in a 394-wide card flush with the right edge. It sends no request;
// its forms register, close it (back to sign-in) or lead on to the main window.
class NBRegisterViewController : public NBFormSwitchViewController
{
    Q_OBJECT
public:
    explicit NBRegisterViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The heading of the chosen form ("REGISTER_EMAIL_HEAD" / "REGISTER_PHONE_HEAD"); held, not
    // placed, as the card has no room above the switch.
    QLabel *topLabel() const { return m_topLabel; }

protected:
    FormChoice makeForm(int tag) override;
    QRect cardFrame() const override;
    QRect switchFrame() const override;

private:
    QLabel *m_topLabel = nullptr;
};
