// A program that tracks an event just before it ends must end cleanly: the analytics worker is
// over before the application object goes (before, it could still be inside the network stack
// and abort the program with "pure virtual method called").
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/analytics-exit-probe");
constexpr int kRuns = 60;

} // namespace

TEST(AnalyticsAtExit, AProgramThatTracksAndEndsAtOnceNeverAborts)
{
    int crashes = 0;
    QString lastOutput;
    for (int run = 0; run < kRuns; ++run) {
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(kProbe, {});
        ASSERT_TRUE(probe.waitForStarted(10000)) << qPrintable(probe.errorString());
        ASSERT_TRUE(probe.waitForFinished(60000)) << "the probe did not end";
        if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
            ++crashes;
            lastOutput = QString::fromLocal8Bit(probe.readAll());
        }
    }
    EXPECT_EQ(crashes, 0) << "of " << kRuns << " runs; the last said:\n" << qPrintable(lastOutput);
}
