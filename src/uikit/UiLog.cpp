#include "uikit/UiLog.h"

Q_LOGGING_CATEGORY(lcUi, "ostrel.ui")
