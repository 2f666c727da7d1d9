#include "OOSigActionTool.h"

#include "CrashReporter.h"

bool OOSigActionTool::RegisterSigAction()
{
    return CrashReporter::start();
}
