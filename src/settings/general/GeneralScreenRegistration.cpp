// The general settings under the name the split view asks for in its general slot, and by their
// class name; the two pickers by theirs.
#include "uikit/ScreenFactory.h"
#include "settings/general/NBGeneralViewController.h"
#include "settings/general/NBLanguageViewController.h"
#include "settings/general/NBSortViewController.h"

OSTREL_REGISTER_SCREEN("Genaral", [](QWidget *parent) { return new NBGeneralViewController(parent); })
OSTREL_REGISTER_SCREEN("NBGeneralViewController", [](QWidget *parent) { return new NBGeneralViewController(parent); })
OSTREL_REGISTER_SCREEN("NBSortViewController", [](QWidget *parent) { return new NBSortViewController(parent); })
OSTREL_REGISTER_SCREEN("NBLanguageViewController", [](QWidget *parent) { return new NBLanguageViewController(parent); })
