// Engines outliving their guard: the client writes each engine down while it runs, and stops an
// engine of its own that is left without a guard (when the guard ends, before the next start,
// and at start-up), never a process that merely took over a recorded id.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

#include <unistd.h>

#include "EngineTestSupport.h"
#include "support/ProcScan.h"
#include "common/AppPaths.h"
#include "vpn/EngineLauncher.h"
#include "vpn/EngineProcess.h"
#include "vpn/EngineRecord.h"

namespace {

constexpr int kWaitMs = 10000;

class EngineRecordTest : public ::testing::Test
{
protected:
    // A runtime folder of the test's own: on a desktop the session's folder holds the records of
    // a client the user runs.
    void SetUp() override
    {
        qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
        ASSERT_TRUE(m_runtime.isValid());
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_savedRuntime); }

    QTemporaryDir m_runtime;
    QByteArray m_savedRuntime;

    // A record as an earlier run of the client would have left it.
    static void writeRecord(qint64 pid, const QString &executable, qint64 clientPid, qint64 clientStart)
    {
        ASSERT_TRUE(AppPaths::ensureFolder(EngineRecord::folder(), true));
        QFile file(EngineRecord::folder() + QStringLiteral("/engine-%1.json").arg(pid));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("{\"pid\": %1, \"executable\": \"%2\", \"start\": %3, \"client\": %4, \"clientStart\": %5}")
                       .arg(pid).arg(executable).arg(*EngineRecord::startTicks(pid)).arg(clientPid).arg(clientStart)
                       .toUtf8());
    }

    // The id of a process that has ended.
    static qint64 endedPid()
    {
        QProcess process;
        process.start(QStringLiteral("true"), QStringList());
        process.waitForFinished(kWaitMs);
        return process.processId() > 0 ? process.processId() : 999999;
    }
};

} // namespace

TEST_F(EngineRecordTest, AnEngineWhoseGuardIsKilledIsStoppedBeforeItsEndIsReported)
{
    ASSERT_FALSE(EngineProcess::guardPath().isEmpty()) << "ostrel-engine-guard is built beside the tests";
    EngineProcess engine;
    QSignalSpy finished(&engine, &EngineProcess::finished);
    QSignalSpy lines(&engine, &EngineProcess::lineRead);
    ASSERT_TRUE(engine.start(scriptedEnginePath(), {}, QString(), EngineProcess::ErrorOutput::Forwarded));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lines.isEmpty(); }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([] { return EngineRecord::entries().size() == 1; }, kWaitMs));
    const EngineRecord::Entry entry = EngineRecord::entries().constFirst();
    EXPECT_EQ(entry.pid, engine.processId());
    EXPECT_EQ(entry.executable, QFileInfo(scriptedEnginePath()).canonicalFilePath());
    EXPECT_EQ(entry.clientPid, QCoreApplication::applicationPid());
    EXPECT_TRUE(EngineRecord::isRunning(entry));
    EXPECT_FALSE(EngineRecord::clientIsGone(entry));
    EXPECT_EQ(QFile::permissions(EngineRecord::folder() + QStringLiteral("/engine-%1.json").arg(entry.pid))
                  & (QFileDevice::ReadGroup | QFileDevice::ReadOther), QFileDevice::Permissions());

    // The guard goes without a word; its engine must not stay behind holding the port.
    ASSERT_TRUE(engine.isGuarded());
    ASSERT_EQ(::kill(pid_t(entry.pid), 0), 0);
    ProcScan::Stat engineStat;
    ASSERT_TRUE(ProcScan::statOf(pid_t(entry.pid), &engineStat));
    const pid_t guardPid = engineStat.parent;
    ASSERT_GT(guardPid, 0);
    ASSERT_NE(guardPid, ::getpid()) << "the engine runs under its guard";
    ASSERT_EQ(::kill(guardPid, SIGKILL), 0);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, kWaitMs));
    EXPECT_FALSE(EngineRecord::isRunning(entry)) << "the engine outlived its guard";
    EXPECT_TRUE(EngineRecord::entries().isEmpty());
}

