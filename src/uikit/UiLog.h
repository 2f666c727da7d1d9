#pragma once

#include <QLoggingCategory>

// The uikit layer's console lines ("ostrel.ui"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.ui.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
