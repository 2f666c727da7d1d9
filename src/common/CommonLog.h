#pragma once

#include <QLoggingCategory>

// The common layer's console lines ("ostrel.common"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.common.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcCommon)
