// A restore of the user's proxy settings is done only when the store shows it: one the store
// drops keeps its record and is tried again; a copy that cannot be used never leaves the desktop
// on the client's listener. The service on the file backend, with stores that misbehave as real
// ones do. (The full state folder is StateFolderFullTest's: its program moves into a namespace of
// its own, where this program's unreadable copy would read.)
#include "common/HelperProtocol.h"
#include "helper/FileProxyBackend.h"
#include "helper/ProxyConfigService.h"
#include "helper/RestoreRetry.h"
#include "helper/SavedProxyState.h"
#include "FaultyFileDesktop.h"
#include "support/MessageCapture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList kExceptions = {"127.0.0.1", "localhost", "192.168.0.0/16", "10.0.0.0/8", "FE80::/64", "::1", "FD00::/8"};

using Desktop = FaultyFileDesktop;

// Whether this process reads a file of its own whose mode is 000 (root does, and so does a process
// with root's powers in a user namespace of its own).
bool ownerReadsModeZero()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("closed");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return true;
    file.close();
    ::chmod(QFile::encodeName(path).constData(), 0);
    return file.open(QIODevice::ReadOnly);
}

ProxySettings autoconfig()
{
    ProxySettings settings;
    settings.mode = ProxySettings::Mode::Auto;
    settings.autoconfigUrl = "http://wpad.example/proxy.pac";
    return settings;
}

QString enableTheListener(ProxyConfigService &service)
{
    return service.enableProxy(9999, 9999, {}, {}, true, kExceptions);
}

ProxyConfigService::Reply disable(ProxyConfigService &service)
{
    return service.call(HelperProtocol::kDisableProxy, {{"filterInterface", true}});
}

QString outcomeOf(const ProxyConfigService::Reply &reply)
{
    return reply.result.toObject().value("outcome").toString();
}

std::optional<SavedProxyState::Stage> stageOnDisk(const SavedProxyState &state)
{
    const SavedProxyState::Loaded loaded = state.load({});
    return loaded.entry ? std::optional(loaded.entry->stage) : std::nullopt;
}

// The user's own SOCKS proxy, set while a restore waited or wrote, stays in use with their mode;
// the company's proxy and exceptions come back.
void expectTheirSocksWithTheRestBack(const ProxySettings &after)
{
    EXPECT_EQ(after.socksHost, "10.1.2.3");
    EXPECT_EQ(after.socksPort, 1080);
    EXPECT_EQ(after.mode, ProxySettings::Mode::Manual);
    EXPECT_EQ(after.httpHost, "corp-proxy.example");
    EXPECT_EQ(after.ignoreHosts, companyProxy().ignoreHosts);
}

// A store that drops the restore's writes: the restore is not done, its decision waits on disk,
// and the next start (a new service on the same state) finishes it.
TEST(RestoreLandsTest, ARestoreTheStoreDropsIsNotDoneAndTheNextStartFinishesIt)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(autoconfig()).isEmpty());
    ProxySettings theirs = autoconfig();
    {
        ProxyConfigService service(desktop.backend, desktop.state, "1.0");
        ASSERT_TRUE(enableTheListener(service).isEmpty());
        // While connected the user adds an exception of their own, which the restore keeps.
        ProxySettings connected = desktop.read();
        connected.ignoreHosts.append("printer.lan");
        ASSERT_TRUE(FileProxyBackend(desktop.dir.filePath("settings.json")).apply(connected).isEmpty());
        theirs.ignoreHosts.append("printer.lan");
        desktop.backend.dropWrites = 1000;
        const ProxyConfigService::Reply reply = disable(service);
        EXPECT_TRUE(reply.error.contains("did not land")) << reply.error.toStdString();
        EXPECT_TRUE(reply.restoreWaits);
        EXPECT_EQ(stageOnDisk(desktop.state), SavedProxyState::Stage::Restoring);
        EXPECT_TRUE(desktop.namesTheListener());
    }
    desktop.backend.dropWrites = 0;
    ProxyConfigService next(desktop.backend, desktop.state, "1.0");
    MessageCapture log;
    EXPECT_TRUE(next.restoreLeftover().isEmpty());
    EXPECT_EQ(desktop.read(), theirs);
    EXPECT_FALSE(desktop.state.anyRecord());
    // The try that finishes it says what it kept, as the first would have.
    EXPECT_TRUE(log.contains("the user's change stays (ignore_hosts)")) << log.messages().join('\n').toStdString();
}

