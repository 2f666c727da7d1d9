#pragma once

// The account screen where the program shows it: embedded in the menu's account page, which is
// the content of a real main window. It appears because the window's content swap brings the
// page in, as for a user; nothing calls its appearance by hand.
#include <QPointer>

#include <memory>

#include "app/NBMainWindowController.h"
#include "login/account/NBAccountInfoViewController.h"
#include "login/unreached/NBAccountPageViewController.h"

class AccountScreenInWindow
{
public:
    AccountScreenInWindow()
        : m_window(std::make_unique<NBMainWindowController>())
    {
        m_page = new NBAccountPageViewController;
        m_window->setContentViewController(m_page);
        m_window->show();
    }

    NBAccountInfoViewController *get() const { return m_page ? m_page->accountInfo() : nullptr; }
    NBAccountInfoViewController *operator->() const { return get(); }
    NBAccountInfoViewController &operator*() const { return *get(); }
    NBMainWindowController *window() const { return m_window.get(); }

private:
    std::unique_ptr<NBMainWindowController> m_window;
    QPointer<NBAccountPageViewController> m_page;
};
