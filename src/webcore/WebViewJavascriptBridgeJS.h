#pragma once

#include <QString>

// The page half of the older page bridge, run in the page by
// WebViewJavascriptBridgeBase::injectJavascriptFile.
QString WebViewJavascriptBridge_js();
