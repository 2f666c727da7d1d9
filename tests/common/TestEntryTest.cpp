// The entry every test program shares: what a test leaves running fails the program, by name,
// and does not outlive it; nothing installed on the machine is in a test's reach; nothing of the
// desktop session a test program is started from reaches it.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include <signal.h>

#include "common/AppPaths.h"
#include "common/probe/SlowToEnd.h"
#include "support/DaemonProcess.h"
#include "support/ProcScan.h"
#include "support/TestEnvironment.h"
#include "support/WantedSkip.h"

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/leftover-probe");
const QString kEntryProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/entry-probe");
const QString kInstallFolderProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/install-folder-probe");

struct ProbeRun
{
    int exitCode = -1;
    QString output;
};

// The probe's environment: it leaves what `leave` says (see LeftoverProbe.cpp; empty: nothing)
// and writes what it has to tell to `ask`.
QProcessEnvironment probeEnvironment(const QString &leave, const QString &ask)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GTEST_SHUFFLE"));
    if (!leave.isEmpty())
        environment.insert(QStringLiteral("OSTREL_TEST_PROBE_LEAVE_IT"), leave);
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_ASK"), ask);
    return environment;
}

// Runs the probe, leaving what `leave` says. For an escaped sleeper this test starts it, as a
// process outside the probe's tree, under the probe's HOME.
ProbeRun runProbe(const QString &leave)
{
    QTemporaryDir folder;
    const QString ask = folder.filePath(QStringLiteral("ask"));
    QProcess probe;
    probe.setProcessEnvironment(probeEnvironment(leave, ask));
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(kProbe, {});
    ProbeRun run;
    if (leave == QLatin1String("escaped")) {
        if (!QTest::qWaitFor([&] { return QFile::exists(ask); }, 30000))
            return run;
        QFile request(ask);
        if (!request.open(QIODevice::ReadOnly))
            return run;
        QProcess sleeper;
        QProcessEnvironment itsHome = QProcessEnvironment::systemEnvironment();
        itsHome.insert(QStringLiteral("HOME"), QFile::decodeName(request.readAll()));
        sleeper.setProcessEnvironment(itsHome);
        sleeper.setProgram(QStringLiteral("sleep"));
        sleeper.setArguments({QStringLiteral("4244")});
        qint64 pid = 0;
        if (!sleeper.startDetached(&pid))
            return run;
        // Its exec goes on after the start returns, and the probe's entry finds it by the HOME
        // that the exec lays out: until then its environment reads empty.
        const auto laidOut = [pid] { return !ProcScan::read(pid_t(pid), "environ").empty(); };
        if (!QTest::qWaitFor(laidOut, 10000))
            return run;
        QFile(ask + QStringLiteral(".started")).open(QIODevice::WriteOnly);
    }
    if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = probe.exitCode();
    run.output = QString::fromLocal8Bit(probe.readAll());
    return run;
}

// Whether a process of this program's run (a probe's among them), by the run's marker, runs
// `command`; another program's on the machine does not count.
bool sleeperRuns(const QString &command)
{
    const std::string wanted = command.toStdString();
    const std::string run = qgetenv(TestEnvironment::kRunVariable).toStdString();
    const std::vector<std::string> ours{std::string(TestEnvironment::kRunVariable) + '=' + run};
    const std::vector<pid_t> pids = ProcScan::processes();
    return std::any_of(pids.cbegin(), pids.cend(), [&](pid_t pid) {
        return ProcScan::runs(pid, wanted) && ProcScan::alive(pid) && ProcScan::startedWithin(pid, ours);
    });
}

// The probe left `sleeper` running: the program failed and named it, and it did not outlive the
// program.
void expectNamedAndEnded(const ProbeRun &run, const QString &sleeper)
{
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("LEFTOVER PROCESS"))) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(sleeper)) << qPrintable(run.output);
    // The entry waits for what it killed to be gone before it ends.
    EXPECT_FALSE(sleeperRuns(sleeper)) << "the process left running outlived its test program";
}

} // namespace

