// The entry every test program shares: what a test leaves running fails the program, by name,
// and does not outlive it; nothing installed on the machine is in a test's reach.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "common/AppPaths.h"

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/leftover-probe");

struct ProbeRun
{
    int exitCode = -1;
    QString output;
};

ProbeRun runProbe(bool leaveIt)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GTEST_SHUFFLE"));
    if (leaveIt)
        environment.insert(QStringLiteral("OSTREL_PROBE_LEAVE_IT"), QStringLiteral("1"));
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(kProbe, {});
    ProbeRun run;
    // The probe's own grace for what it started is 10 s.
    if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = probe.exitCode();
    run.output = QString::fromLocal8Bit(probe.readAll());
    return run;
}

bool sleeperRuns()
{
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QStringLiteral("^sleep 4242$")});
    pgrep.waitForFinished(10000);
    return pgrep.exitCode() == 0;
}

} // namespace

TEST(TestEntry, AProcessLeftRunningFailsTheProgramByNameAndIsEnded)
{
    const ProbeRun clean = runProbe(false);
    EXPECT_EQ(clean.exitCode, 0) << qPrintable(clean.output);

    const ProbeRun left = runProbe(true);
    EXPECT_EQ(left.exitCode, 1) << qPrintable(left.output);
    EXPECT_TRUE(left.output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(left.output);
    EXPECT_TRUE(left.output.contains(QStringLiteral("LEFTOVER PROCESS"))) << qPrintable(left.output);
    EXPECT_TRUE(left.output.contains(QStringLiteral("sleep 4242"))) << qPrintable(left.output);
    EXPECT_FALSE(sleeperRuns()) << "the process left running outlived its test program";
}

TEST(TestEntry, TheInstallFolderIsAnEmptyFolderOfTheProfile)
{
    const QString folder = AppPaths::installFolder();
    EXPECT_TRUE(folder.startsWith(QDir::homePath() + QLatin1Char('/'))) << qPrintable(folder);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ostrel-helper")));
}
