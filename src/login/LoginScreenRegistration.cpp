// The sign-in screen under the name the shell asks for it by.
#include "app/uikit/ScreenFactory.h"
#include "login/NBLoginViewController.h"

OSTREL_REGISTER_SCREEN("NBLoginViewCOntroller", [](QWidget *parent) { return new NBLoginViewController(parent); })
