// The pages hand their WebViews to the client as they load (or before main, in a program that
// links them). Compiled into the web module and into the programs that link the pages.
#include "app/WebModule.h"
#include "webmodule/WebModuleViews.h"

namespace {
const bool webViewsInstalled = [] {
    WebModule::install(std::make_unique<WebModuleViews>());
    return true;
}();
} // namespace
