// A test program that starts a process the way the client starts its helper (detached, with a
// double fork) and, unless told to leave it, ends it again. The test entry must fail the program
// and name the process when it is left running.
#include <QProcess>

#include <gtest/gtest.h>

#include <signal.h>

TEST(LeftoverProbe, StartsADetachedProcess)
{
    qint64 pid = 0;
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("4242")}, QString(), &pid));
    if (qEnvironmentVariableIsEmpty("OSTREL_PROBE_LEAVE_IT"))
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}
