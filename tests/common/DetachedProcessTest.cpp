// Programs started to outlive the client hold nothing of it but the standard streams, whatever
// the client has open, and a failed start is told, not hidden.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/DetachedProcess.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"

namespace {

TEST(DetachedProcessTest, TheProgramHoldsOnlyTheStandardStreamsInASessionOfItsOwn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Open as a library or an engine would leave them: inheritable, not close-on-exec.
    const QString marker = dir.filePath(QStringLiteral("marker"));
    const int file = ::open(QFile::encodeName(marker).constData(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(file, 3);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int high = ::fcntl(file, F_DUPFD, 200);
    ASSERT_GE(high, 200);
    struct stat pipeStatus = {};
    ASSERT_EQ(::fstat(pipeEnds[0], &pipeStatus), 0);
    const std::vector<std::string> ours{QFile::encodeName(QFileInfo(marker).canonicalFilePath()).toStdString(),
                                        "pipe:[" + std::to_string(pipeStatus.st_ino) + ']'};

    const DetachedProcess::Result started =
        DetachedProcess::start(QStringLiteral("sleep"), {QStringLiteral("300")}, dir.path());
    ::close(file);
    ::close(high);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ASSERT_TRUE(started.ok()) << started.error.toStdString();
    ASSERT_GT(started.pid, 0);
    const pid_t pid = pid_t(started.pid);
    EXPECT_EQ(ProcessWaits::settledDescriptors(pid), (std::vector<int>{0, 1, 2}));
    // None of them, standard streams included, is one of the test's own (a leak shows which).
    for (const auto &[fd, target] : ProcScan::descriptors(pid))
        EXPECT_TRUE(std::find(ours.cbegin(), ours.cend(), target) == ours.cend()) << fd << " -> " << target;
    EXPECT_NE(::getsid(pid), ::getsid(0));
    EXPECT_EQ(ProcScan::link(pid, "cwd"), QFile::encodeName(QFileInfo(dir.path()).canonicalFilePath()).toStdString());
    // start hears of the exec midway through it (the report pipe closes before the new program's
    // arguments are laid out): until then the command line reads empty.
    std::vector<std::string> arguments;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        arguments = ProcScan::arguments(pid);
        return arguments.size() == 2 && arguments[1] == "300";
    }, 10000)) << ProcScan::command(pid);
    EXPECT_TRUE(ProcessWaits::end(pid));
}

// /proc/<pid>/status's mask of that name, e.g. "SigIgn".
quint64 signalMask(qint64 pid, const char *name)
{
    return ProcScan::statusMask(ProcScan::read(pid_t(pid), "status"), name);
}

// A client started under nohup, or one that ignores or blocks a signal for its own reasons, hands
// none of it on: the program can be hung up, interrupted and ended as any other.
TEST(DetachedProcessTest, TheProgramMeetsEverySignalAtItsDefault)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction hangUp = {};
    struct sigaction user2 = {};
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &hangUp), 0);
    ASSERT_EQ(::sigaction(SIGUSR2, &ignore, &user2), 0);
    sigset_t blocked;
    sigset_t callers;
    ::sigemptyset(&blocked);
    ::sigaddset(&blocked, SIGUSR1);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &callers);

    const DetachedProcess::Result started = DetachedProcess::start(QStringLiteral("sleep"), {QStringLiteral("300")});
    ::pthread_sigmask(SIG_SETMASK, &callers, nullptr);
    ::sigaction(SIGHUP, &hangUp, nullptr);
    ::sigaction(SIGUSR2, &user2, nullptr);
    ASSERT_TRUE(started.ok()) << started.error.toStdString();
    EXPECT_EQ(signalMask(started.pid, "SigIgn"), 0u);
    EXPECT_EQ(signalMask(started.pid, "SigBlk"), 0u);
    EXPECT_TRUE(ProcessWaits::end(pid_t(started.pid)));
}

TEST(DetachedProcessTest, AProgramThatCannotStartIsToldAndNothingRuns)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const DetachedProcess::Result missing = DetachedProcess::start(dir.filePath(QStringLiteral("no-such-program")), {});
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.pid, 0);
    EXPECT_TRUE(missing.error.contains(QStringLiteral("no-such-program"))) << missing.error.toStdString();

    const DetachedProcess::Result notInPath = DetachedProcess::start(QStringLiteral("ostrel-no-such-program"), {});
    EXPECT_FALSE(notInPath.ok());
    EXPECT_TRUE(notInPath.error.contains(QStringLiteral("not installed"))) << notInPath.error.toStdString();

    // A file that is no program, and a working folder that does not exist.
    QFile text(dir.filePath(QStringLiteral("text")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.close();
    EXPECT_FALSE(DetachedProcess::start(text.fileName(), {}).ok());
    EXPECT_FALSE(DetachedProcess::start(QStringLiteral("sleep"), {QStringLiteral("300")}, dir.filePath(QStringLiteral("gone"))).ok());
}

} // namespace
