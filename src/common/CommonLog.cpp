#include "common/CommonLog.h"

Q_LOGGING_CATEGORY(lcCommon, "ostrel.common")
