// The web pages under the names the program asks for them by. Compiled into each program that
// links every screen layer (see src/CMakeLists.txt).
#include "uikit/ScreenFactory.h"
#include "web/NBRetrieveViewController.h"
#include "web/NBUpgradeViewController.h"

// The left menu's membership item: the purchase page.
OSTREL_REGISTER_SCREEN("Upgrade", [](QWidget *parent) { return new NBUpgradeViewController(parent); })
OSTREL_REGISTER_SCREEN("NBUpgradeViewController", [](QWidget *parent) { return new NBUpgradeViewController(parent); })
OSTREL_REGISTER_SCREEN("NBRetrieveViewController", [](QWidget *parent) { return new NBRetrieveViewController(parent); })
