// The sign-in screen under the name the shell asks for it by.
#include "uikit/ScreenFactory.h"
#include "login/signin/NBLoginViewController.h"

OSTREL_REGISTER_SCREEN("NBLoginViewCOntroller", [](QWidget *parent) { return new NBLoginViewController(parent); })
