// The home screen under the name the split view asks for it by.
#include "uikit/ScreenFactory.h"
#include "home/NBHomeViewController.h"

OSTREL_REGISTER_SCREEN("Home", [](QWidget *parent) { return new NBHomeViewController(parent); })
