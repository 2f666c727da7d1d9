#pragma once

#include <QStringList>

// Nothing in the client calls this yet; it is kept to name network services for the proxy tool.
// Lists the machine's network services for the proxy tool's "--network-service" options.
class ProxyConfTool
{
public:
    // Logs every network interface with its details. The answer stays empty: services are named
    // by the user in "Proxy4NetworkServices", and the tool applies to all of them otherwise.
    static QStringList networkServicesList();
};