TEST(TestEntry, AProcessLeftRunningFailsTheProgramByNameAndIsEnded)
{
    const ProbeRun clean = runProbe(QString());
    EXPECT_EQ(clean.exitCode, 0) << qPrintable(clean.output);

    const ProbeRun left = runProbe(QStringLiteral("1"));
    EXPECT_TRUE(left.output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << qPrintable(left.output);
    expectNamedAndEnded(left, QStringLiteral("sleep 4242"));
}

// What still runs when the tests are over is waited for: a process taking its time over the end
// signal a test sent it ends without failing the program (while one never signalled is named,
// above).
TEST(TestEntry, AProcessEndingInItsOwnTimeIsWaitedFor)
{
    const ProbeRun slow = runProbe(QStringLiteral("slow"));
    EXPECT_EQ(slow.exitCode, 0) << qPrintable(slow.output);
    EXPECT_FALSE(slow.output.contains(QStringLiteral("LEFTOVER PROCESS"))) << qPrintable(slow.output);
    // Waited for, not left to end on its own after the program.
    EXPECT_FALSE(sleeperRuns(QStringLiteral("sh -c ") + QLatin1String(kSlowToEnd)))
        << "the process ending in its own time outlived its test program";
}

// Each of the entry's two means alone finds what the other cannot: the program's reaping finds a
// process it started under another HOME; a HOME inside the run's folder finds one that left its
// tree.
TEST(TestEntry, AProcessLeftUnderAnotherHomeIsFoundAmongWhatTheProgramStarted)
{
    expectNamedAndEnded(runProbe(QStringLiteral("home")), QStringLiteral("sleep 4243"));
}

TEST(TestEntry, AProcessOutsideTheProgramsTreeIsFoundByItsHome)
{
    expectNamedAndEnded(runProbe(QStringLiteral("escaped")), QStringLiteral("sleep 4244"));
}

namespace {

// Processes whose HOME is `profile`, by pid and command.
QStringList runningUnder(const QString &profile)
{
    QStringList found;
    for (const pid_t pid : ProcScan::processes()) {
        if (ProcScan::startedWithin(pid, {"HOME=" + QFile::encodeName(profile).toStdString()}))
            found << QString::number(pid) + QLatin1Char(' ') + QString::fromStdString(ProcScan::command(pid));
    }
    return found;
}

// Starts the probe that waits to be killed (under a display of its own when `ownDisplay`),
// kills the program (or the xvfb-run it runs under), and expects nothing it started to run on
// and nothing it made to be left in its temporary folder.
void expectNothingOutlivesAKilledProgram(bool ownDisplay)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString ask = folder.filePath(QStringLiteral("ask"));
    QProcessEnvironment environment = probeEnvironment(QStringLiteral("killed"), ask);
    environment.insert(QStringLiteral("TMPDIR"), folder.path());
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command = ownDisplay ? TestEnvironment::ownDisplayCommand(QStringLiteral("640x480x24"), kProbe, {}) : QStringList{kProbe};
    probe.start(command.first(), command.mid(1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(ask) || probe.state() == QProcess::NotRunning; }, 30000));
    QFile told(ask);
    ASSERT_TRUE(told.open(QIODevice::ReadOnly)) << probe.readAll().toStdString();
    const QStringList lines = QString::fromLocal8Bit(told.readAll()).split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 8);
    std::vector<pid_t> started;
    for (int line = 0; line < 4; ++line)
        started.push_back(pid_t(lines[line].toInt()));
    const QString profile = lines[4];
    const QString runFolder = QFileInfo(profile).absolutePath();
    EXPECT_TRUE(lines[7].startsWith(runFolder + QLatin1Char('/'))) << qPrintable(lines[7]);
    if (ownDisplay)
        started.push_back(ProcScan::displayServer(lines[5].toStdString(), lines[6].toStdString()));
    for (const pid_t pid : started)
        ASSERT_TRUE(ProcScan::alive(pid)) << pid;

    ::kill(pid_t(probe.processId()), SIGKILL);
    probe.waitForFinished(10000);
    // The run's folder (the profile and the temporary folder the probe's test made in it) goes, and
    // so does xvfb-run's folder, which lies in the temporary folder beside the file the probe wrote.
    const auto leftFiles = [&] {
        QStringList left = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        if (QFileInfo::exists(runFolder))
            left << runFolder;
        return left;
    };
    const auto nothingRuns = [&] {
        return std::none_of(started.cbegin(), started.cend(), ProcScan::alive) && runningUnder(profile).isEmpty()
               && leftFiles() == QStringList{QStringLiteral("ask")};
    };
    EXPECT_TRUE(QTest::qWaitFor(nothingRuns, 15000))
        << "still running: " << runningUnder(profile).join(QStringLiteral("; ")).toStdString()
        << "; of what the probe started: " << std::count_if(started.cbegin(), started.cend(), ProcScan::alive)
        << "; left: " << leftFiles().join(QLatin1Char(' ')).toStdString();
}

} // namespace

