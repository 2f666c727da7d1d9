// The feedback screens under the names the program asks for them by: the window's contact entry
// makes the feedback form, the more page's feedback row the list under its own class name.
#include "uikit/ScreenFactory.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackListViewController.h"

OSTREL_REGISTER_SCREEN("Contact", [](QWidget *parent) { return new NBContactViewController(parent); })
OSTREL_REGISTER_SCREEN("NBFeedbackListViewController", [](QWidget *parent) { return new NBFeedbackListViewController(parent); })
