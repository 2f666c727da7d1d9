#include "upgrade/UpgradeLog.h"

Q_LOGGING_CATEGORY(lcUpgrade, "ostrel.upgrade")
