#include "web/WebViewLog.h"

Q_LOGGING_CATEGORY(lcWebView, "ostrel.webview")
