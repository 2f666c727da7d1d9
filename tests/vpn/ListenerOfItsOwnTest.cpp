// A program whose tests start an engine on the client's fixed listener has it however many runs
// share the machine: here another program holds 127.0.0.1:9999 where the relay-chain program
// starts, and that program still runs its case, and passes, in a network of its own. Where the
// kernel makes the namespaces but denies the user every right in them, the program still runs, as
// one that can have none: it reads as skipped for the namespace, with the denial as its reason;
// so it does where root may make a network namespace but no user namespace (a kernel's or a
// container's policy, and a ThreadSanitizer build, whose forked child has a second thread).
#include <QHostAddress>
#include <QNetworkProxy>
#include <QProcess>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

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
// ("map" or "loopback"), as OwnNetwork's plant makes it; through `wrapper` (a program and its
// arguments, before this program's) when one is given.
PlantedRun runDenied(const QString &step, QStringList wrapper = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_TEST_PLANT_NAMESPACE"), step);
    // The planted run is about the namespace, which is never required: whether the listener must
    // be had is this run's to say, and the planted one is not asked for it.
    environment.remove(QStringLiteral("OSTREL_TEST_LISTENER_REQUIRED"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QStringList command = wrapper + QStringList{kThisProgram, QStringLiteral("--gtest_filter=") + kNamespaceCase};
    program.start(command.takeFirst(), command);
    PlantedRun run;
    run.ended = program.waitForFinished(120000) && program.exitStatus() == QProcess::NormalExit;
    run.exitCode = program.exitCode();
    run.output = program.readAll();
    return run;
}

// Why a child of this program cannot make a user namespace with a network namespace in it, as the
// planted one tries before its "map" step, or nothing. Tried in a forked child, as the planted
// program tries its move: the kernel may refuse user namespaces while it gives root network ones,
// and a ThreadSanitizer build refuses them to every forked child (EINVAL, for the runtime's
// second thread there).
std::optional<std::string> userNamespaceRefused()
{
    const pid_t child = ::fork();
    if (child < 0)
        return std::string("no child to try a user namespace in: ") + std::strerror(errno);
    if (child == 0)
        ::_exit(::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0 ? 0 : errno);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return std::string("the child that tried a user namespace was lost: ") + std::strerror(errno);
    }
    if (!WIFEXITED(status))
        return std::string("the child that tried a user namespace ended by a signal");
    if (WEXITSTATUS(status) == 0)
        return std::nullopt;
    return std::string(std::strerror(WEXITSTATUS(status)));
}

// What a planted run tells where the plant was met, or, where the step before it was refused for
// real, that refusal.
struct Denial
{
    QString step;
    QByteArray planted;
    // Whether the run could get as far as the planted step; when it could not, `refusal` is what
    // stopped it, and nothing is checked of it beyond the skip where it is empty.
    bool reached = true;
    QByteArray refusal;
};

// The planted program ran its case, past main, and read as skipped for the namespace: never
// failed, never ended before main; with the planted denial as the reason where it could meet it.
void expectRunsAsOneWithout(const PlantedRun &run, const Denial &denial)
{
    const std::string output = run.output.toStdString();
    ASSERT_TRUE(run.ended) << output;
    EXPECT_FALSE(run.output.contains("half made")) << output;
    EXPECT_EQ(run.exitCode, WantedSkip::kSkippedExitCode) << output;
    EXPECT_TRUE(run.output.contains("[==========] 1 test from 1 test suite ran.")) << output;
    EXPECT_TRUE(run.output.contains("[  SKIPPED ] 1 test")) << output;
    EXPECT_TRUE(run.output.contains("no network namespace can be had here: ")) << output;
    if (denial.reached) {
        EXPECT_TRUE(run.output.contains(denial.planted + ": " + std::strerror(EPERM) + " (planted by")) << output;
    } else if (!denial.refusal.isEmpty()) {
        EXPECT_TRUE(run.output.contains("no network namespace can be had here: " + denial.refusal)) << output;
    }
}

const QByteArray kMapDenial = "cannot map the user into its namespace";
const QByteArray kLoopbackDenial = "cannot bring the loopback up";

// Exit status of the wrapper's shell when the user namespaces could not be refused.
constexpr int kNotRefused = 97;

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
    // The "map" step comes after a user namespace was made, which the planted run may be refused
    // for real (as a root that enters by a plain network namespace can be, unknowingly). The
    // loopback comes after the network namespace, which the planted run can make where this one
    // made its own.
    const std::optional<std::string> userRefused = userNamespaceRefused();
    const Denial denials[] = {
        {QStringLiteral("map"), kMapDenial, !userRefused,
         userRefused ? QByteArray("no user and network namespace: ") + userRefused->c_str() : QByteArray()},
        {QStringLiteral("loopback"), kLoopbackDenial, OwnNetwork::entered(), {}},
    };
    for (const Denial &denial : denials) {
        SCOPED_TRACE("denied: " + denial.step.toStdString());
        expectRunsAsOneWithout(runDenied(denial.step), denial);
    }
}

TEST(ListenerOfItsOwnTest, AProgramDeniedTheRightsOfItsNamespaceWhereRootHasNoUserNamespaceRunsAsOneWithout)
{
    // Such a machine, made in a namespace of the test's own: a user namespace in which the test is
    // root, which refuses user namespaces below it (the limit is the namespace's own) and still
    // gives its root network namespaces. Nothing of the machine's changes.
    const QStringList wrapper = {
        QStringLiteral("unshare"), QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--net"),
        QStringLiteral("--"), QStringLiteral("sh"), QStringLiteral("-c"),
        QStringLiteral("echo 0 > /proc/sys/user/max_user_namespaces || exit %1; exec \"$0\" \"$@\"").arg(kNotRefused)};
    QProcess trial;
    trial.start(QStringLiteral("unshare"), {QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                                            QStringLiteral("--net"), QStringLiteral("true")});
    const bool started = trial.waitForFinished(60000);
    if (!started || trial.exitStatus() != QProcess::NormalExit || trial.exitCode() != 0) {
        const QString why = started ? QString::fromUtf8(trial.readAllStandardError().trimmed()) : trial.errorString();
        GTEST_SKIP() << WantedSkip::skip(WantedSkip::Want::Namespace,
                                         "no user namespace for the test to be root in: " + why.toStdString());
    }
    // Refused for the limit (ENOSPC), unless the kernel refuses it earlier to every forked child
    // of this build, as to this program's own.
    const std::optional<std::string> refusedToAChild = userNamespaceRefused();
    const std::string refusal = refusedToAChild ? *refusedToAChild : std::strerror(ENOSPC);
    const Denial denials[] = {
        {QStringLiteral("map"), kMapDenial, false, QByteArray("no user and network namespace: ") + refusal.c_str()},
        {QStringLiteral("loopback"), kLoopbackDenial, true, {}},
    };
    for (const Denial &denial : denials) {
        SCOPED_TRACE("denied: " + denial.step.toStdString());
        const PlantedRun run = runDenied(denial.step, wrapper);
        if (run.ended && run.exitCode == kNotRefused)
            GTEST_SKIP() << WantedSkip::skip(WantedSkip::Want::Namespace,
                                             "user namespaces cannot be refused in a namespace of the test's own: "
                                                 + run.output.toStdString());
        expectRunsAsOneWithout(run, denial);
    }
}
