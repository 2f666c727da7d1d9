#include "home/HomeLog.h"

Q_LOGGING_CATEGORY(lcHome, "ostrel.home")
