// One round trip through GNOME's proxy settings: the real daemon with the gsettings backend on a
// private session bus, with the user's own settings in place before and after.
#include "common/HelperProtocol.h"
#include "helper/GSettingsProxyBackend.h"
#include "helper/GVariantText.h"
#include "support/DaemonProcess.h"
#include "support/ProcScan.h"
#include "support/WantedSkip.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>

namespace {

const QString kHelper = QStringLiteral(OSTREL_BINARY_DIR "/bin/ostrel-helper");

// The daemon runs as the shell that dbus-run-session started (exec), its only child but the bus.
pid_t helperPid(pid_t sessionPid)
{
    for (const pid_t pid : ProcScan::children(sessionPid)) {
        if (ProcScan::link(pid, "exe").ends_with("/ostrel-helper"))
            return pid;
    }
    return 0;
}

const QString kProxy = QStringLiteral("org.gnome.system.proxy");

std::string text(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

// The helper with the gsettings backend on a private session bus of its own, its dconf store in the
// case's folder. The user's changes go through that bus too, as a desktop's proxy page makes them;
// a later session on the same folder is the next login.
class GnomeSession
{
public:
    explicit GnomeSession(const QTemporaryDir &dir)
        : m_dir(dir)
    {
        QDir().mkpath(dir.filePath("config"));
        QDir().mkpath(dir.filePath("runtime"));
        QFile::setPermissions(dir.filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    ~GnomeSession() { stop(); }

    // `firstInPath`: a folder searched before the system's for the helper's programs.
    bool start(const QString &firstInPath = {})
    {
        // The script texts are fixed; every path travels as an argument. The store's folders are
        // the session's own, set before the bus starts: the dconf service the bus starts writes
        // where the bus's environment says, and every reader must look there.
        const QString session = QStringLiteral("export XDG_CONFIG_HOME=\"$1\" XDG_RUNTIME_DIR=\"$2\" && shift 2 && exec \"$@\"");
        const QString helper = QStringLiteral(
            "printf '%s' \"$DBUS_SESSION_BUS_ADDRESS\" >\"$1\" && if [ -n \"$2\" ]; then PATH=\"$2:$PATH\"; fi && shift 2 && exec \"$@\"");
        QFile::remove(busFile());
        if (!writeBusConfig())
            return false;
        m_daemon = std::make_unique<DaemonProcess>();
        return m_daemon->start(QStringLiteral("/bin/sh"),
                               {"-c", session, "sh", m_dir.filePath("config"), m_dir.filePath("runtime"),
                                QStandardPaths::findExecutable("dbus-run-session"), "--config-file=" + busConfig(), "--", "sh", "-c", helper, "sh", busFile(), firstInPath,
                                kHelper, "--socket", socket(), "--backend", "gsettings", "--state-dir", m_dir.filePath("state")},
                               socket(), 15000);
    }

    // SIGTERM to the helper itself (the session wrapper does not pass signals on); the session
    // ends with it.
    void stop()
    {
        if (!m_daemon || m_daemon->process()->state() == QProcess::NotRunning)
            return;
        const pid_t pid = helperPid(pid_t(m_daemon->pid()));
        if (pid > 0)
            ::kill(pid, SIGTERM);
        m_daemon->process()->waitForFinished(10000);
        m_output += m_daemon->output();
    }

    QJsonObject call(const QString &method, const QJsonObject &params = {}) const
    {
        const QJsonObject request = {{"id", 1}, {"method", method}, {"params", params}};
        return QJsonDocument::fromJson(exchangeLine(socket(), QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n')).object();
    }

    // `gsettings ARGS` on the running session's bus; its output, nullopt when it failed.
    std::optional<QString> gsettings(const QStringList &arguments) const
    {
        QFile bus(busFile());
        if (!bus.open(QIODevice::ReadOnly))
            return std::nullopt;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromUtf8(bus.readAll()));
        environment.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        environment.insert("XDG_RUNTIME_DIR", m_dir.filePath("runtime"));
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start("gsettings", arguments);
        if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
            return std::nullopt;
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    bool set(const QString &schema, const QString &key, const QString &value) const
    {
        return gsettings({"set", schema, key, value}).has_value();
    }

    QString get(const QString &schema, const QString &key) const
    {
        return gsettings({"get", schema, key}).value_or("<no answer>");
    }

    // Kills the session bus, as a logout may end it before the helper: dconf's service goes with
    // it, and gsettings can no longer write (it still reads the store's file).
    bool killBus()
    {
        if (!m_daemon)
            return false;
        for (const pid_t pid : ProcScan::children(pid_t(m_daemon->pid()))) {
            if (ProcScan::link(pid, "exe").ends_with("/dbus-daemon"))
                return ::kill(pid, SIGKILL) == 0;
        }
        return false;
    }

    // The helper's state file, as text.
    QByteArray stateFile() const
    {
        QFile file(m_dir.filePath("state/saved-proxy-settings.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QByteArray output()
    {
        if (m_daemon)
            m_output += m_daemon->output();
        return m_output;
    }

    QString socket() const { return m_dir.filePath("helper.sock"); }

private:
    QString busFile() const { return m_dir.filePath("bus-address"); }
    QString busConfig() const { return m_dir.filePath("bus.conf"); }

    // The session bus's own configuration but for where it listens: the system's says a folder,
    // where its socket file would outlive the bus, and a path under a deep TMPDIR is too long for
    // a socket. A name of its own in the abstract namespace leaves nothing behind.
    bool writeBusConfig() const
    {
        QFile file(busConfig());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        const QByteArray name = "/ostrel-test/" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig>\n  <type>session</type>\n  <keep_umask/>\n  <listen>unix:abstract=" + name + "</listen>\n"
                   "  <auth>EXTERNAL</auth>\n  <standard_session_servicedirs/>\n"
                   "  <policy context=\"default\">\n    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                   "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n");
        return file.error() == QFileDevice::NoError;
    }

    const QTemporaryDir &m_dir;
    std::unique_ptr<DaemonProcess> m_daemon;
    QByteArray m_output;
};

// Why the gsettings cases cannot run here; empty where they can.
std::string gsettingsUnavailable()
{
    if (QStandardPaths::findExecutable("dbus-run-session").isEmpty() || QStandardPaths::findExecutable("gsettings").isEmpty())
        return "dbus-run-session or gsettings is not installed";
    if (!GSettingsProxyBackend::isAvailable())
        return "the org.gnome.system.proxy schema is not installed";
    return {};
}

const QJsonArray kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

QJsonObject enableParams()
{
    return {{"port", 9999}, {"socksPort", 9999}, {"filterInterface", true}, {"ignoreList", kExceptions}};
}

// The user's own setting before the connect: a company's HTTP proxy, two exceptions.
bool setCorporateProxy(const GnomeSession &session)
{
    return session.set(kProxy + ".http", "host", "'corp-proxy.example'") && session.set(kProxy + ".http", "port", "3128")
        && session.set(kProxy + ".https", "host", "'corp-proxy.example'") && session.set(kProxy + ".https", "port", "3128")
        && session.set(kProxy, "ignore-hosts", "['localhost', 'intranet.example']") && session.set(kProxy, "mode", "'manual'");
}

// A folder holding a `gsettings` of the case's own, the shell `body` with %1 for `flag` and %2 for
// the real gsettings, which the helper finds first on its PATH.
QString gsettingsWrapper(const QTemporaryDir &dir, const QString &flag, const char *body)
{
    const QString wrappers = dir.filePath("wrappers");
    QDir().mkpath(wrappers);
    QFile wrapper(wrappers + "/gsettings");
    if (!wrapper.open(QIODevice::WriteOnly))
        return {};
    wrapper.write(QString::fromUtf8(body).arg(flag, QStandardPaths::findExecutable("gsettings")).toUtf8());
    wrapper.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return wrappers;
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
    // Control characters go escaped, as GLib's parser takes them, and GLib's own escapes read back.
    EXPECT_EQ(GVariantText::quote("tab\there\u0085"), "'tab\\u0009here\\u0085'");
    EXPECT_EQ(GVariantText::parseString("'a\\tb\\u0001c\\U0001F600'"), QString("a\tb\u0001c") + QString::fromUcs4(U"\U0001F600"));
}

TEST(GSettingsBackendTest, RoundTripUnderAPrivateSessionBus)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    GnomeSession session(dir);
    ASSERT_TRUE(session.start()) << session.output().constData();
    ASSERT_TRUE(session.set(kProxy, "mode", "'auto'"));
    ASSERT_TRUE(session.set(kProxy, "autoconfig-url", "'http://wpad.example/proxy.pac'"));
    ASSERT_TRUE(session.set(kProxy, "ignore-hosts", "['localhost', 'intranet.example']"));
    // A password of the user's HTTP proxy, in the same schema the helper reads: never in its files.
    const QString password = QStringLiteral("pw-4711-of-the-user");
    ASSERT_TRUE(session.set(kProxy + ".http", "authentication-password", "'" + password + "'"));

    const QJsonObject before = session.call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(before.value("backend").toString(), "gsettings");
    EXPECT_EQ(before.value("mode").toString(), "auto");
    EXPECT_EQ(before.value("autoconfig_url").toString(), "http://wpad.example/proxy.pac");

    const QJsonObject enabled = session.call(HelperProtocol::kEnableProxy, enableParams());
    EXPECT_FALSE(enabled.contains("error")) << text(enabled);
    const QJsonObject during = session.call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(during.value("mode").toString(), "manual");
    EXPECT_EQ(during.value("socks_host").toString(), "127.0.0.1");
    EXPECT_EQ(during.value("socks_port").toInt(), 9999);
    EXPECT_EQ(during.value("ignore_hosts").toArray(), kExceptions);
    QDirIterator kept(dir.filePath("state"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int keptFiles = 0;
    while (kept.hasNext()) {
        QFile file(kept.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_FALSE(file.readAll().contains(password.toUtf8())) << file.fileName().toStdString();
        ++keptFiles;
    }
    EXPECT_GT(keptFiles, 0) << "the enable kept no copy of the user's setting";

    const QJsonObject disabled = session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
    EXPECT_FALSE(disabled.contains("error")) << text(disabled);
    EXPECT_EQ(disabled.value("result").toObject().value("outcome").toString(), "whole") << text(disabled);
    const QJsonObject after = session.call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(after.value("mode").toString(), "auto");
    EXPECT_EQ(after.value("autoconfig_url").toString(), "http://wpad.example/proxy.pac");
    EXPECT_EQ(after.value("ignore_hosts").toArray(), QJsonArray({"localhost", "intranet.example"}));
    EXPECT_EQ(after.value("socks_port").toInt(), 0);
    EXPECT_EQ(session.get(kProxy + ".http", "authentication-password"), "'" + password + "'");
    EXPECT_FALSE(session.output().contains(password.toUtf8()));
}

// A change the user makes on GNOME's proxy page while connected stays; every key they left as the
// enable set it gets their earlier value back, so nothing names the dead listener after.
TEST(GSettingsBackendTest, AChangeWhileConnectedStaysAndTheRestComesBack)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    struct Row
    {
        const char *name;
        QString key;
        QString value;
        QString mode;   // after the disable
        QString ignore; // after the disable
    };
    // GNOME's proxy page writes back the whole list it shows. The user's change is made to their
    // own earlier list: their entries come back with it, the client's go, unless they removed one.
    const QString added = "['127.0.0.1', 'localhost', '192.168.0.0/16', '10.0.0.0/8', 'FE80::/64', '::1', 'FD00::/8', 'printer.lan']";
    const QString removed = "['127.0.0.1', '192.168.0.0/16', '10.0.0.0/8', 'FE80::/64', '::1', 'FD00::/8']";
    const Row rows[] = {
        {"an exception added", "ignore-hosts", added, "'manual'", "['localhost', 'intranet.example', 'printer.lan']"},
        {"localhost removed", "ignore-hosts", removed, "'manual'", "['intranet.example']"},
        {"turned off", "mode", "'none'", "'none'", "['localhost', 'intranet.example']"},
    };
    for (const Row &row : rows) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        GnomeSession session(dir);
        ASSERT_TRUE(session.start()) << session.output().constData();
        ASSERT_TRUE(setCorporateProxy(session));
        ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
        ASSERT_EQ(session.get(kProxy + ".socks", "host"), "'127.0.0.1'");
        ASSERT_TRUE(session.set(kProxy, row.key, row.value));

        const QJsonObject disabled = session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
        EXPECT_FALSE(disabled.contains("error")) << text(disabled);
        EXPECT_EQ(disabled.value("result").toObject().value("usersOwnKept").toArray(), QJsonArray({kProxy + " " + row.key})) << row.name;
        EXPECT_EQ(session.get(kProxy, "mode"), row.mode) << row.name;
        EXPECT_EQ(session.get(kProxy, "ignore-hosts"), row.ignore) << row.name;
        EXPECT_EQ(session.get(kProxy + ".http", "host"), "'corp-proxy.example'") << row.name;
        EXPECT_EQ(session.get(kProxy + ".http", "port"), "3128") << row.name;
        EXPECT_EQ(session.get(kProxy + ".socks", "host"), "''") << row.name;
        EXPECT_EQ(session.get(kProxy + ".socks", "port"), "0") << row.name;
    }
}

// Exceptions GLib prints in its own ways (a tab escaped, an apostrophe in double quotes) are
// written so the store takes them and read back as written: the user's addition is merged in and
// the restore lands.
TEST(GSettingsBackendTest, ExceptionsWithATabOrAnApostropheComeBackWithTheUsersAddition)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    GnomeSession session(dir);
    ASSERT_TRUE(session.start()) << session.output().constData();
    ASSERT_TRUE(setCorporateProxy(session));
    ASSERT_TRUE(session.set(kProxy, "ignore-hosts", "['localhost', 'tab\\there', \"o'neil.example\"]"));
    ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    QJsonArray connected = kExceptions;
    connected.append("printer.lan");
    QStringList entries;
    for (const QJsonValue &entry : connected)
        entries.append(entry.toString());
    ASSERT_TRUE(session.set(kProxy, "ignore-hosts", GVariantText::stringArray(entries)));

    const QJsonObject disabled = session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
    EXPECT_FALSE(disabled.contains("error")) << text(disabled);
    EXPECT_EQ(session.get(kProxy, "ignore-hosts"), "['localhost', 'tab\\there', \"o'neil.example\", 'printer.lan']");
    EXPECT_EQ(session.get(kProxy + ".http", "host"), "'corp-proxy.example'");
    EXPECT_FALSE(QFile::exists(dir.filePath("state/saved-proxy-settings.json")));
}

// From the schema's defaults ("no proxy"): an exception added leaves the proxy off, with the
// schema's own exceptions and the user's; their own HTTP proxy set while connected is in use after,
// though the SOCKS proxy, which the enable set, goes back to none.
TEST(GSettingsBackendTest, FromNoProxyTheUsersChangeWhileConnectedStays)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    struct Edit
    {
        QString schema;
        QString key;
        QString value;
    };
    struct Row
    {
        const char *name;
        QList<Edit> edits;
        QStringList after; // "<schema> <key> <value>" after the disable
    };
    const QString added = "['127.0.0.1', 'localhost', '192.168.0.0/16', '10.0.0.0/8', 'FE80::/64', '::1', 'FD00::/8', 'printer.lan']";
    const Row rows[] = {
        {"an exception added", {{kProxy, "ignore-hosts", added}},
         {kProxy + " mode 'none'", kProxy + " ignore-hosts ['localhost', '127.0.0.0/8', '::1', 'printer.lan']",
          kProxy + ".socks host ''", kProxy + ".socks port 0"}},
        {"their own HTTP proxy", {{kProxy + ".http", "host", "'their-proxy.example'"}, {kProxy + ".http", "port", "3128"}},
         {kProxy + " mode 'manual'", kProxy + ".http host 'their-proxy.example'", kProxy + ".http port 3128",
          kProxy + " ignore-hosts ['localhost', '127.0.0.0/8', '::1']", kProxy + ".socks host ''", kProxy + ".socks port 0"}},
    };
    for (const Row &row : rows) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        GnomeSession session(dir);
        ASSERT_TRUE(session.start()) << session.output().constData();
        ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
        ASSERT_EQ(session.get(kProxy, "mode"), "'manual'");
        for (const Edit &edit : row.edits)
            ASSERT_TRUE(session.set(edit.schema, edit.key, edit.value));

        const QJsonObject disabled = session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
        EXPECT_FALSE(disabled.contains("error")) << text(disabled);
        for (const QString &expected : row.after) {
            const QStringList words = expected.split(' ');
            EXPECT_EQ(session.get(words.at(0), words.at(1)), words.mid(2).join(' ')) << row.name << ": " << expected.toStdString();
        }
    }
}

// A listener of the client's named only in the HTTPS fields (a client killed while connected, by
// an older helper or by hand) is not the user's proxy: the enable keeps no copy of it, and the
// restore gives back no proxy.
TEST(GSettingsBackendTest, AListenerInTheHttpsFieldsIsNotKeptAsTheUsersProxy)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    GnomeSession session(dir);
    ASSERT_TRUE(session.start()) << session.output().constData();
    ASSERT_TRUE(session.set(kProxy + ".https", "host", "'[::1]'") && session.set(kProxy + ".https", "port", "10808")
                && session.set(kProxy, "mode", "'manual'"));
    QJsonObject params = enableParams();
    params.insert("port", 10808);
    params.insert("socksPort", 10808);
    ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, params).contains("error"));
    ASSERT_FALSE(session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}}).contains("error"));
    EXPECT_EQ(session.get(kProxy, "mode"), "'none'");
    EXPECT_EQ(session.get(kProxy + ".https", "host"), "''");
    EXPECT_EQ(session.get(kProxy + ".https", "port"), "0");
    session.stop();
    EXPECT_TRUE(session.output().contains("already names the client's listener")) << session.output().constData();
}

