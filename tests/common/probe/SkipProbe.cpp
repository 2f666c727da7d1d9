// A test program with one case that cannot run for want of a tool (when OSTREL_TEST_PROBE_WANT is
// 1) and one that fails (when OSTREL_TEST_PROBE_FAIL is 1): how ctest reads the pair is the test
// entry's to decide.
#include <QtGlobal>

#include <gtest/gtest.h>

#include "support/WantedSkip.h"

TEST(SkipProbe, WantsATool)
{
    if (qEnvironmentVariable("OSTREL_TEST_PROBE_WANT") == QLatin1String("1"))
        GTEST_SKIP() << WantedSkip::tool("the probe's tool is not installed");
}

TEST(SkipProbe, MayFail)
{
    EXPECT_NE(qEnvironmentVariable("OSTREL_TEST_PROBE_FAIL"), QLatin1String("1")) << "told to fail";
}
