// The pages hand their WebViews to the client as they load (or before main, in a program that
// links them). Compiled into the web module and into the programs that link the pages.
#include "app/WebModule.h"
#include "webmodule/WebModuleViews.h"

namespace {
const bool webViewsInstalled = [] {
    // Before any page: in a program that links the pages this runs before main.
    WebModule::prepareEngineEnvironment();
    WebModule::install(std::make_unique<WebModuleViews>());
    return true;
}();
} // namespace
