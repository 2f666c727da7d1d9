// What the client checks in the module it loads: that it is its web module, built for its
// interface. The module's screens and WebViews registered themselves as it loaded.
#include <QtGlobal>

#include "app/WebModule.h"

extern "C" Q_DECL_EXPORT int ostrel_web_module_interface()
{
    return WebModule::kInterfaceVersion;
}
