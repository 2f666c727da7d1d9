#pragma once

#include <QLoggingCategory>

// The vpn layer's console lines ("ostrel.vpn"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.vpn.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcVpn)