TEST_F(EngineRecordTest, LeftoversOfAGoneClientAreStoppedAndNothingElse)
{
    // Stand-ins for what an earlier run left: an engine of ours, a process that took over a
    // recorded id (another program), and an engine of a client that still runs.
    QProcess leftover;
    leftover.start(scriptedEnginePath(), QStringList());
    ASSERT_TRUE(leftover.waitForStarted(kWaitMs));
    QProcess stranger;
    stranger.start(QStringLiteral("sleep"), {QStringLiteral("300")});
    ASSERT_TRUE(stranger.waitForStarted(kWaitMs));
    QProcess living;
    living.start(scriptedEnginePath(), QStringList());
    ASSERT_TRUE(living.waitForStarted(kWaitMs));

    const qint64 gone = endedPid();
    const QString engineFile = QFileInfo(scriptedEnginePath()).canonicalFilePath();
    writeRecord(leftover.processId(), engineFile, gone, 1);
    writeRecord(stranger.processId(), engineFile, gone, 1);
    writeRecord(living.processId(), engineFile, QCoreApplication::applicationPid(),
                *EngineRecord::startTicks(QCoreApplication::applicationPid()));

    std::optional<int> stopped;
    QObject context;
    EngineRecord::stopLeftovers(&context, 2000, [&](int count) { stopped = count; });
    EXPECT_FALSE(stopped.has_value()) << "answers from the event loop";
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped.has_value(); }, kWaitMs));
    EXPECT_EQ(*stopped, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return leftover.state() == QProcess::NotRunning; }, kWaitMs));
    EXPECT_EQ(stranger.state(), QProcess::Running) << "another program under a recorded id is left alone";
    EXPECT_EQ(living.state(), QProcess::Running) << "a running client's engine is its own business";
    const QList<EngineRecord::Entry> left = EngineRecord::entries();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left.first().pid, living.processId());

    stranger.kill();
    living.kill();
    stranger.waitForFinished(kWaitMs);
    living.waitForFinished(kWaitMs);
}

TEST_F(EngineRecordTest, RecordsThatNameNothingAreDropped)
{
    ASSERT_TRUE(AppPaths::ensureFolder(EngineRecord::folder(), true));
    for (const char *text : {"", "not json", "{\"pid\": 1, \"executable\": \"\"}", "{\"pid\": \"1\", \"executable\": \"/x\"}"}) {
        QFile file(EngineRecord::folder() + QStringLiteral("/engine-1.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        EXPECT_TRUE(EngineRecord::entries().isEmpty()) << text;
        EXPECT_FALSE(file.exists()) << text;
    }
}

TEST_F(EngineRecordTest, ALeftoverGoesBeforeTheNextEngineStarts)
{
    // An engine an earlier run left behind, still holding on.
    QProcess leftover;
    leftover.start(scriptedEnginePath(), QStringList());
    ASSERT_TRUE(leftover.waitForStarted(kWaitMs));
    writeRecord(leftover.processId(), QFileInfo(scriptedEnginePath()).canonicalFilePath(), endedPid(), 1);

    EngineSandbox sandbox;
    sandbox.installEngine(EngineInstaller::Engine::SSLocal, scriptedEnginePath());
    EngineLauncher launcher(EngineInstaller::Engine::SSLocal, sandbox.setup);
    bool leftoverGoneAtStart = false;
    bool started = false;
    QObject::connect(&launcher, &EngineLauncher::started, [&] {
        started = true;
        // Gone, or a zombie waiting to be reaped by this test: either way it holds no port.
        leftoverGoneAtStart = !ProcScan::alive(pid_t(leftover.processId()));
    });
    launcher.launch({}, QString(), EngineProcess::ErrorOutput::Forwarded);
    ASSERT_TRUE(QTest::qWaitFor([&] { return started; }, kWaitMs));
    EXPECT_TRUE(leftoverGoneAtStart) << "the new engine started while the old one still ran";
    ASSERT_TRUE(QTest::qWaitFor([] { return EngineRecord::entries().size() == 1; }, kWaitMs));
    EXPECT_EQ(EngineRecord::entries().constFirst().pid, launcher.processId());
    launcher.stopAndWait();
    EXPECT_TRUE(QTest::qWaitFor([] { return EngineRecord::entries().isEmpty(); }, kWaitMs));
}
