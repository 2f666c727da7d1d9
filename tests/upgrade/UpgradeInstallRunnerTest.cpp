// The install step: the script gets exactly its three arguments whatever the paths look like, a
// failed install never relaunches, the relaunch comes only after the script has exited, and the
// relaunch command survives a path with quotes.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include "common/AppPaths.h"
#include "support/ScriptHold.h"
#include "upgrade/UpgradeInstallRunner.h"

namespace {

void writeScript(const QString &path, const QByteArray &body)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Paths with spaces and both quote characters: a shell string built from them would break.
class InstallRunnerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + QStringLiteral("/it's a \"tricky\" place");
        m_oldDownloads = qgetenv("XDG_DOWNLOAD_DIR");
        m_oldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_DOWNLOAD_DIR", (m_root + QStringLiteral("/Down loads")).toUtf8());
        qputenv("XDG_CACHE_HOME", (m_root + QStringLiteral("/cache $HOME `x`")).toUtf8());
        m_script = m_root + QStringLiteral("/scripts/record 'me'.sh");
        m_record = m_root + QStringLiteral("/record.txt");
        m_runner.setScriptPathForTesting(m_script, UpgradeInstallRunner::Elevation::Never);
        m_runner.setStopProxy([this](std::function<void()> then) {
            m_events << QStringLiteral("proxy off");
            QTimer::singleShot(0, &m_runner, then);
        });
        m_runner.setStartDetached([this](const UpgradeInstallRunner::Command &command) {
            m_events << QStringLiteral("relaunch");
            m_relaunches << command;
            m_scriptDoneAtRelaunch = QFile::exists(m_record + QStringLiteral(".done"));
            return true;
        });
        m_runner.setQuit([this] { m_events << QStringLiteral("quit"); });
        m_runner.setRestoreProxy([this] { m_events << QStringLiteral("proxy back"); });
        UpgradeInstallRunner::setExecutablePathForTesting(QStringLiteral("/opt/it's here/ostrel"));
    }
    void TearDown() override
    {
        qputenv("XDG_DOWNLOAD_DIR", m_oldDownloads);
        qputenv("XDG_CACHE_HOME", m_oldCache);
    }

    void recordingScript(int exitCode = 0)
    {
        // The record file's name comes in through the environment of the test, not an argument.
        writeScript(m_script, QByteArray("out=\"$RECORD\"\n"
                                         "printf '%s\\n' \"$#\" > \"$out\"\n"
                                         "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out\"; done\n"
                                         "echo \"would install $1\"\n"
                                         "touch \"$out.done\"\n")
                                  + "exit " + QByteArray::number(exitCode) + "\n");
        qputenv("RECORD", m_record.toUtf8());
    }

    UpgradeInstallRunner::Result run(QObject *target)
    {
        std::optional<UpgradeInstallRunner::Result> result;
        m_runner.runInstallScript(m_runner.scriptPath(), [this](const QString &text) { m_log << text; }, target,
                                  [&](const UpgradeInstallRunner::Result &r) { result = r; });
        EXPECT_FALSE(result.has_value()) << "answered inside the call";
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000));
        return result.value_or(UpgradeInstallRunner::Result{});
    }

    QTemporaryDir m_dir;
    QString m_root, m_script, m_record;
    QByteArray m_oldDownloads, m_oldCache;
    UpgradeInstallRunner m_runner;
    QStringList m_events, m_log;
    QList<UpgradeInstallRunner::Command> m_relaunches;
    bool m_scriptDoneAtRelaunch = false;
};

} // namespace

TEST_F(InstallRunnerTest, ScriptSeesExactlyItsThreeArgumentsThenTheProgramRelaunches)
{
    recordingScript();
    QObject target;
    const UpgradeInstallRunner::Result result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::Relaunching);

    const QStringList seen = readLines(m_record);
    ASSERT_EQ(seen.size(), 4) << seen.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(seen[0], QStringLiteral("3"));
    EXPECT_EQ(seen[1], m_root + QStringLiteral("/Down loads/翠鸟通行器Pro.deb"));
    EXPECT_EQ(seen[2], m_root + QStringLiteral("/cache $HOME `x`/ostrel/database_swift.sqlite3"));
    EXPECT_EQ(seen[3], QStringLiteral("翠鸟通行器Pro"));
    EXPECT_TRUE(m_log.contains(QStringLiteral("would install ") + seen[1] + QLatin1Char('\n')));

    // Proxy off first, the script, and only after it exited the relaunch and the quit.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_events.contains(QStringLiteral("quit")); }, 5000));
    EXPECT_EQ(m_events, (QStringList{QStringLiteral("proxy off"), QStringLiteral("relaunch"), QStringLiteral("quit")}));
    EXPECT_TRUE(m_scriptDoneAtRelaunch);
    ASSERT_EQ(m_relaunches.size(), 1);
    EXPECT_EQ(m_relaunches[0].arguments.last(), QStringLiteral("/opt/it's here/ostrel"));
    EXPECT_TRUE(m_relaunches[0].arguments[1].startsWith(QStringLiteral("sleep 1; ")));
}

