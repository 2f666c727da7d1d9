#pragma once

#include <QLoggingCategory>

// Console log of the network layer. Request parameters and raw replies carry tokens, passwords
// and codes, so they go out at debug level only; enable with QT_LOGGING_RULES="ostrel.network.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)
