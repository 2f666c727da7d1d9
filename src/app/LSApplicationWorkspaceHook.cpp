#include "LSApplicationWorkspaceHook.h"

#include "common/Logger.h"

bool LSApplicationWorkspaceHook::openTessmarSet()
{
    Logger::log(QStringLiteral("no settings pane of another program can be opened on this system"), Logger::Info,
                QStringLiteral("LSApplicationWorkspaceHook"), QStringLiteral("openTessmarSet"));
    return false;
}

bool LSApplicationWorkspaceHook::openSystemSet()
{
    return false;
}