// However a test program ends: the processes it started (a stand-in service, a process started
// detached as the client starts its helper, one started under another HOME that hangs, and for a
// web-view program the X server of its display) end with it, and its profile and the temporary
// folders its tests made go.
TEST(TestEntry, WhatAKilledProgramStartedEndsWithIt)
{
    expectNothingOutlivesAKilledProgram(false);
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << WantedSkip::tool("xvfb-run is not installed");
    expectNothingOutlivesAKilledProgram(true);
}

TEST(TestEntry, TheInstallFolderIsAnEmptyFolderOfTheProfile)
{
    const QString folder = AppPaths::installFolder();
    EXPECT_TRUE(folder.startsWith(QDir::homePath() + QLatin1Char('/'))) << qPrintable(folder);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ostrel-helper")));
}

namespace {

// What the entry probe wrote down, run with the given environment (by `command`, which ends
// with the probe); empty when it did not pass.
QJsonObject entryProbeReport(QProcessEnvironment environment, QString *output,
                             const QStringList &command = {kEntryProbe})
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return {};
    const QString report = folder.filePath(QStringLiteral("report.json"));
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_REPORT"), report);
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(command.first(), command.mid(1));
    if (!probe.waitForFinished(60000))
        return {};
    *output = QString::fromLocal8Bit(probe.readAll());
    QFile file(report);
    if (probe.exitCode() != 0 || !file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The variables a desktop session of an office machine holds.
const QStringList kProxyVariables{QStringLiteral("http_proxy"),  QStringLiteral("HTTP_PROXY"), QStringLiteral("https_proxy"),
                                  QStringLiteral("HTTPS_PROXY"), QStringLiteral("all_proxy"),  QStringLiteral("ALL_PROXY"),
                                  QStringLiteral("no_proxy"),    QStringLiteral("NO_PROXY")};

QProcessEnvironment desktopSession()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : kProxyVariables)
        environment.insert(name, name.startsWith(QLatin1String("no"), Qt::CaseInsensitive) ? QStringLiteral("example.org")
                                                                                         : QStringLiteral("http://127.0.0.1:9"));
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4242"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-42"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Shanghai"));
    environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--enable-gpu-rasterization"));
    environment.insert(QStringLiteral("OSTREL_UPGRADE_SCRIPT"), QStringLiteral("/bin/true"));
    // What registers the program with the desktop's session manager, opens a DevTools port, or
    // changes what Qt, Chromium, the GL driver or TLS do; and names nobody has thought of yet.
    environment.insert(QStringLiteral("SESSION_MANAGER"), QStringLiteral("local/desk:@/tmp/.ICE-unix/42,unix/desk:/tmp/.ICE-unix/42"));
    environment.insert(QStringLiteral("QTWEBENGINE_REMOTE_DEBUGGING"), QStringLiteral("127.0.0.1:39555"));
    for (const char *name : {"QT_PLUGIN_PATH", "QT_IM_MODULE", "XMODIFIERS", "LIBGL_ALWAYS_SOFTWARE", "MESA_LOADER_DRIVER_OVERRIDE",
                             "GSETTINGS_BACKEND", "SSLKEYLOGFILE", "CURL_HOME", "NODE_OPTIONS", "OSTREL_DEBUG", "LD_PRELOAD"})
        environment.insert(QLatin1String(name), QStringLiteral("/nonexistent"));
    const QString unheard = QString::number(QRandomGenerator::global()->generate64(), 36).toUpper();
    environment.insert(QStringLiteral("OSTREL_") + unheard, QStringLiteral("1"));
    environment.insert(unheard + QStringLiteral("_SWITCH"), QStringLiteral("1"));
    // A program run by hand gets no marker from ctest, nor Chromium's sandbox switch.
    environment.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    environment.remove(QStringLiteral("OSTREL_TEST"));
    environment.remove(QStringLiteral("OSTREL_INSTALL_FOLDER"));
    environment.remove(QStringLiteral("GTEST_SHUFFLE"));
    return environment;
}

