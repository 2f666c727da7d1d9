#pragma once

#include <QLoggingCategory>

// The login layer's console lines ("ostrel.login"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.login.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcLogin)
