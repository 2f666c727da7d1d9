// The helper's install script, run into a staging folder (as packaging does), never into the
// machine's own folders.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include "support/OtherUsers.h"

#include "helper/SavedProxyState.h"

namespace {

const QString kScript = QStringLiteral(OSTREL_SOURCE_DIR "/resources/scripts/install_helper.sh");
const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

// The values of `key` in a unit file, in order (a key may stand more than once).
QStringList unitValues(const QString &path, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList values;
    const QString prefix = key + QLatin1Char('=');
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            values.append(line.mid(prefix.size()));
    }
    return values;
}

int runScript(const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start("/bin/bash", QStringList{kScript} + arguments);
    if (!process.waitForFinished(10000))
        return -1;
    if (output)
        *output = process.readAll();
    return process.exitCode();
}

TEST(InstallScriptTest, InstallsTheHelperAndItsUserUnits)
{
    QTemporaryDir root;
    QByteArray output;
    ASSERT_EQ(runScript({"--from", kHelper, "--prefix", root.path()}, &output), 0) << output.constData();
    const QFileInfo helper(root.filePath("opt/Ostrel_mac_Pelmorath/ostrel-helper"));
    ASSERT_TRUE(helper.isFile());
    EXPECT_TRUE(helper.isExecutable());
    EXPECT_FALSE(helper.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
    EXPECT_TRUE(QFile::exists(root.filePath("usr/lib/systemd/user/ostrel-helper.socket")));
    EXPECT_TRUE(QFile::exists(root.filePath("usr/lib/systemd/user/ostrel-helper.service")));
    EXPECT_TRUE(QFile::exists(root.filePath("usr/lib/systemd/user/ostrel-helper.path")));
    // Stopped before the session bus and dconf, which its restore at stop writes through.
    const QStringList after =
        unitValues(root.filePath("usr/lib/systemd/user/ostrel-helper.service"), "After").join(' ').split(' ');
    for (const char *unit : {"dbus.socket", "dbus.service", "dconf.service"})
        EXPECT_TRUE(after.contains(unit)) << unit;

    // Installing again replaces the file in one step (a running helper keeps the old one).
    ASSERT_EQ(runScript({"--from", kHelper, "--prefix", root.path()}), 0);
    EXPECT_EQ(QDir(root.filePath("opt/Ostrel_mac_Pelmorath")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"ostrel-helper"});
}

// A login where a restore waits starts the helper: the path unit, wanted by the session's default
// target, watches the very files the helper keeps in the folder its service gives it. The service
// itself has no condition, which would refuse its socket activation too.
TEST(InstallScriptTest, ALoginStartsTheHelperWhereItsRecordsWait)
{
    const QString units = QStringLiteral(OSTREL_SOURCE_DIR "/resources/systemd/");
    const QString home = QStringLiteral("/home/someone");
    const QStringList start = unitValues(units + "ostrel-helper.service", "ExecStart").join(' ').split(' ');
    const qsizetype option = start.indexOf("--state-dir");
    ASSERT_GE(option, 0);
    ASSERT_LT(option + 1, start.size());
    const SavedProxyState state(QString(start.at(option + 1)).replace("%h", home));
    EXPECT_EQ(state.filePath(), home + "/.local/state/ostrel-helper/saved-proxy-settings.json");

    QStringList watched = unitValues(units + "ostrel-helper.path", "PathExists");
    for (QString &path : watched)
        path.replace("%h", home);
    watched.sort();
    QStringList kept{state.filePath(), state.listenerFilePath()};
    kept.sort();
    EXPECT_EQ(watched, kept);
    EXPECT_EQ(unitValues(units + "ostrel-helper.path", "Unit"), QStringList{"ostrel-helper.service"});
    EXPECT_EQ(unitValues(units + "ostrel-helper.path", "WantedBy"), QStringList{"default.target"});
    for (const char *condition : {"ConditionPathExists", "ConditionPathExistsGlob", "ConditionDirectoryNotEmpty"})
        EXPECT_TRUE(unitValues(units + "ostrel-helper.service", condition).isEmpty()) << condition;
}

// Into a staging root the units are enabled as for every user of a machine, and disabled again.
TEST(InstallScriptTest, EnablesTheSocketAndTheLoginStartForEveryUser)
{
    const QString systemctl = QStandardPaths::findExecutable("systemctl");
    if (systemctl.isEmpty())
        GTEST_SKIP() << "systemctl is not installed";
    QTemporaryDir root;
    QByteArray output;
    ASSERT_EQ(runScript({"--from", kHelper, "--prefix", root.path()}, &output), 0) << output.constData();
    const QString wants = root.filePath("etc/systemd/user/%1.wants/%2");
    const QStringList links{wants.arg("sockets.target", "ostrel-helper.socket"), wants.arg("default.target", "ostrel-helper.path")};
    for (const QString &link : links)
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), "/usr/lib/systemd/user/" + QFileInfo(link).fileName()) << qPrintable(link);

    QProcess disable;
    disable.start(systemctl, {"--root=" + root.path(), "--global", "disable", "ostrel-helper.socket", "ostrel-helper.path"});
    ASSERT_TRUE(disable.waitForFinished(60000));
    EXPECT_EQ(disable.exitCode(), 0) << disable.readAllStandardError().constData();
    for (const QString &link : links)
        EXPECT_FALSE(QFileInfo(link).isSymLink()) << qPrintable(link);
}

TEST(InstallScriptTest, RefusesAnythingButTheHelper)
{
    QTemporaryDir root;
    EXPECT_NE(runScript({"--from", "/etc/passwd", "--prefix", root.path()}), 0);
    EXPECT_NE(runScript({"--from", root.filePath("missing/ostrel-helper"), "--prefix", root.path()}), 0);
    EXPECT_NE(runScript({"--prefix", root.path()}), 0);
    EXPECT_NE(runScript({"--from", kHelper, "--prefix", root.path(), "--evil"}), 0);
    EXPECT_FALSE(QFile::exists(root.filePath("opt/Ostrel_mac_Pelmorath/ostrel-helper")));
}

TEST(InstallScriptTest, RootRefusesAProgramSomeoneElseCouldHaveSwapped)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root: the ownership rule applies to root installs only";
    if (!userIsMapped(65534))
        GTEST_SKIP() << "this user namespace has no user 65534 to give the program to";
    QTemporaryDir root;
    QTemporaryDir source;
    const QString copy = source.filePath("ostrel-helper");
    ASSERT_TRUE(QFile::copy(kHelper, copy));
    // A program another user owns, or may write, is not installed for every user of the machine.
    ASSERT_EQ(::chown(copy.toLocal8Bit().constData(), 65534, 65534), 0);
    QByteArray output;
    EXPECT_EQ(runScript({"--from", copy, "--prefix", root.path()}, &output), 3) << output.constData();
    ASSERT_EQ(::chown(copy.toLocal8Bit().constData(), 0, 0), 0);
    QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOther);
    EXPECT_EQ(runScript({"--from", copy, "--prefix", root.path()}, &output), 3) << output.constData();
    EXPECT_FALSE(QFile::exists(root.filePath("opt/Ostrel_mac_Pelmorath/ostrel-helper")));
}

} // namespace