// The names a test program holds that are not among those that run it (from the shell that
// started it) or that its entry sets; a program under its own display also holds that display.
QStringList beyondTheAllowList(const QJsonObject &seen, bool ownDisplay)
{
    static const QStringList kRun{QStringLiteral("PATH"), QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral("TMPDIR"),
                                  QStringLiteral("HOME"), QStringLiteral("USER"), QStringLiteral("LOGNAME"), QStringLiteral("TERM"),
                                  QStringLiteral("ASAN_OPTIONS"), QStringLiteral("UBSAN_OPTIONS"), QStringLiteral("LSAN_OPTIONS"),
                                  QStringLiteral("TSAN_OPTIONS")};
    static const QStringList kSet{QStringLiteral("LANG"), QStringLiteral("TZ"), QStringLiteral("QT_QPA_PLATFORM"),
                                  QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("XDG_CONFIG_HOME"),
                                  QStringLiteral("XDG_CACHE_HOME"), QStringLiteral("XDG_DATA_HOME"), QStringLiteral("XDG_DOWNLOAD_DIR"),
                                  QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                                  QStringLiteral("OSTREL_INSTALL_FOLDER")};
    static const QStringList kOwnDisplay{QStringLiteral("DISPLAY"), QStringLiteral("XAUTHORITY"),
                                         QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")};
    QStringList beyond;
    for (const QString &name : seen.keys()) {
        const bool runner = name.startsWith(QLatin1String("GTEST_")) || name.startsWith(QLatin1String("CTEST_"))
                            || name.startsWith(QLatin1String("OSTREL_TEST"));
        if (!runner && !kRun.contains(name) && !kSet.contains(name) && !(ownDisplay && kOwnDisplay.contains(name)))
            beyond << name;
    }
    return beyond;
}

} // namespace

