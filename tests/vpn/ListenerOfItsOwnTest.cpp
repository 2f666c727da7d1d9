// A program whose tests start an engine on the client's fixed listener has it however many runs
// share the machine: here another program holds 127.0.0.1:9999 where the relay-chain program
// starts, and that program still runs its case, and passes, in a network of its own.
#include <QHostAddress>
#include <QNetworkProxy>
#include <QProcess>
#include <QTcpServer>

#include <gtest/gtest.h>

#include "support/LocalRelay.h"
#include "support/OwnNetwork.h"
#include "vpn/HLLPACUtilWrapper.h"

namespace {

const QString kRelayChain = QStringLiteral(OSTREL_BINARY_DIR "/bin/vpn_RelayChainTest");

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
