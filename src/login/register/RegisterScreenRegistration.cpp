// The registration and password-retrieval sheets under the names the sign-in forms open them by.
#include "uikit/ScreenFactory.h"
#include "login/register/NBRegisterViewController.h"
#include "login/register/NBRetrievePassWordController.h"

OSTREL_REGISTER_SCREEN("NBRegisterViewController", [](QWidget *parent) { return new NBRegisterViewController(parent); })
OSTREL_REGISTER_SCREEN("NBRetrievePassWordController", [](QWidget *parent) { return new NBRetrievePassWordController(parent); })
