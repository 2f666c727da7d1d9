#pragma once

#include <QString>

// Only the older bridge, which nothing in the client creates, uses this; kept with it.
// The page half of the older page bridge, run in the page by
// WebViewJavascriptBridgeBase::injectJavascriptFile.
QString WebViewJavascriptBridge_js();
