#pragma once

#include "login/signin/NBFormSwitchViewController.h"

class QPushButton;

// The forgot-password sheet: the e-mail form (NBEmailRetriPwdController) or the phone form
// (NBPhoneRetriPwdController) in a 384-wide card, and a back button that closes the sheet.
class NBRetrievePassWordController : public NBFormSwitchViewController
{
    Q_OBJECT
public:
    explicit NBRetrievePassWordController(QWidget *parent = nullptr);

    void viewDidLoad() override;
    void viewWillAppear() override;

    QPushButton *backBtn() const { return m_backBtn; }

protected:
    FormChoice makeForm(int tag) override;
    QRect cardFrame() const override;
    QRect switchFrame() const override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_backBtn = nullptr;
};
