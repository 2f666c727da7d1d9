// The web pages' screens are made by the module that holds them: asking for one loads it (see
// app/WebModule.h). A program that links the pages registers them itself and loads nothing.
#include "app/WebModule.h"
#include "uikit/ScreenFactory.h"

namespace {
const bool webScreensOnDemand = [] {
    ScreenFactory::instance().registerOnDemand(WebModule::screenNames(), &WebModule::load);
    return true;
}();
} // namespace