// What the user changes while a restore writes stays theirs: each group is read again just before
// its own write. Their own SOCKS proxy, set as the restore writes the exceptions, keeps the mode
// it works with; the rest comes back.
TEST(RestoreLandsTest, AChangeMadeWhileTheRestoreWritesStaysTheUsers)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    desktop.backend.beforeWrite = [&](const QStringList &keys) {
        if (!keys.contains("ignore_hosts"))
            return;
        ProxySettings theirs = desktop.read();
        theirs.socksHost = "10.1.2.3";
        theirs.socksPort = 1080;
        // And a PAC address, where the restore has nothing to write.
        theirs.autoconfigUrl = "http://pac.home.example/proxy.pac";
        ASSERT_TRUE(FileProxyBackend(desktop.dir.filePath("settings.json")).apply(theirs).isEmpty());
    };
    const ProxyConfigService::Reply reply = disable(service);
    desktop.backend.beforeWrite = nullptr;
    EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
    EXPECT_EQ(outcomeOf(reply), "usersOwnKept");
    expectTheirSocksWithTheRestBack(desktop.read());
    EXPECT_EQ(desktop.read().autoconfigUrl, "http://pac.home.example/proxy.pac");
    EXPECT_FALSE(desktop.state.anyRecord());
}

// The read-back looks at every key: a store that takes every write but the exceptions' has not
// given the user's setting back, and the record waits until it has.
TEST(RestoreLandsTest, AStoreThatDropsOnlyTheExceptionsHasNotTakenTheRestore)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    desktop.backend.dropsGroupOf = "ignore_hosts";
    const ProxyConfigService::Reply reply = disable(service);
    EXPECT_TRUE(reply.error.contains("does not show it (ignore_hosts)")) << reply.error.toStdString();
    EXPECT_TRUE(desktop.state.anyRecord());
    desktop.backend.dropsGroupOf.clear();
    EXPECT_TRUE(service.retryRestore().isEmpty());
    EXPECT_EQ(desktop.read(), companyProxy());
    EXPECT_FALSE(desktop.state.anyRecord());
}

// An enable whose listener cannot be put on record changes nothing: a copy lost later could not
// be told from the user's own setting.
TEST(RestoreLandsTest, AnEnableWhoseListenerCannotBeRecordedChangesNothing)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(QDir().mkpath(desktop.state.listenerFilePath()));
    const QString error = enableTheListener(service);
    EXPECT_TRUE(error.startsWith("proxy settings left unchanged")) << error.toStdString();
    EXPECT_EQ(desktop.read(), companyProxy());
    EXPECT_FALSE(desktop.state.exists());
}

// A store that takes the writes only at the fourth try: the helper's own retry lands the restore,
// with no client asking, and says so once rather than at every try.
TEST(RestoreLandsTest, TheRetryLandsARestoreTheStoreTakesLate)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(autoconfig()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    RestoreRetry retry(service, 10, 50);
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    MessageCapture log;
    desktop.backend.dropWrites = 3;
    EXPECT_FALSE(service.disableProxy(true).isEmpty());
    EXPECT_TRUE(service.restorePending());

    EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop.state.anyRecord(); }, 5000));
    EXPECT_EQ(desktop.read(), autoconfig());
    EXPECT_FALSE(service.restorePending());
    EXPECT_FALSE(retry.isActive());
    EXPECT_EQ(log.messages().filter("trying again").size(), 1) << log.messages().join('\n').toStdString();
    EXPECT_TRUE(log.contains("the restore that did not land is done now"));
}

// While the restore waits for the store, the user sets a proxy of their own: the retry leaves it,
// and gives back the rest.
TEST(RestoreLandsTest, TheRetryKeepsWhatTheUserSetWhileItWaited)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    RestoreRetry retry(service, 10, 500);
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    desktop.backend.dropWrites = 1000;
    EXPECT_FALSE(service.disableProxy(true).isEmpty());

    ProxySettings theirs = desktop.read();
    theirs.socksHost = "10.1.2.3";
    theirs.socksPort = 1080;
    FileProxyBackend page(desktop.dir.filePath("settings.json"));
    ASSERT_TRUE(page.apply(theirs).isEmpty());
    desktop.backend.dropWrites = 0;

    EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop.state.anyRecord(); }, 5000));
    expectTheirSocksWithTheRestBack(desktop.read());
}

