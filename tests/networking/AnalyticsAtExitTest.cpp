// A program that tracks an event just before it ends must end cleanly and at once: the analytics
// worker is wholly over before main returns (a thread still running its exit clean-up while the
// exit handlers tear down the statics corrupts the heap), OpenSSL does not tear itself down under
// the threads of Qt's that nobody can join (the probe checks in its last exit handler), and an
// upload whose host lookup hangs does not hold up the end.
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include "support/TinyResolver.h"

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/analytics-exit-probe");
constexpr int kRuns = 60;
// Bounds against a hang, never the measure of a pass: the probe ends in milliseconds.
constexpr int kProbeBoundMs = 60000;
constexpr int kQueryBoundMs = 20000;

struct Ending
{
    bool finished = false;
    int code = -1;
    QString output;
};

Ending runProbe(const QStringList &arguments)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(kProbe, arguments);
    Ending ending;
    if (!probe.waitForStarted(10000) || !probe.waitForFinished(kProbeBoundMs))
        return ending;
    ending.finished = true;
    ending.code = probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
    ending.output = QString::fromLocal8Bit(probe.readAll());
    return ending;
}

} // namespace

TEST(AnalyticsAtExit, AProgramThatTracksAndEndsAtOnceNeverAborts)
{
    int crashes = 0;
    QString lastOutput;
    for (int run = 0; run < kRuns; ++run) {
        const Ending ending = runProbe({});
        ASSERT_TRUE(ending.finished) << "the probe did not end";
        if (ending.code != 0) {
            ++crashes;
            lastOutput = ending.output;
        }
    }
    EXPECT_EQ(crashes, 0) << "of " << kRuns << " runs; the last said:\n" << qPrintable(lastOutput);
}

// The worker's thread-exit clean-up (thread-local destructors, libcrypto's per-thread state) is
// made slow: the teardown must still return only once it is over.
TEST(AnalyticsAtExit, TheWorkerThreadHasWhollyEndedWhenTheTeardownReturns)
{
    const Ending ending = runProbe({QStringLiteral("slow-thread-exit")});
    ASSERT_TRUE(ending.finished) << "the probe did not end";
    EXPECT_EQ(ending.code, 0) << qPrintable(ending.output);
}

// The uploads' lookups go to a server that never answers; the probe is told to end once one
// reached it, and ends without waiting for an answer (a lookup left to give up on its own takes
// more than a minute).
TEST(AnalyticsAtExit, AnEndIsNotHeldUpByALookupThatIsNeverAnswered)
{
    TinyResolver silent({}, false);
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_EXIT_PROBE_DNS"), silent.server());
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(kProbe, {QStringLiteral("quit-on-input")});
    ASSERT_TRUE(probe.waitForStarted(10000)) << qPrintable(probe.errorString());

    const bool asked = QTest::qWaitFor([&] { return silent.questions() > 0; }, kQueryBoundMs);
    probe.write("quit\n");
    probe.closeWriteChannel();
    const bool ended = probe.waitForFinished(kProbeBoundMs);
    if (!ended) {
        probe.kill();
        probe.waitForFinished();
    }
    ASSERT_TRUE(asked) << "no lookup reached the resolver the probe was given";
    ASSERT_TRUE(ended) << "the probe waited for the lookup";
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0) << qPrintable(QString::fromLocal8Bit(probe.readAll()));
}
