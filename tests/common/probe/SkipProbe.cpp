// A test program whose cases do what the test that runs it says, for the test entry to decide how
// ctest reads the lot:
//   OSTREL_TEST_PROBE_WANT=1        a case cannot run for want of a tool (WantedSkip);
//   OSTREL_TEST_PROBE_FAIL=1        a case fails;
//   OSTREL_TEST_PROBE_PLAIN_SKIP=1  a case skips plainly, for no want of anything outside it;
//   OSTREL_TEST_PROBE_LEAVE=1       a case leaves `sleep 4277` running, which the entry must find.
#include <QProcess>
#include <QTest>
#include <QtGlobal>

#include <gtest/gtest.h>

#include "support/ProcScan.h"
#include "support/WantedSkip.h"

namespace {

bool told(const char *variable)
{
    return qEnvironmentVariable(variable) == QLatin1String("1");
}

} // namespace

TEST(SkipProbe, WantsATool)
{
    if (told("OSTREL_TEST_PROBE_WANT"))
        GTEST_SKIP() << WantedSkip::tool("the probe's tool is not installed");
}

TEST(SkipProbe, MayFail)
{
    EXPECT_FALSE(told("OSTREL_TEST_PROBE_FAIL")) << "told to fail";
}

TEST(SkipProbe, MaySkipPlainly)
{
    if (told("OSTREL_TEST_PROBE_PLAIN_SKIP"))
        GTEST_SKIP() << "skipped plainly";
}

TEST(SkipProbe, MayLeaveAProcess)
{
    if (!told("OSTREL_TEST_PROBE_LEAVE"))
        return;
    qint64 pid = 0;
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("4277")}, QString(), &pid));
    // The entry names what it finds by its command line, which reads empty until the exec is over.
    ASSERT_TRUE(QTest::qWaitFor([pid] { return ProcScan::runs(pid_t(pid), "sleep 4277"); }, 10000));
}
