// The shell's screens under the names the program asks for them by. Compiled into each program
// that links every screen layer (see src/CMakeLists.txt).
#include "app/HHSplashViewController.h"
#include "app/NBGuidViewController.h"
#include "app/NBLaunchViewController.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/ScreenFactory.h"

OSTREL_REGISTER_SCREEN("Main/MainSplitViewController", [](QWidget *parent) { return new NBMainSplitViewController(parent); })
OSTREL_REGISTER_SCREEN("Guid", [](QWidget *parent) { return new NBGuidViewController(parent); })
OSTREL_REGISTER_SCREEN("Guid/NBGuidViewController", [](QWidget *parent) { return new NBGuidViewController(parent); })
OSTREL_REGISTER_SCREEN("LaunchAd", [](QWidget *parent) { return new HHSplashViewController(parent); })
OSTREL_REGISTER_SCREEN("NBLaunchViewController", [](QWidget *parent) { return new NBLaunchViewController(parent); })
