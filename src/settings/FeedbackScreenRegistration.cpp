// The feedback screen under the names the program asks for it by: the window's contact entry
// and its own class name (the more page's feedback row).
#include "uikit/ScreenFactory.h"
#include "settings/feedback/NBFeedbackListViewController.h"

OSTREL_REGISTER_SCREEN("Contact", [](QWidget *parent) { return new NBFeedbackListViewController(parent); })
OSTREL_REGISTER_SCREEN("NBFeedbackListViewController", [](QWidget *parent) { return new NBFeedbackListViewController(parent); })
