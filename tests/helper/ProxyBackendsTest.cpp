// The backends and the service on their own: KDE's file edited without disturbing the rest,
// snapshots refused when tampered with, and a failed change rolled back.
#include "common/HelperProtocol.h"
#include "helper/FileProxyBackend.h"
#include "helper/HelperValidation.h"
#include "helper/KdeProxyBackend.h"
#include "helper/ProxyConfigService.h"
#include "helper/SavedProxyState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

namespace {

const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

TEST(HelperValidationTest, AcceptsTheClientsExceptionsAndRefusesAnythingElse)
{
    for (const QString &entry : kExceptions)
        EXPECT_TRUE(HelperValidation::isExceptionEntry(entry)) << entry.toStdString();
    for (const char *entry : {"*.example.com", "intranet", "fd00::1", "172.16.0.0/12"})
        EXPECT_TRUE(HelperValidation::isExceptionEntry(entry)) << entry;
    for (const char *entry : {"", "a b", "a'b", "a\"b", "a\nb", "a;b", "$(reboot)", "10.0.0.0/", "10.0.0.0/99",
                              "::1/129", "-leading.example", "/8", "a\\b", "host.example\n", "*.host.example\n",
                              "10.0.0.0/8\n"})
        EXPECT_FALSE(HelperValidation::isExceptionEntry(entry)) << entry;
    // A final line break slips past a pattern anchored with "$".
    EXPECT_FALSE(HelperValidation::isHost("host.example\n"));
    EXPECT_FALSE(HelperValidation::isAddress("127.0.0.1\n"));
    EXPECT_FALSE(HelperValidation::isPacUrl("http://127.0.0.1:1089/proxy.pac\n"));
    for (const char16_t c : {u'\n', u'\r', u'\t', u'\0', u'\x7f', u'\x85', u'\u2028'})
        EXPECT_TRUE(HelperValidation::hasControlCharacter(QStringLiteral("host") + QChar(c) + QStringLiteral("x")));
    EXPECT_FALSE(HelperValidation::hasControlCharacter(QStringLiteral("höst.example")));
    EXPECT_TRUE(HelperValidation::hasControlCharacter(QJsonValue(QJsonObject{{"info", QJsonObject{{"a\nb", 1}}}})));
    EXPECT_TRUE(HelperValidation::hasControlCharacter(QJsonValue(QJsonArray{"ok", QJsonArray{"x\r"}})));
    EXPECT_TRUE(HelperValidation::isPacUrl("http://127.0.0.1:1089/proxy.pac"));
    EXPECT_TRUE(HelperValidation::isPacUrl("file:///home/u/proxy.pac"));
    EXPECT_FALSE(HelperValidation::isPacUrl("ftp://x/proxy.pac"));
    EXPECT_FALSE(HelperValidation::isPacUrl("http://x/a'b"));
    EXPECT_TRUE(HelperValidation::isAddress("223.5.5.5"));
    EXPECT_TRUE(HelperValidation::isAddress("2001:db8::1"));
    EXPECT_FALSE(HelperValidation::isAddress("8.8.8"));
    EXPECT_FALSE(HelperValidation::isAddress("dns.example"));
}

TEST(KdeProxyBackendTest, EditsOnlyItsKeysAndRestoresTheFileExactly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kioslaverc");
    const QByteArray original =
        "# written by the user\n"
        "[Cookies]\n"
        "CookieGlobalAdvice=Accept\n"
        "\n"
        "[Proxy Settings]\n"
        "AuthMode=0\n"
        "ProxyType=2\n"
        "Proxy Config Script=http://wpad.example/proxy.pac\n"
        "httpProxy=http://proxy.example 3128\n"
        "\n"
        "[$Version]\n"
        "update_info=kioslave.upd:change-proxy-strings\n";
    writeAll(path, original);

    KdeProxyBackend backend(path);
    QString error;
    const std::optional<QJsonObject> snapshot = backend.snapshot(&error);
    ASSERT_TRUE(snapshot) << error.toStdString();
    EXPECT_TRUE(backend.isValidSnapshot(*snapshot));

    const std::optional<ProxySettings> before = backend.read(&error);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->mode, ProxySettings::Mode::Auto);
    EXPECT_EQ(before->httpHost, "proxy.example");
    EXPECT_EQ(before->httpPort, 3128);

