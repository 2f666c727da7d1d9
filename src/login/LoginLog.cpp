#include "login/LoginLog.h"

Q_LOGGING_CATEGORY(lcLogin, "ostrel.login")