// At logout the session bus may go while the helper's restore is half done. The next start
// finishes it as decided: the half already written is not the user's change.
TEST(GSettingsBackendTest, ARestoreCutShortAtLogoutIsFinishedAtTheNextStart)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // gsettings as the helper finds it: while the flag is there, every change after the first fails.
    const QString flag = dir.filePath("bus-going");
    const QString wrappers = gsettingsWrapper(dir, flag,
                                              "#!/bin/sh\n"
                                              "if [ \"$1\" = set ] && [ -e '%1' ]; then\n"
                                              "  if [ -e '%1.used' ]; then echo 'the session bus went away' >&2; exit 1; fi\n"
                                              "  : >'%1.used'\n"
                                              "fi\n"
                                              "exec '%2' \"$@\"\n");
    ASSERT_FALSE(wrappers.isEmpty());

    GnomeSession session(dir);
    ASSERT_TRUE(session.start(wrappers)) << session.output().constData();
    ASSERT_TRUE(session.set(kProxy, "mode", "'auto'"));
    ASSERT_TRUE(session.set(kProxy, "autoconfig-url", "'http://wpad.example/proxy.pac'"));
    ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    {
        QFile going(flag);
        ASSERT_TRUE(going.open(QIODevice::WriteOnly));
    }
    session.stop();
    ASSERT_TRUE(session.output().contains("could not restore the proxy settings")) << session.output().constData();

    // The next login: the helper starts on a new bus, with gsettings as it is.
    ASSERT_TRUE(session.start()) << session.output().constData();
    const QJsonObject after = session.call(HelperProtocol::kGetCurrentProxySetting).value("result").toObject();
    EXPECT_EQ(after.value("mode").toString(), "auto") << text(after);
    EXPECT_EQ(after.value("autoconfig_url").toString(), "http://wpad.example/proxy.pac");
    EXPECT_EQ(after.value("socks_host").toString(), "");
    EXPECT_FALSE(after.value("changed_by_helper").toBool());
    session.stop();
    EXPECT_TRUE(session.output().contains("finishing a restore of the user's proxy settings that was cut short"))
        << session.output().constData();
    EXPECT_FALSE(session.output().contains("the user's change stays")) << session.output().constData();
}