// An enable that meets a restore cut short takes what it decided as the user's copy, and records
// its own enable: the next disable compares with that, keeps the "no proxy" the user set since,
// and finishes no restore "cut short".
TEST(RestoreLandsTest, AnEnableAfterARestoreCutShortStartsAfresh)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    desktop.backend.cutShort = true;
    EXPECT_FALSE(service.disableProxy(true).isEmpty());
    ASSERT_EQ(stageOnDisk(desktop.state), SavedProxyState::Stage::Restoring);
    desktop.backend.cutShort = false;

    ASSERT_TRUE(service.restorePending());
    ASSERT_TRUE(enableTheListener(service).isEmpty());
    // The restore that waited is over: a try now would give the desktop back while connected.
    EXPECT_FALSE(service.restorePending());
    EXPECT_TRUE(service.retryRestore().isEmpty());
    EXPECT_TRUE(desktop.namesTheListener());
    ProxySettings off = desktop.read();
    off.mode = ProxySettings::Mode::None;
    FileProxyBackend page(desktop.dir.filePath("settings.json"));
    ASSERT_TRUE(page.apply(off).isEmpty());
    MessageCapture log;
    const ProxyConfigService::Reply reply = disable(service);
    EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
    EXPECT_EQ(outcomeOf(reply), "usersOwnKept");
    const ProxySettings after = desktop.read();
    EXPECT_EQ(after.mode, ProxySettings::Mode::None);
    EXPECT_EQ(after.httpHost, "corp-proxy.example");
    EXPECT_TRUE(after.socksHost.isEmpty());
    EXPECT_FALSE(log.contains("cut short")) << log.messages().join('\n').toStdString();
}

// A copy that cannot be used at the restore: damaged, refused by the backend, or not readable.
// None leaves a key naming the listener; a damaged or refused one is set aside, one that cannot be
// read stays where it is, fails the restore with the system's reason, and once readable gives the
// user's setting back whole.
TEST(RestoreLandsTest, ACopyThatCannotBeUsedNeverLeavesTheListener)
{
    enum class Harm { Damaged, Refused, RefusedByItsReader, AFolderInItsPlace, NoReadPermission };
    for (const Harm harm :
         {Harm::Damaged, Harm::Refused, Harm::RefusedByItsReader, Harm::AFolderInItsPlace, Harm::NoReadPermission}) {
        if (harm == Harm::NoReadPermission && ownerReadsModeZero())
            continue; // as root (or with its powers in a namespace) the folder in its place stands for it
        SCOPED_TRACE(int(harm));
        Desktop desktop;
        ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
        ProxyConfigService service(desktop.backend, desktop.state, "1.0");
        ASSERT_TRUE(enableTheListener(service).isEmpty());
        const QString copy = desktop.state.filePath();
        const QByteArray sound = desktop.bytes(copy);
        ASSERT_FALSE(sound.isEmpty());
        switch (harm) {
        case Harm::Damaged:
            ASSERT_TRUE(QFile::resize(copy, sound.size() / 2));
            break;
        case Harm::Refused: {
            QJsonObject object = QJsonDocument::fromJson(sound).object();
            object.insert("snapshot", QJsonObject{{"exists", "yes"}, {"content", 5}});
            QFile file(copy);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(object).toJson());
            break;
        }
        case Harm::RefusedByItsReader: {
            // Sound JSON in the backend's shape, with a value its own reader refuses: written back,
            // it would leave a desktop file the helper cannot read, and be saved again as the
            // user's at the next connect.
            QJsonObject object = QJsonDocument::fromJson(sound).object();
            QJsonObject snapshot = object.value("snapshot").toObject();
            QJsonObject content = snapshot.value("content").toObject();
            content.insert("http_host", QStringLiteral("corp-proxy.example\u0007"));
            snapshot.insert("content", content);
            object.insert("snapshot", snapshot);
            QFile file(copy);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QJsonDocument(object).toJson());
            break;
        }
        case Harm::AFolderInItsPlace:
            ASSERT_TRUE(QFile::remove(copy));
            ASSERT_TRUE(QDir().mkdir(copy));
            break;
        case Harm::NoReadPermission:
            ASSERT_EQ(::chmod(QFile::encodeName(copy).constData(), 0), 0);
            break;
        }
        MessageCapture log;
        const ProxyConfigService::Reply reply = disable(service);
        EXPECT_FALSE(desktop.namesTheListener());
        const bool setAside = harm == Harm::Damaged || harm == Harm::Refused || harm == Harm::RefusedByItsReader;
        if (setAside) {
            EXPECT_TRUE(reply.error.isEmpty()) << reply.error.toStdString();
            EXPECT_EQ(outcomeOf(reply), "copyLost");
            EXPECT_TRUE(log.contains("the user's copy of the proxy settings was lost")) << log.messages().join('\n').toStdString();
            EXPECT_TRUE(QFile::exists(copy + ".damaged"));
            EXPECT_FALSE(desktop.state.anyRecord());
            EXPECT_FALSE(log.contains("cut short"));
            continue;
        }
        EXPECT_TRUE(reply.error.contains("cannot be read")) << reply.error.toStdString();
        EXPECT_TRUE(log.contains("cannot be used for now")) << log.messages().join('\n').toStdString();
        EXPECT_TRUE(QFile::exists(copy));
        EXPECT_FALSE(QFile::exists(copy + ".damaged"));

        // Meanwhile the user adds an exception to the "no proxy" written in place.
        ProxySettings meanwhile = desktop.read();
        meanwhile.ignoreHosts.append("printer.lan");
        ASSERT_TRUE(FileProxyBackend(desktop.dir.filePath("settings.json")).apply(meanwhile).isEmpty());

        // The fault passes: the user's own setting comes back, with that exception and nothing
        // else of what was written in place.
        if (harm == Harm::AFolderInItsPlace) {
            ASSERT_TRUE(QDir(copy).removeRecursively());
        }
        ::chmod(QFile::encodeName(copy).constData(), 0600);
        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(sound);
        file.close();
        const ProxyConfigService::Reply again = disable(service);
        EXPECT_TRUE(again.error.isEmpty()) << again.error.toStdString();
        ProxySettings expected = companyProxy();
        expected.ignoreHosts.append("printer.lan");
        EXPECT_EQ(desktop.read(), expected);
        EXPECT_FALSE(desktop.state.anyRecord());
    }
}

