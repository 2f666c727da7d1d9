#pragma once

#include <QLoggingCategory>

// The settings layer's console lines ("ostrel.settings"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.settings.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
