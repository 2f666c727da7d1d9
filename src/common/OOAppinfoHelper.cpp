#include "common/OOAppinfoHelper.h"

#ifndef OSTREL_VERSION
#define OSTREL_VERSION "0.0.0"
#endif
// The build number, raised by the release process; local builds are build 1.
#ifndef OSTREL_BUILD_VERSION
#define OSTREL_BUILD_VERSION "1"
#endif

QString OOAppinfoHelper::getAppVersion()
{
    return QStringLiteral(OSTREL_VERSION);
}

QString OOAppinfoHelper::getBuildVersion()
{
    return QStringLiteral(OSTREL_BUILD_VERSION);
}
