// The account page under the name the split view asks for in its account slot, until the
// settings page registers itself there and hosts the account screen in its sheet.
#include "app/uikit/ScreenFactory.h"
#include "login/NBAccountPageViewController.h"

OSTREL_REGISTER_SCREEN("NBMineViewController", [](QWidget *parent) { return new NBAccountPageViewController(parent); })