TEST_F(InstallRunnerTest, FailedOrMissingScriptNeverRelaunches)
{
    QObject target;
    QSignalSpy failures(&m_runner, &UpgradeInstallRunner::installFailed);

    recordingScript(5);
    UpgradeInstallRunner::Result result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::Failed);
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_EQ(failures.count(), 1);

    // A script killed half-way is no install either.
    writeScript(m_script, "kill -9 $$\n");
    result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::Crashed);
    EXPECT_EQ(failures.count(), 2);

    QFile::remove(m_script);
    result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::ScriptMissing);
    EXPECT_TRUE(m_log.contains(QStringLiteral("路径不存在！")));

    m_runner.setScriptPathForTesting(std::nullopt);
    result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::ScriptMissing);

    QCoreApplication::processEvents();
    EXPECT_TRUE(m_relaunches.isEmpty());
    EXPECT_FALSE(m_events.contains(QStringLiteral("quit")));
}

TEST_F(InstallRunnerTest, AFailedInstallPutsTheProxyBackAndARefusedPackageIsDeleted)
{
    QObject target;
    auto placeInstaller = [] {
        QDir().mkpath(QFileInfo(UpgradeInstallRunner::installerPath()).absolutePath());
        QFile installer(UpgradeInstallRunner::installerPath());
        ASSERT_TRUE(installer.open(QIODevice::WriteOnly));
        installer.write("not a package");
    };

    // The script's check refused the package: it is gone, and the message says to download again.
    placeInstaller();
    recordingScript(4);
    UpgradeInstallRunner::Result result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::Failed);
    EXPECT_TRUE(result.message.contains(QStringLiteral("已删除"))) << result.message.toStdString();
    EXPECT_FALSE(QFile::exists(UpgradeInstallRunner::installerPath()));
    EXPECT_EQ(m_events, (QStringList{QStringLiteral("proxy off"), QStringLiteral("proxy back")}));

    // Any other failure keeps the package (a retry may work) but still puts the proxy back.
    m_events.clear();
    placeInstaller();
    recordingScript(1);
    result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::Failed);
    EXPECT_TRUE(QFile::exists(UpgradeInstallRunner::installerPath()));
    EXPECT_EQ(m_events, (QStringList{QStringLiteral("proxy off"), QStringLiteral("proxy back")}));

    // A successful install leaves the proxy off: the program is about to be replaced.
    m_events.clear();
    recordingScript(0);
    result = run(&target);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_events.contains(QStringLiteral("quit")); }, 5000));
    EXPECT_FALSE(m_events.contains(QStringLiteral("proxy back")));
}

TEST_F(InstallRunnerTest, ScriptOthersCouldChangeNeverRunsAsRootAndKeepsTheProxy)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root runs the script as root without a prompt";
    recordingScript();
    QFile::setPermissions(QFileInfo(m_script).absolutePath(), QFileDevice::Permissions(0x7777));
    QObject target;
    QSignalSpy failures(&m_runner, &UpgradeInstallRunner::installFailed);
    const UpgradeInstallRunner::Result result = run(&target);
    EXPECT_EQ(result.outcome, UpgradeInstallRunner::Outcome::Refused) << result.message.toStdString();
    EXPECT_EQ(failures.count(), 1);
    EXPECT_FALSE(QFile::exists(m_record)) << "the script ran";
    EXPECT_TRUE(m_events.isEmpty()) << m_events.join(QLatin1Char(' ')).toStdString();
}

