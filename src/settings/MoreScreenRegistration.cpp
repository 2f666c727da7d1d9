// The more page under the name the split view asks for in its account slot, the about page in
// the about slot and by its class name, and the account sheet.
#include "uikit/ScreenFactory.h"
#include "settings/more/NBAboutViewController.h"
#include "settings/more/NBMineViewController.h"
#include "settings/more/NBSettingViewController.h"

OSTREL_REGISTER_SCREEN("NBMineViewController", [](QWidget *parent) { return new NBMineViewController(parent); })
OSTREL_REGISTER_SCREEN("About", [](QWidget *parent) { return new NBAboutViewController(parent); })
OSTREL_REGISTER_SCREEN("NBAboutViewController", [](QWidget *parent) { return new NBAboutViewController(parent); })
OSTREL_REGISTER_SCREEN("NBSettingViewController", [](QWidget *parent) { return new NBSettingViewController(parent); })
