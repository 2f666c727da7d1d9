#pragma once

#include "uikit/NBBaseViewController.h"

#include "login/account/NBAccountInfoViewController.h"

#include <QPointer>

// Nothing in the client creates this yet (the gallery does); kept as the account screen's own page.
// The menu's account page until the settings page takes that slot: the account information
// screen, centred in the content pane, a child screen that appears and disappears with the page.
class NBAccountPageViewController : public NBBaseViewController
{
    Q_OBJECT
public:
    explicit NBAccountPageViewController(QWidget *parent = nullptr);

    void viewDidLoad() override;

    NBAccountInfoViewController *accountInfo() const { return m_accountInfo; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<NBAccountInfoViewController> m_accountInfo;
};
