#include "app/unreached/OOSigActionTool.h"

#include "app/CrashReporter.h"

bool OOSigActionTool::RegisterSigAction()
{
    return CrashReporter::start();
}
