// A test program that starts a process and, unless told to leave it, ends it again. The test
// entry must fail the program and name the process when it is left running.
// OSTREL_TEST_PROBE_LEAVE_IT says how it is left:
//   1        `sleep 4242`, a descendant of the program under its profile's HOME;
//   home     `sleep 4243` under another HOME: only the program's reaping finds it;
//   escaped  `sleep 4244`, started for the program by the test that runs it (a process outside
//            the program's tree, named in OSTREL_TEST_PROBE_ASK) under the profile's HOME: only
//            the HOME finds it;
//   slow     a shell that takes half a second over its end signal, as a daemon putting things
//            back does, signalled by the test before it returns: it ends while the program
//            waits for what still runs, without failing it;
//   killed   a stand-in service, `sleep 4246` started as the client starts its helper (detached,
//            with a double fork), `sleep 4247` started as a test starts a client (a plain process
//            under another HOME) and stopped, as a hung one is, and a temporary folder, named in
//            OSTREL_TEST_PROBE_ASK with the program's pid, profile and display; then it waits for
//            the test to kill it.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <signal.h>

#include "common/DetachedProcess.h"
#include "common/probe/SlowToEnd.h"
#include "support/ProcScan.h"
#include "support/ProcessWaits.h"
#include "support/StandinProcess.h"

namespace {

// Asks the test for the escaped sleeper: writes the profile into the file, and waits until the
// test says the sleeper runs.
bool askForAnEscapedSleeper()
{
    const QString ask = qEnvironmentVariable("OSTREL_TEST_PROBE_ASK");
    QFile request(ask + QStringLiteral(".part"));
    if (ask.isEmpty() || !request.open(QIODevice::WriteOnly) || request.write(QFile::encodeName(QDir::homePath())) < 0)
        return false;
    request.close();
    if (!request.rename(ask))
        return false;
    return QTest::qWaitFor([&] { return QFile::exists(ask + QStringLiteral(".started")); }, 30000);
}

// Whether the shell running kSlowToEnd has set its handler of SIGTERM (before its exec, the
// process is still a fork of this program, whose handlers are not the shell's).
bool catchesItsEndSignal(qint64 pid)
{
    const std::string status = ProcScan::read(pid_t(pid), "status");
    const unsigned long long caught = ProcScan::statusMask(status, "SigCgt");
    return ProcScan::command(pid_t(pid)).ends_with(std::string("-c ") + kSlowToEnd) && !status.empty()
           && (caught & (1ull << (SIGTERM - 1))) != 0;
}

// Whether the process runs `command` (by any path) within a while: a process started detached is
// still midway through its exec when the start returns (its command line reads empty until the
// exec is over), and the entry names what it finds by that line.
bool runsAfterItsExec(qint64 pid, const std::string &command)
{
    return QTest::qWaitFor([&] { return ProcScan::runs(pid_t(pid), command); }, 10000);
}

// Tells the test what it started and waits to be killed.
void startAndWaitToBeKilled()
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    const DetachedProcess::Result sleeper = DetachedProcess::start(QStringLiteral("sleep"), {QStringLiteral("4246")});
    ASSERT_TRUE(sleeper.ok()) << sleeper.error.toStdString();
    QProcess hung;
    QProcessEnvironment elsewhere = QProcessEnvironment::systemEnvironment();
    elsewhere.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent/elsewhere"));
    hung.setProcessEnvironment(elsewhere);
    hung.start(QStringLiteral("sleep"), {QStringLiteral("4247")});
    ASSERT_TRUE(hung.waitForStarted(10000));
    ASSERT_TRUE(ProcessWaits::stop(pid_t(hung.processId())));
    QTemporaryDir made;
    ASSERT_TRUE(made.isValid());
    QFile request(qEnvironmentVariable("OSTREL_TEST_PROBE_ASK") + QStringLiteral(".part"));
    ASSERT_TRUE(request.open(QIODevice::WriteOnly));
    const QString told = QStringLiteral("%1\n%2\n%3\n%4\n%5\n%6\n%7\n%8\n")
                             .arg(QCoreApplication::applicationPid())
                             .arg(standin.processId())
                             .arg(sleeper.pid)
                             .arg(hung.processId())
                             .arg(QDir::homePath(), qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("XAUTHORITY"),
                                  made.path());
    request.write(told.toLocal8Bit());
    request.close();
    ASSERT_TRUE(request.rename(qEnvironmentVariable("OSTREL_TEST_PROBE_ASK")));
    QTest::qWait(120000);
}

TEST(LeftoverProbe, StartsADetachedProcess)
{
    const QString leave = qEnvironmentVariable("OSTREL_TEST_PROBE_LEAVE_IT");
    if (leave == QLatin1String("killed")) {
        startAndWaitToBeKilled();
        return;
    }
    if (leave == QLatin1String("escaped")) {
        ASSERT_TRUE(askForAnEscapedSleeper());
        return;
    }
    qint64 pid = 0;
    if (leave == QLatin1String("slow")) {
        const QStringList script{QStringLiteral("-c"), QLatin1String(kSlowToEnd)};
        ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sh"), script, QString(), &pid));
        ASSERT_TRUE(QTest::qWaitFor([pid] { return catchesItsEndSignal(pid); }, 10000));
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        return;
    }
    if (leave == QLatin1String("home")) {
        ASSERT_TRUE(QProcess::startDetached(QStringLiteral("env"), {QStringLiteral("HOME=/nonexistent/elsewhere"), QStringLiteral("sleep"),
                                                                   QStringLiteral("4243")},
                                            QString(), &pid));
        ASSERT_TRUE(runsAfterItsExec(pid, "sleep 4243"));
        return;
    }
    ASSERT_TRUE(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("4242")}, QString(), &pid));
    ASSERT_TRUE(runsAfterItsExec(pid, "sleep 4242"));
    if (leave.isEmpty())
        ::kill(static_cast<pid_t>(pid), SIGTERM);
}

} // namespace
