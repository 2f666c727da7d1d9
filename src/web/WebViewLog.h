#pragma once

#include <QLoggingCategory>

// The web layer's console lines ("ostrel.webview"). Debug lines show only with OSTREL_DEBUG=1 or
// QT_LOGGING_RULES="ostrel.webview.debug=true"; the file log takes its own lines through OSTREL_LOG.
Q_DECLARE_LOGGING_CATEGORY(lcWebView)
