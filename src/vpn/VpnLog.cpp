#include "vpn/VpnLog.h"

Q_LOGGING_CATEGORY(lcVpn, "ostrel.vpn")