TEST_F(InstallRunnerTest, OneInstallAtATimeAndNoRelaunchForAGoneTarget)
{
    // The first install runs until the test has seen the second one refused.
    ScriptHold hold(m_root + QStringLiteral("/release"));
    writeScript(m_script, hold.lines());
    auto target = std::make_unique<QObject>();
    std::optional<UpgradeInstallRunner::Result> first, second;
    m_runner.runInstallScript(m_script, {}, target.get(), [&](const auto &r) { first = r; });
    m_runner.runInstallScript(m_script, {}, target.get(), [&](const auto &r) { second = r; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.has_value(); }, 5000));
    EXPECT_EQ(second->outcome, UpgradeInstallRunner::Outcome::Busy);
    EXPECT_TRUE(m_runner.isRunning());
    EXPECT_FALSE(first.has_value());
    target.reset();
    ASSERT_TRUE(hold.release());
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.has_value(); }, 10000));
    EXPECT_EQ(first->outcome, UpgradeInstallRunner::Outcome::Relaunching);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_relaunches.isEmpty());
}

TEST_F(InstallRunnerTest, CommandsAreArgumentListsAndTheRelaunchRunsTheCapturedPath)
{
    const UpgradeInstallRunner::Command elevated = UpgradeInstallRunner::installCommand(m_script, true);
    EXPECT_EQ(elevated.program, QStringLiteral("pkexec"));
    EXPECT_EQ(elevated.arguments.size(), 5);
    EXPECT_EQ(elevated.arguments[0], QStringLiteral("/bin/bash"));
    EXPECT_EQ(elevated.arguments[1], m_script);
    const UpgradeInstallRunner::Command direct = UpgradeInstallRunner::installCommand(m_script, false);
    EXPECT_EQ(direct.program, QStringLiteral("/bin/bash"));
    EXPECT_EQ(direct.arguments.size(), 4);

    // The real relaunch command, run on a program whose path has quotes and spaces.
    const QString program = m_root + QStringLiteral("/bin dir/it's \"new\"");
    const QString marker = m_root + QStringLiteral("/relaunched");
    writeScript(program, "touch \"$MARKER\"\n");
    qputenv("MARKER", marker.toUtf8());
    const UpgradeInstallRunner::Command relaunch = UpgradeInstallRunner::relaunchCommand(program);
    QProcess process;
    process.start(relaunch.program, relaunch.arguments);
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(marker));
}

TEST_F(InstallRunnerTest, RelaunchThatCannotStartKeepsTheProgramOpen)
{
    QSignalSpy failures(&m_runner, &UpgradeInstallRunner::installFailed);
    m_runner.setStartDetached([](const UpgradeInstallRunner::Command &) { return false; });
    m_runner.relaunch();
    EXPECT_EQ(failures.count(), 1);
    EXPECT_FALSE(m_events.contains(QStringLiteral("quit")));
}

// The bundled script refuses anything but a Debian package of this client, before dpkg runs.
TEST(UpdateScriptTest, RefusesWhatIsNotAPackageOfThisClient)
{
    const QString script = QStringLiteral(OSTREL_SOURCE_DIR) + QStringLiteral("/resources/update_new_version.sh");
    QTemporaryDir dir;
    auto runScript = [&](const QStringList &arguments) {
        QProcess process;
        process.start(QStringLiteral("/bin/sh"), QStringList{script} + arguments);
        process.waitForFinished(20000);
        return process.exitCode();
    };
    const QString db = dir.path() + QStringLiteral("/db.sqlite3");
    const QString name = QStringLiteral("翠鸟通行器Pro");
    EXPECT_EQ(runScript({dir.path() + QStringLiteral("/x.deb"), db}), 2);
    EXPECT_EQ(runScript({dir.path() + QStringLiteral("/missing.deb"), db, name}), 3);

    const QString junk = dir.path() + QStringLiteral("/junk.deb");
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html>404 not found</html>");
    file.close();
    EXPECT_EQ(runScript({junk, db, name}), 4);

    // A real package, of another name.
    const QString tree = dir.path() + QStringLiteral("/tree");
    QDir().mkpath(tree + QStringLiteral("/DEBIAN"));
    QFile control(tree + QStringLiteral("/DEBIAN/control"));
    ASSERT_TRUE(control.open(QIODevice::WriteOnly));
    control.write("Package: someone-else\nVersion: 1.0\nArchitecture: all\nMaintainer: t <t@t.invalid>\nDescription: x\n");
    control.close();
    const QString other = dir.path() + QStringLiteral("/other.deb");
    QProcess build;
    build.start(QStringLiteral("dpkg-deb"), {QStringLiteral("--root-owner-group"), QStringLiteral("--build"), tree, other});
    ASSERT_TRUE(build.waitForFinished(20000));
    ASSERT_EQ(build.exitCode(), 0) << build.readAllStandardError().toStdString();
    EXPECT_EQ(runScript({other, db, name}), 4);
}
