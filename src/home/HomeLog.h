#pragma once

#include <QLoggingCategory>

// The home layer's console lines ("ostrel.home"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.home.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcHome)