// At logout the session bus may go before the helper's restore: gsettings then prints that dconf
// could not take the change and exits 0. The restore is not reported done, its decision waits on
// disk, and the next start (a new bus on the same store) gives the user's setting back.
TEST(GSettingsBackendTest, ARestoreOnAGoneSessionBusIsNotDoneAndTheNextStartFinishesIt)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    GnomeSession session(dir);
    ASSERT_TRUE(session.start()) << session.output().constData();
    ASSERT_TRUE(setCorporateProxy(session));
    ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    ASSERT_TRUE(session.killBus());

    // The client's disconnect, then the session's end: neither is reported done.
    const QJsonObject disabled = session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
    EXPECT_TRUE(disabled.value("error").toString().contains("did not land")) << text(disabled);
    EXPECT_TRUE(disabled.value("restoreWaits").toBool()) << text(disabled);
    session.stop();
    EXPECT_TRUE(session.output().contains("could not restore the proxy settings")) << session.output().constData();
    EXPECT_FALSE(session.output().contains("the user's saved proxy settings are restored")) << session.output().constData();
    EXPECT_TRUE(session.stateFile().contains("\"restoring\"")) << session.stateFile().constData();
    EXPECT_EQ(session.get(kProxy + ".socks", "host"), "'127.0.0.1'") << "the store kept the client's setting";

    ASSERT_TRUE(session.start()) << session.output().constData();
    EXPECT_EQ(session.get(kProxy, "mode"), "'manual'");
    EXPECT_EQ(session.get(kProxy + ".http", "host"), "'corp-proxy.example'");
    EXPECT_EQ(session.get(kProxy + ".socks", "host"), "''");
    EXPECT_EQ(session.get(kProxy + ".socks", "port"), "0");
    EXPECT_EQ(session.get(kProxy, "ignore-hosts"), "['localhost', 'intranet.example']");
    session.stop();
    EXPECT_TRUE(session.stateFile().isEmpty());
    EXPECT_TRUE(session.output().contains("the user's saved proxy settings are restored")) << session.output().constData();
}