// A copy lost where the listener is named in more than one place (its HTTP and its SOCKS port):
// every one of them becomes "no proxy".
TEST(RestoreLandsTest, ALostCopyTakesTheListenerOutOfEveryPlace)
{
    Desktop desktop;
    ASSERT_TRUE(desktop.backend.apply(companyProxy()).isEmpty());
    ProxyConfigService service(desktop.backend, desktop.state, "1.0");
    ASSERT_TRUE(service.enableProxy(9998, 9999, {}, {}, true, kExceptions).isEmpty());
    ASSERT_EQ(desktop.read().httpPort, 9998);
    ASSERT_TRUE(QFile::resize(desktop.state.filePath(), 10));
    const ProxyConfigService::Reply reply = disable(service);
    EXPECT_EQ(outcomeOf(reply), "copyLost");
    const ProxySettings after = desktop.read();
    EXPECT_TRUE(after.httpHost.isEmpty() && after.socksHost.isEmpty())
        << after.httpHost.toStdString() << ":" << after.httpPort << " " << after.socksHost.toStdString() << ":" << after.socksPort;
}

// A copy of the release before, in each of its shapes, still restores; its decided restore is
// finished as one.
TEST(RestoreLandsTest, ACopyOfTheReleaseBeforeStillRestores)
{
    struct Row
    {
        const char *name;
        bool applied;
        bool restoring;
    };
    for (const Row &row : {Row{"saved", false, false}, Row{"applied", true, false}, Row{"restoring", false, true}}) {
        SCOPED_TRACE(row.name);
        Desktop desktop;
        ASSERT_TRUE(desktop.backend.apply(ProxySettings::forLocalListener(9999, 9999, {}, kExceptions)).isEmpty());
        QString error;
        QJsonObject object = {{"backend", "file"},
                              {"snapshot", QJsonObject{{"exists", true}, {"content", companyProxy().toJson()}}},
                              {"saved_at", "2026-01-01T00:00:00Z"}};
        if (row.applied)
            object.insert("applied", *desktop.backend.snapshot(&error));
        if (row.restoring)
            object.insert("restoring", true);
        ASSERT_TRUE(QDir().mkpath(desktop.dir.filePath("state")));
        QFile file(desktop.state.filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(object).toJson());
        file.close();

        ProxyConfigService service(desktop.backend, desktop.state, "1.0");
        MessageCapture log;
        EXPECT_TRUE(service.restoreLeftover().isEmpty());
        EXPECT_EQ(desktop.read(), companyProxy());
        EXPECT_FALSE(desktop.state.anyRecord());
        EXPECT_EQ(log.contains("finishing a restore of the user's proxy settings that was cut short"), row.restoring);
    }
}

} // namespace
