#pragma once

#include <QLoggingCategory>

// The app layer's console lines ("ostrel.app"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.app.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