// The helper killed after its restore's first write (a logout's end): its decision was recorded
// before that write, so the next start finishes it as decided, not taking the half written for a
// change of the user's.
TEST(GSettingsBackendTest, AHelperKilledAfterItsFirstWriteIsFinishedAsDecided)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // gsettings as the helper finds it: while the flag is there, a change ends its caller.
    const QString flag = dir.filePath("killing");
    const QString wrappers = gsettingsWrapper(dir, flag,
                                              "#!/bin/sh\n"
                                              "'%2' \"$@\"; status=$?\n"
                                              "if [ \"$1\" = set ] && [ -e '%1' ]; then kill -KILL \"$PPID\"; fi\n"
                                              "exit $status\n");
    ASSERT_FALSE(wrappers.isEmpty());

    GnomeSession session(dir);
    ASSERT_TRUE(session.start(wrappers)) << session.output().constData();
    ASSERT_TRUE(session.set(kProxy, "mode", "'auto'"));
    ASSERT_TRUE(session.set(kProxy, "autoconfig-url", "'http://wpad.example/proxy.pac'"));
    ASSERT_FALSE(session.call(HelperProtocol::kEnableProxy, enableParams()).contains("error"));
    {
        QFile killing(flag);
        ASSERT_TRUE(killing.open(QIODevice::WriteOnly));
    }
    session.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
    session.stop();
    ASSERT_EQ(session.get(kProxy, "autoconfig-url"), "'http://wpad.example/proxy.pac'") << "the first write landed";
    ASSERT_EQ(session.get(kProxy, "mode"), "'manual'") << "the helper was killed before the rest";

    ASSERT_TRUE(session.start()) << session.output().constData();
    EXPECT_EQ(session.get(kProxy, "mode"), "'auto'");
    EXPECT_EQ(session.get(kProxy + ".socks", "host"), "''");
    EXPECT_EQ(session.get(kProxy, "ignore-hosts"), "['localhost', '127.0.0.0/8', '::1']");
    session.stop();
    EXPECT_TRUE(session.output().contains("finishing a restore of the user's proxy settings that was cut short"))
        << session.output().constData();
    EXPECT_FALSE(session.output().contains("the user's change stays")) << session.output().constData();
}

// An environment variable set for a scope, then as it was.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_before(qgetenv(name))
        , m_wasSet(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_before);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_before;
    bool m_wasSet;
};

// gsettings answers 0 for a change dconf could not take and says so on its error stream alone:
// the write is a failure.
TEST(GSettingsBackendTest, AWriteTheStoreCouldNotTakeIsAFailure)
{
    if (const std::string why = gsettingsUnavailable(); !why.empty())
        GTEST_SKIP() << WantedSkip::tool(why);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    {
        // A session bus that is not there, and a store of the case's own.
        const ScopedVariable bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(dir.filePath("no-bus")));
        const ScopedVariable config("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        GSettingsProxyBackend backend;
        error = backend.restoreSnapshot(backend.noProxySnapshot());
    }
    EXPECT_TRUE(error.contains("failed to commit")) << error.toStdString();
}

} // namespace