    ASSERT_TRUE(backend.apply(ProxySettings::forLocalListener(9999, 9999, {}, kExceptions)).isEmpty());
    const QByteArray applied = readAll(path);
    EXPECT_TRUE(applied.contains("ProxyType=1\n"));
    EXPECT_TRUE(applied.contains("socksProxy=socks://127.0.0.1 9999\n"));
    EXPECT_TRUE(applied.contains("NoProxyFor=127.0.0.1,localhost,192.168.0.0/16,10.0.0.0/8,FE80::/64,::1,FD00::/8\n"));
    EXPECT_TRUE(applied.contains("[Cookies]\nCookieGlobalAdvice=Accept\n"));
    EXPECT_TRUE(applied.contains("AuthMode=0\n"));
    const std::optional<ProxySettings> during = backend.read(&error);
    ASSERT_TRUE(during);
    EXPECT_EQ(during->socksHost, "127.0.0.1");
    EXPECT_EQ(during->socksPort, 9999);
    EXPECT_EQ(during->ignoreHosts, kExceptions);
    // Keys added to the group stay inside it, before the next group.
    EXPECT_LT(applied.indexOf("socksProxy="), applied.indexOf("[$Version]"));

    ASSERT_TRUE(backend.restoreSnapshot(*snapshot).isEmpty());
    EXPECT_EQ(readAll(path), original);
}

// The service judges a change by the store's own lines: KDE's, as read back after the enable,
// read the same at the disable while nobody edited them.
TEST(KdeProxyBackendTest, TheDisableRestoresTheFileUnlessTheUserEditedItSince)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kioslaverc");
    const QByteArray original = "[Proxy Settings]\nProxyType=2\nProxy Config Script=http://wpad.example/proxy.pac\n";
    KdeProxyBackend backend(path);
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");
    for (const bool edited : {false, true}) {
        writeAll(path, original);
        ASSERT_TRUE(service.enableProxy(9999, 9999, {}, {}, true, kExceptions).isEmpty());
        QByteArray applied = readAll(path);
        if (edited) {
            // What the desktop's settings write when the user turns the proxy off.
            applied.replace("ProxyType=1\n", "ProxyType=0\n");
            writeAll(path, applied);
        }
        EXPECT_TRUE(service.disableProxy(true).isEmpty());
        EXPECT_EQ(readAll(path), edited ? applied : original) << "edited: " << edited;
        EXPECT_FALSE(state.exists());
    }
}

TEST(KdeProxyBackendTest, RefusesTamperedSnapshots)
{
    QTemporaryDir dir;
    KdeProxyBackend backend(dir.filePath("kioslaverc"));
    EXPECT_FALSE(backend.isValidSnapshot({{"ProxyType", "1\n[Other]\nEvil=1"}}));
    EXPECT_FALSE(backend.isValidSnapshot({{"SomeOtherKey", "1"}}));
    EXPECT_FALSE(backend.isValidSnapshot({}));
    EXPECT_FALSE(backend.restoreSnapshot({{"ProxyType", 1}}).isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath("kioslaverc")));
}

// Fails every apply after writing half of it, as a backend that dies midway would.
class HalfFailingBackend : public FileProxyBackend
{
public:
    using FileProxyBackend::FileProxyBackend;
    QString apply(const ProxySettings &settings) override
    {
        FileProxyBackend::apply(settings);
        return QStringLiteral("dconf went away");
    }
};

