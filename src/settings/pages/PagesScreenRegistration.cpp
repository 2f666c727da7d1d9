// The invitation, discovery and lottery pages under the names their openers ask for (the more
// page, the home screen, the splash advertisement's link).
#include "uikit/ScreenFactory.h"
#include "settings/pages/NBDiscoverViewController.h"
#include "settings/pages/NBFreeViewController.h"
#include "settings/pages/NBInviteViewController.h"

OSTREL_REGISTER_SCREEN("NBInviteViewController", [](QWidget *parent) { return new NBInviteViewController(parent); })
OSTREL_REGISTER_SCREEN("NBDiscoverViewController", [](QWidget *parent) { return new NBDiscoverViewController(parent); })
OSTREL_REGISTER_SCREEN("NBFreeViewController", [](QWidget *parent) { return new NBFreeViewController(parent); })
