// The message centre under the name its openers ask for: the more page's row and banner, the
// home popup's and the application's "newsList" jumps.
#include "uikit/ScreenFactory.h"
#include "settings/message/NBMessageViewController.h"

OSTREL_REGISTER_SCREEN("NBMessageViewController", [](QWidget *parent) { return new NBMessageViewController(parent); })