TEST(ProxyConfigServiceTest, FailedChangePutsTheUsersSettingsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    ProxySettings own;
    own.mode = ProxySettings::Mode::Auto;
    own.autoconfigUrl = "http://wpad.example/proxy.pac";
    FileProxyBackend plain(path);
    ASSERT_TRUE(plain.apply(own).isEmpty());

    HalfFailingBackend backend(path);
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");
    EXPECT_EQ(service.enableProxy(9999, 9999, {}, {}, true, kExceptions), "dconf went away");
    QString error;
    EXPECT_EQ(plain.read(&error), own);
    EXPECT_FALSE(state.exists());
}

// Reads the store as the file backend does, but not the next time after an apply, as a store
// that stops answering right after a change would.
class BlindAfterApplyBackend : public FileProxyBackend
{
public:
    using FileProxyBackend::FileProxyBackend;
    std::optional<QJsonObject> snapshot(QString *error) override
    {
        if (std::exchange(m_blind, false)) {
            *error = QStringLiteral("dconf did not answer");
            return std::nullopt;
        }
        return FileProxyBackend::snapshot(error);
    }
    QString apply(const ProxySettings &settings) override
    {
        m_blind = blindAfterApply;
        return FileProxyBackend::apply(settings);
    }
    bool blindAfterApply = false;

private:
    bool m_blind = false;
};

// An enable whose result cannot be read back still succeeds, and its restore writes the saved
// copy back as a helper that records nothing did, not judged against an earlier enable's record.
TEST(ProxyConfigServiceTest, AnEnableThatCannotBeReadBackRestoresAsBefore)
{
    QTemporaryDir dir;
    BlindAfterApplyBackend backend(dir.filePath("settings.json"));
    ProxySettings own;
    own.mode = ProxySettings::Mode::Auto;
    own.autoconfigUrl = "http://wpad.example/proxy.pac";
    ASSERT_TRUE(backend.apply(own).isEmpty());
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");

    ASSERT_TRUE(service.enableProxy(9999, 9999, {}, {}, true, kExceptions).isEmpty());
    backend.blindAfterApply = true;
    EXPECT_TRUE(service.enableProxy(9998, 9998, {}, {}, true, kExceptions).isEmpty());
    backend.blindAfterApply = false;
    QString error;
    ASSERT_EQ(backend.read(&error)->socksPort, 9998);

    EXPECT_TRUE(service.disableProxy(true).isEmpty());
    EXPECT_EQ(backend.read(&error), own);
    EXPECT_FALSE(state.exists());
}

TEST(ProxyConfigServiceTest, RestoreWritesTheGivenSettingsAndForgetsTheSavedOnes)
{
    QTemporaryDir dir;
    FileProxyBackend backend(dir.filePath("settings.json"));
    SavedProxyState state(dir.filePath("state"));
    ProxyConfigService service(backend, state, "1.0");
    ASSERT_TRUE(service.enableProxy(9999, 9999, {}, "223.5.5.5", true, kExceptions).isEmpty());
    QString error;
    EXPECT_EQ(service.currentProxySetting(&error)->value("dns_server").toString(), "223.5.5.5");

    const QJsonObject info = {{"mode", "manual"}, {"socks_host", "10.1.2.3"}, {"socks_port", 1080}};
    const ProxyConfigService::Reply reply = service.call(HelperProtocol::kRestoreProxy, {{"currentPort", 9999}, {"socksPort", 9999}, {"info", info}});
    EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
    EXPECT_FALSE(state.exists());
    const std::optional<ProxySettings> now = backend.read(&error);
    ASSERT_TRUE(now);
    EXPECT_EQ(now->socksHost, "10.1.2.3");
    EXPECT_TRUE(service.disableProxy(true).isEmpty());
    EXPECT_EQ(backend.read(&error)->socksHost, "10.1.2.3") << "nothing of ours is left to undo";
}

} // namespace
