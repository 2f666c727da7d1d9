// The helper's install script, run into a staging folder (as packaging does), never into the
// machine's own folders.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

#include "support/OtherUsers.h"

namespace {

const QString kScript = QStringLiteral(OSTREL_SOURCE_DIR "/resources/scripts/install_helper.sh");
const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

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
    // Stopped before the session bus, which its restore at stop writes through.
    QFile service(root.filePath("usr/lib/systemd/user/ostrel-helper.service"));
    ASSERT_TRUE(service.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = service.readAll().split('\n');
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QByteArray &line) {
        return line.startsWith("After=") && line.contains("dbus.socket") && line.contains("dbus.service");
    }));

    // Installing again replaces the file in one step (a running helper keeps the old one).
    ASSERT_EQ(runScript({"--from", kHelper, "--prefix", root.path()}), 0);
    EXPECT_EQ(QDir(root.filePath("opt/Ostrel_mac_Pelmorath")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"ostrel-helper"});
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
