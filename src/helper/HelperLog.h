#pragma once

#include <QLoggingCategory>

// The helper layer's console lines ("ostrel.helper"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.helper.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcHelper)
