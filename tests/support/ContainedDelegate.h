#pragma once

#include "app/AppDelegate.h"

// The real start-up, without what reaches outside the test (the helper install, crash handlers,
// the desktop's reachability).
class ContainedDelegate : public AppDelegate
{
public:
    void startReachability() override {}
    void startCrashReporter() override {}
    void checkInstall() override {}
};
