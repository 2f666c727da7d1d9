// A program whose tests start an engine on the client's fixed listener has it however many runs
// share the machine: here another program holds 127.0.0.1:9999 where the relay-chain program
// starts, and that program still runs its case, and passes, in a network of its own. Where the
// kernel makes the namespaces but denies the user every right in them, the program still runs, as
// one that can have none: it reads as skipped for the namespace, with the denial as its reason.
#include <QHostAddress>
#include <QNetworkProxy>
#include <QProcess>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "support/LocalRelay.h"
#include "support/OwnNetwork.h"
#include "support/WantedSkip.h"
#include "vpn/HLLPACUtilWrapper.h"

namespace {

const QString kRelayChain = QStringLiteral(OSTREL_BINARY_DIR "/bin/vpn_RelayChainTest");
const QString kThisProgram = QStringLiteral(OSTREL_BINARY_DIR "/bin/vpn_ListenerOfItsOwnTest");
const QString kNamespaceCase = QStringLiteral("ListenerOfItsOwnTest.AProgramThatNeedsTheListenerHasItWhileAnotherHoldsIt");

struct PlantedRun
{
    bool ended = false;
    int exitCode = -1;
    QByteArray output;
};

// Runs this program's namespace case where the kernel denies the given step of the move
// ("map" or "loopback"), as OwnNetwork's plant makes it.
PlantedRun runDenied(const QString &step)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_TEST_PLANT_NAMESPACE"), step);
    // The planted run is about the namespace, which is never required: whether the listener must
    // be had is this run's to say, and the planted one is not asked for it.
    environment.remove(QStringLiteral("OSTREL_TEST_LISTENER_REQUIRED"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(kThisProgram, {QStringLiteral("--gtest_filter=") + kNamespaceCase});
    PlantedRun run;
    run.ended = program.waitForFinished(120000) && program.exitStatus() == QProcess::NormalExit;
    run.exitCode = program.exitCode();
    run.output = program.readAll();
    return run;
}

} // namespace

TEST(ListenerOfItsOwnTest, AProgramThatNeedsTheListenerHasItWhileAnotherHoldsIt)
{
    // Where the programs only take turns at the machine's lock, the other program would wait for
    // this one's turn: the case needs the namespaces, and asks before it takes a turn.
    if (const std::optional<std::string> why = OwnNetwork::namespaceUnavailable())
        GTEST_SKIP() << *why;
    if (const std::optional<std::string> why = LocalRelay::unavailable(HLLPACUtilWrapper::kLocalPort))
        GTEST_SKIP() << *why;
    QTcpServer holder;
    holder.setProxy(QNetworkProxy::NoProxy);
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, HLLPACUtilWrapper::kLocalPort));

    QProcess chain;
    chain.setProcessChannelMode(QProcess::MergedChannels);
    chain.start(kRelayChain, {QStringLiteral("--gtest_filter=RelayChainTest.*")});
    ASSERT_TRUE(chain.waitForFinished(120000)) << "the relay-chain program did not end";
    const QByteArray output = chain.readAll();
    // Passed, not skipped (a skipped program ends with its own status).
    EXPECT_EQ(chain.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(chain.exitCode(), 0) << output.toStdString();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

TEST(ListenerOfItsOwnTest, AProgramDeniedTheRightsOfItsNamespaceRunsAsOneWithout)
{
    const std::pair<QString, QByteArray> denials[] = {
        {QStringLiteral("map"), "cannot map the user into its namespace"},
        {QStringLiteral("loopback"), "cannot bring the loopback up"},
    };
    for (const auto &[step, denial] : denials) {
        SCOPED_TRACE("denied: " + step.toStdString());
        const PlantedRun run = runDenied(step);
        const std::string output = run.output.toStdString();
        ASSERT_TRUE(run.ended) << output;
        // It ran its case, past main, and read as skipped: never failed, never ended before main.
        EXPECT_FALSE(run.output.contains("half made")) << output;
        EXPECT_EQ(run.exitCode, WantedSkip::kSkippedExitCode) << output;
        EXPECT_TRUE(run.output.contains("[==========] 1 test from 1 test suite ran.")) << output;
        EXPECT_TRUE(run.output.contains("[  SKIPPED ] 1 test")) << output;
        EXPECT_TRUE(run.output.contains("no network namespace can be had here: ")) << output;
        // Where this program has a network of its own, the planted one can make the namespaces too
        // and meets the plant; elsewhere it may be denied earlier, for real, as this one was.
        if (OwnNetwork::entered()) {
            EXPECT_TRUE(run.output.contains(denial + ": " + std::strerror(EPERM) + " (planted by")) << output;
        }
    }
}
