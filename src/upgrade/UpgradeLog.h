#pragma once

#include <QLoggingCategory>

// The upgrade layer's console lines ("ostrel.upgrade"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.upgrade.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcUpgrade)
