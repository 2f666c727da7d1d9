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
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <signal.h>

#include "common/AppPaths.h"
#include "support/DaemonProcess.h"

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/leftover-probe");
const QString kEntryProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/entry-probe");
const QString kInstallFolderProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/install-folder-probe");

struct ProbeRun
{
    int exitCode = -1;
    QString output;
};

// Runs the probe, leaving what `leave` says (see LeftoverProbe.cpp; empty: nothing). For an
// escaped sleeper this test starts it, as a process outside the probe's tree, under the probe's HOME.
ProbeRun runProbe(const QString &leave)
{
    QTemporaryDir folder;
    const QString ask = folder.filePath(QStringLiteral("ask"));
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("GTEST_SHUFFLE"));
    if (!leave.isEmpty())
        environment.insert(QStringLiteral("OSTREL_PROBE_LEAVE_IT"), leave);
    environment.insert(QStringLiteral("OSTREL_PROBE_ASK"), ask);
    probe.setProcessEnvironment(environment);
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
        if (!sleeper.startDetached())
            return run;
        QFile(ask + QStringLiteral(".started")).open(QIODevice::WriteOnly);
    }
    if (leave == QLatin1String("ending")) {
        // The stopped sleeper goes on once the probe's tests are over, while it looks for leftovers.
        QByteArray output;
        if (!QTest::qWaitFor([&] { return QFile::exists(ask) && (output += probe.readAll()).contains("[  PASSED  ]"); }, 30000))
            return run;
        QFile request(ask);
        if (!request.open(QIODevice::ReadOnly))
            return run;
        ::kill(static_cast<pid_t>(request.readAll().toLongLong()), SIGCONT);
        run.output = QString::fromLocal8Bit(output);
    }
    if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = probe.exitCode();
    run.output += QString::fromLocal8Bit(probe.readAll());
    return run;
}

bool sleeperRuns(const QString &command)
{
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), QLatin1Char('^') + command + QLatin1Char('$')});
    pgrep.waitForFinished(10000);
    return pgrep.exitCode() == 0;
}

// The probe left `sleeper` running: the program failed and named it, and it did not outlive the
// program.
void expectNamedAndEnded(const ProbeRun &run, const QString &sleeper)
{
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("LEFTOVER PROCESS"))) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(sleeper)) << qPrintable(run.output);
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

// What is on its way out when the tests are over (here a process with an end signal waiting for
// it) is waited for, and ends without failing the program.
TEST(TestEntry, AProcessOnItsWayOutIsWaitedFor)
{
    const ProbeRun ending = runProbe(QStringLiteral("ending"));
    EXPECT_EQ(ending.exitCode, 0) << qPrintable(ending.output);
    EXPECT_FALSE(ending.output.contains(QStringLiteral("LEFTOVER PROCESS"))) << qPrintable(ending.output);
    EXPECT_FALSE(sleeperRuns(QStringLiteral("sleep 4245")));
}

// Each of the entry's two means alone finds what the other cannot: the program's reaping finds a
// process it started under another HOME; the profile's HOME finds one that left its tree.
TEST(TestEntry, AProcessLeftUnderAnotherHomeIsFoundAmongWhatTheProgramStarted)
{
    expectNamedAndEnded(runProbe(QStringLiteral("home")), QStringLiteral("sleep 4243"));
}

TEST(TestEntry, AProcessOutsideTheProgramsTreeIsFoundByTheProfilesHome)
{
    expectNamedAndEnded(runProbe(QStringLiteral("escaped")), QStringLiteral("sleep 4244"));
}

TEST(TestEntry, TheInstallFolderIsAnEmptyFolderOfTheProfile)
{
    const QString folder = AppPaths::installFolder();
    EXPECT_TRUE(folder.startsWith(QDir::homePath() + QLatin1Char('/'))) << qPrintable(folder);
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ostrel-helper")));
}

namespace {

// What the entry probe wrote down, run with the given environment; empty when it did not pass.
QJsonObject entryProbeReport(QProcessEnvironment environment, QString *output)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return {};
    const QString report = folder.filePath(QStringLiteral("report.json"));
    environment.insert(QStringLiteral("OSTREL_PROBE_REPORT"), report);
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(kEntryProbe, {});
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
    // A program run by hand gets no marker from ctest.
    environment.remove(QStringLiteral("OSTREL_TEST"));
    environment.remove(QStringLiteral("OSTREL_INSTALL_FOLDER"));
    environment.remove(QStringLiteral("GTEST_SHUFFLE"));
    return environment;
}

} // namespace

// Run from a desktop session by hand: no display, bus, proxy, desktop, language or time zone of
// the session reaches the program or what it starts, and its temporary files go where TMPDIR says.
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
    const QString temporary = folder.filePath(QStringLiteral("tmp"));
    ASSERT_TRUE(QDir().mkpath(temporary));
    environment.insert(QStringLiteral("TMPDIR"), temporary);

    QString output;
    const QJsonObject report = entryProbeReport(environment, &output);
    ASSERT_FALSE(report.isEmpty()) << qPrintable(output);
    const QJsonObject seen = report.value(QStringLiteral("environment")).toObject();
    for (const QString &name : kProxyVariables)
        EXPECT_FALSE(seen.contains(name)) << qPrintable(name);
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP", "LC_ALL", "QTWEBENGINE_CHROMIUM_FLAGS",
                             "OSTREL_UPGRADE_SCRIPT"})
        EXPECT_FALSE(seen.contains(QLatin1String(name))) << name;
    EXPECT_EQ(seen.value(QStringLiteral("QT_QPA_PLATFORM")).toString().toStdString(), "offscreen");
    EXPECT_EQ(seen.value(QStringLiteral("LANG")).toString().toStdString(), "C.UTF-8");
    EXPECT_EQ(seen.value(QStringLiteral("TZ")).toString().toStdString(), "UTC");
    EXPECT_FALSE(seen.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")).toString().contains(busSocket));
    EXPECT_FALSE(report.value(QStringLiteral("sessionBus")).toBool()) << "a test program reached a session bus";
    EXPECT_EQ(seen.value(QStringLiteral("OSTREL_TEST")).toString().toStdString(), "1");
    const QString home = report.value(QStringLiteral("home")).toString();
    EXPECT_TRUE(home.startsWith(temporary + QLatin1Char('/'))) << qPrintable(home);
    EXPECT_TRUE(report.value(QStringLiteral("installFolder")).toString().startsWith(home + QLatin1Char('/')));
}

// A web-view program started from a desktop session draws on an X display it started for itself.
TEST(TestEntry, AWebViewProgramDrawsOnADisplayOfItsOwn)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is not installed";
    QProcessEnvironment environment = desktopSession();
    environment.insert(QStringLiteral("OSTREL_PROBE_WEB"), QStringLiteral("1"));
    QString output;
    const QJsonObject report = entryProbeReport(environment, &output);
    ASSERT_FALSE(report.isEmpty()) << qPrintable(output);
    const QJsonObject seen = report.value(QStringLiteral("environment")).toObject();
    EXPECT_TRUE(report.value(QStringLiteral("ownDisplay")).toBool());
    const QString display = seen.value(QStringLiteral("DISPLAY")).toString();
    EXPECT_FALSE(display.isEmpty());
    EXPECT_NE(display.toStdString(), ":4242");
    EXPECT_EQ(seen.value(QStringLiteral("QT_QPA_PLATFORM")).toString().toStdString(), "xcb");
    EXPECT_FALSE(seen.contains(QStringLiteral("WAYLAND_DISPLAY")));
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
