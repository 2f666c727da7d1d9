// One round trip through GNOME's proxy settings: the real daemon with the gsettings backend on a
// private session bus, with the user's own settings in place before and after.
#include "common/HelperProtocol.h"
#include "helper/GSettingsProxyBackend.h"
#include "helper/GVariantText.h"
#include "support/DaemonProcess.h"
#include "support/ProcScan.h"
#include "support/WantedSkip.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

QJsonObject call(const QString &socket, const QString &method, const QJsonObject &params = {})
{
    const QJsonObject request = {{"id", 1}, {"method", method}, {"params", params}};
    return QJsonDocument::fromJson(exchangeLine(socket, QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n')).object();
}

// The daemon runs as the shell that dbus-run-session started (exec), its only child but the bus.
pid_t helperPid(pid_t sessionPid)
{
    for (const pid_t pid : ProcScan::children(sessionPid)) {
        if (ProcScan::link(pid, "exe").ends_with("/ostrel-helper"))
            return pid;
    }
    return 0;
}

TEST(GVariantTextTest, QuotesAndParsesTheSchemaTypes)
{
    EXPECT_EQ(GVariantText::quote("it's"), "'it\\'s'");
    EXPECT_EQ(GVariantText::parseString("'it\\'s'"), "it's");
    EXPECT_EQ(GVariantText::parseString("\"it's\""), "it's");
    EXPECT_EQ(GVariantText::parseString("'unterminated"), std::nullopt);
    EXPECT_EQ(GVariantText::stringArray({}), "@as []");
    EXPECT_EQ(GVariantText::parseStringArray("@as []"), QStringList());
    EXPECT_EQ(GVariantText::parseStringArray(GVariantText::stringArray({"a", "b,c", "d'e"})), QStringList({"a", "b,c", "d'e"}));
    EXPECT_EQ(GVariantText::parseStringArray("['localhost', '127.0.0.0/8', '::1']"), QStringList({"localhost", "127.0.0.0/8", "::1"}));
    EXPECT_EQ(GVariantText::parseInt("8080"), 8080);
    EXPECT_EQ(GVariantText::parseInt("int32 0"), 0);
}

TEST(GSettingsBackendTest, RoundTripUnderAPrivateSessionBus)
{
    const QString session = QStandardPaths::findExecutable("dbus-run-session");
    if (session.isEmpty() || QStandardPaths::findExecutable("gsettings").isEmpty())
        GTEST_SKIP() << WantedSkip::tool("dbus-run-session or gsettings is not installed");
    if (!GSettingsProxyBackend::isAvailable())
        GTEST_SKIP() << WantedSkip::tool("the org.gnome.system.proxy schema is not installed");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString socket = dir.filePath("helper.sock");
    // The user's own settings, set before the daemon starts; the script text is fixed, every
    // path travels as an argument.
    const QString script = QStringLiteral(
        "gsettings set org.gnome.system.proxy mode 'auto' && "
        "gsettings set org.gnome.system.proxy autoconfig-url 'http://wpad.example/proxy.pac' && "
        "gsettings set org.gnome.system.proxy ignore-hosts \"['localhost', 'intranet.example']\" && "
        "exec \"$@\"");
    DaemonProcess daemon;
    ASSERT_TRUE(daemon.start(session, {"--", "sh", "-c", script, "sh", kHelper, "--socket", socket, "--backend", "gsettings",
                                       "--state-dir", dir.filePath("state")},
                             socket, 15000))
        << daemon.output().constData();

    const QJsonObject before = call(socket, HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(before.value("backend").toString(), "gsettings");
    EXPECT_EQ(before.value("mode").toString(), "auto");
    EXPECT_EQ(before.value("autoconfig_url").toString(), "http://wpad.example/proxy.pac");

    const QJsonArray exceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};
    const QJsonObject enabled = call(socket, HelperProtocol::kEnableProxy, {{"port", 9999}, {"socksPort", 9999}, {"filterInterface", true},
                                                             {"ignoreList", exceptions}});
    EXPECT_FALSE(enabled.contains("error")) << QJsonDocument(enabled).toJson().constData();
    const QJsonObject during = call(socket, HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(during.value("mode").toString(), "manual");
    EXPECT_EQ(during.value("socks_host").toString(), "127.0.0.1");
    EXPECT_EQ(during.value("socks_port").toInt(), 9999);
    EXPECT_EQ(during.value("ignore_hosts").toArray(), exceptions);
    // What the enable left is on record, so the disable below gives the user's settings back only
    // because gsettings reads them as it did right after the enable.
    QFile saved(dir.filePath("state/saved-proxy-settings.json"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QJsonDocument::fromJson(saved.readAll()).object().value("applied").isObject());

    EXPECT_FALSE(call(socket, HelperProtocol::kDisableProxy, {{"filterInterface", true}}).contains("error"));
    const QJsonObject after = call(socket, HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(after.value("mode").toString(), "auto");
    EXPECT_EQ(after.value("autoconfig_url").toString(), "http://wpad.example/proxy.pac");
    EXPECT_EQ(after.value("ignore_hosts").toArray(), QJsonArray({"localhost", "intranet.example"}));
    EXPECT_EQ(after.value("socks_port").toInt(), 0);

    // Stop the daemon itself: the session wrapper does not pass signals on.
    const pid_t pid = helperPid(pid_t(daemon.pid()));
    if (pid > 0)
        ::kill(pid, SIGTERM);
    daemon.process()->waitForFinished(5000);
}

} // namespace