// Run from a desktop session by hand: nothing of the session (display, bus, session manager,
// proxy, desktop, language, time zone, switches of Qt, Chromium or the GL driver, nor a name
// nobody listed) reaches the program or what it starts, and it runs as under ctest, with its
// sockets working where an engineer's TMPDIR lies too deep for them.
TEST(TestEntry, NothingOfTheDesktopSessionReachesATestProgram)
{
    QProcessEnvironment environment = desktopSession();
    // The user's session bus: one of our own, where a program that reached it would connect.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    DaemonProcess userBus;
    const QString busSocket = folder.filePath(QStringLiteral("user-bus"));
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (!daemon.isEmpty()) {
        ASSERT_TRUE(userBus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                           QStringLiteral("--address=unix:path=") + busSocket},
                                  busSocket));
    }
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + busSocket);
    // An engineer's TMPDIR deep in a home folder, too deep for a Unix socket's path below it.
    QString temporary = folder.filePath(QStringLiteral("tmp/"));
    temporary += QString(100 - temporary.size(), QLatin1Char('t'));
    ASSERT_EQ(temporary.size(), 100);
    ASSERT_TRUE(QDir().mkpath(temporary));
    environment.insert(QStringLiteral("TMPDIR"), temporary);

    QString output;
    const QJsonObject report = entryProbeReport(environment, &output);
    ASSERT_FALSE(report.isEmpty()) << qPrintable(output);
    const QJsonObject seen = report.value(QStringLiteral("environment")).toObject();
    EXPECT_EQ(beyondTheAllowList(seen, false).join(QLatin1Char(' ')).toStdString(), "");
    EXPECT_EQ(seen.value(QStringLiteral("QT_QPA_PLATFORM")).toString().toStdString(), "offscreen");
    EXPECT_EQ(seen.value(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX")).toString().toStdString(), "1");
    EXPECT_EQ(seen.value(QStringLiteral("LANG")).toString().toStdString(), "C.UTF-8");
    EXPECT_EQ(seen.value(QStringLiteral("TZ")).toString().toStdString(), "UTC");
    EXPECT_FALSE(seen.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")).toString().contains(busSocket));
    EXPECT_FALSE(report.value(QStringLiteral("sessionBus")).toBool()) << "a test program reached a session bus";
    EXPECT_EQ(seen.value(QStringLiteral("OSTREL_TEST")).toString().toStdString(), "1");
    // The run's folder went where the tests' sockets fit, and took all of the run's files with it.
    const QString home = report.value(QStringLiteral("home")).toString();
    const QString runFolder = QFileInfo(home).absolutePath();
    EXPECT_EQ(report.value(QStringLiteral("temp")).toString(), runFolder + QStringLiteral("/tmp"));
    EXPECT_TRUE(report.value(QStringLiteral("socketsListen")).toBool()) << qPrintable(home);
    EXPECT_TRUE(report.value(QStringLiteral("installFolder")).toString().startsWith(home + QLatin1Char('/')));
    EXPECT_FALSE(QFileInfo::exists(runFolder)) << qPrintable(runFolder);
    EXPECT_TRUE(QDir(temporary).isEmpty());
}

// A web-view program started from a desktop session draws on an X display it started for itself.
TEST(TestEntry, AWebViewProgramDrawsOnADisplayOfItsOwn)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << WantedSkip::tool("xvfb-run is not installed");
    QProcessEnvironment environment = desktopSession();
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_WEB"), QStringLiteral("1"));
    QString output;
    const QJsonObject report = entryProbeReport(environment, &output);
    ASSERT_FALSE(report.isEmpty()) << qPrintable(output);
    const QJsonObject seen = report.value(QStringLiteral("environment")).toObject();
    EXPECT_TRUE(report.value(QStringLiteral("ownDisplay")).toBool());
    const QString display = seen.value(QStringLiteral("DISPLAY")).toString();
    EXPECT_FALSE(display.isEmpty());
    EXPECT_NE(display.toStdString(), ":4242");
    EXPECT_EQ(seen.value(QStringLiteral("QT_QPA_PLATFORM")).toString().toStdString(), "xcb");
    EXPECT_EQ(beyondTheAllowList(seen, true).join(QLatin1Char(' ')).toStdString(), "");
    EXPECT_FALSE(seen.value(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS")).toString().contains(QStringLiteral("gpu-rasterization")));
}

// A program started by one that runs under a display of its own (a test program that a web-view
// program starts) inherits its environment, but does not take the display for its own.
TEST(TestEntry, AProgramStartedUnderAnothersDisplayDoesNotTakeIt)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << WantedSkip::tool("xvfb-run is not installed");
    // The shell takes the display as a web-view program does, and starts the probe as its child.
    const QStringList starter{QStringLiteral("-c"), QStringLiteral("\"$0\"; exit $?"), kEntryProbe};
    const QStringList command = TestEnvironment::ownDisplayCommand(QStringLiteral("640x480x24"), QStringLiteral("sh"),
                                                                   starter);
    QString output;
    const QJsonObject report = entryProbeReport(desktopSession(), &output, command);
    ASSERT_FALSE(report.isEmpty()) << qPrintable(output);
    const QJsonObject seen = report.value(QStringLiteral("environment")).toObject();
    EXPECT_EQ(seen.value(QStringLiteral("QT_QPA_PLATFORM")).toString().toStdString(), "offscreen");
    EXPECT_FALSE(seen.contains(QStringLiteral("DISPLAY")));
}

// A client a test starts (a plain program, not a test program) takes the profile's install folder
// from the environment; outside the tests the variable is not heeded.
TEST(TestEntry, AClientATestStartsTakesTheProfilesInstallFolder)
{
    const auto installFolderOf = [](const QProcessEnvironment &environment) {
        QProcess client;
        client.setProcessEnvironment(environment);
        client.start(kInstallFolderProbe, {});
        client.waitForFinished(30000);
        return QString::fromLocal8Bit(client.readAllStandardOutput()).trimmed().toStdString();
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const std::string own = AppPaths::installFolder().toStdString();
    EXPECT_EQ(installFolderOf(environment), own);
    EXPECT_EQ(own.rfind((QDir::homePath() + QLatin1Char('/')).toStdString(), 0), 0u) << own;

    environment.insert(QStringLiteral("OSTREL_INSTALL_FOLDER"), QStringLiteral("relative/folder"));
    EXPECT_EQ(installFolderOf(environment), "/opt/Ostrel_mac_Pelmorath");
    environment.insert(QStringLiteral("OSTREL_INSTALL_FOLDER"), QDir::homePath() + QStringLiteral("/elsewhere"));
    environment.remove(QStringLiteral("OSTREL_TEST"));
    EXPECT_EQ(installFolderOf(environment), "/opt/Ostrel_mac_Pelmorath");
    environment.insert(QStringLiteral("OSTREL_TEST"), QStringLiteral("0"));
    EXPECT_EQ(installFolderOf(environment), "/opt/Ostrel_mac_Pelmorath");
}

// A test's temporary files go where TMPDIR says: no test makes them under a folder it names itself.
TEST(TestEntry, NoTestMakesItsTemporaryFilesInAFolderOfItsOwnNaming)
{
    static const QRegularExpression named(QStringLiteral(R"re((QTemporary(Dir|File)|mkd?temp|mkstemp)\b[^;]*"/(tmp|var/tmp)/)re"));
    QStringList found;
    QDirIterator files(QStringLiteral(OSTREL_SOURCE_DIR "/tests"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
        int number = 0;
        for (const QByteArray &line : file.readAll().split('\n')) {
            ++number;
            if (named.match(QString::fromUtf8(line)).hasMatch())
                found << QStringLiteral("%1:%2").arg(file.fileName()).arg(number);
        }
    }
    EXPECT_TRUE(found.isEmpty()) << qPrintable(found.join(QLatin1Char('\n')));
}
