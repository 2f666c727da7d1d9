#pragma once

#include "uikit/NBBaseViewController.h"

class QWidget;

// The sheet behind the account area of the more page: an 800 x 500 cover whose rounded panel on
// the right hosts the account-information screen. The hosted screen closes the whole sheet by
// asking this container to dismiss itself. Every click builds a fresh container.
class NBSettingViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBSettingViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;

    QWidget *maskView() const { return m_maskView; }
    NBBaseViewController *hostedScreen() const { return m_hosted; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutMask();

    QWidget *m_maskView = nullptr;
    NBBaseViewController *m_hosted = nullptr;
};
