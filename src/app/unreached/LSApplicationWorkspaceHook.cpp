#include "app/unreached/LSApplicationWorkspaceHook.h"

#include "common/Logger.h"

bool LSApplicationWorkspaceHook::openTessmarSet()
{
    OSTREL_LOG(Logger::Info, QStringLiteral("no settings pane of another program can be opened on this system"));
    return false;
}

bool LSApplicationWorkspaceHook::openSystemSet()
{
    return false;
}
