#pragma once

// Shared by the network tests: hooks that record what the layer asked the UI to do, and a way
// to point the client at a stand-in instance.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

#include "common/AppPaths.h"
#include "common/MKConnection.h"
#include "common/ProtocolConfig.h"

#include <SQLiteCpp/Database.h>
#include "networking/NetworkUiHooks.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "support/StandinProcess.h"

// The path the host check probes, from the one protocol configuration client and stand-in read.
inline QString probePath()
{
    return ProtocolConfig::string(QStringLiteral("probe.path"));
}

class RecordingHooks : public NetworkUiHooks
{
public:
    void showNetworkHint(const QString &text) override { hints << text; }
    void showAccountException(AccountExceptionKind kind) override { exceptions << kind; }
    void onAccountExceptionAcknowledged() override { ++acknowledged; }
    void showPollingFailure() override { ++pollingFailures; }

    QStringList hints;
    QList<AccountExceptionKind> exceptions;
    int acknowledged = 0;
    int pollingFailures = 0;
};

inline std::shared_ptr<RecordingHooks> installRecordingHooks()
{
    auto hooks = std::make_shared<RecordingHooks>();
    NetworkUiHooks::setInstance(hooks);
    return hooks;
}

// The profile's own host list, as the demo uses it; the stored current domain is forgotten.
// False when the list could not be written.
inline bool pointClientAt(const QStringList &hosts)
{
    AppPaths::ensureFolder(AppPaths::configFolder());
    QFile file(AppPaths::configFolder() + QStringLiteral("/hosts.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = QJsonDocument(QJsonObject{{QStringLiteral("hosts"), QJsonArray::fromStringList(hosts)}}).toJson();
    const bool written = file.write(text) == text.size();
    file.close();
    OOHostSafeAdpter::shared().resetForTesting();
    return written;
}

// While it lives, the database refuses every write to the user table, as a full disk or a broken
// file would.
class RefusedUserWrites
{
public:
    RefusedUserWrites()
    {
        EXPECT_TRUE(MKConnection::shared().run(QStringLiteral("refuse user writes"), [](SQLite::Database &database) {
            database.exec("CREATE TABLE IF NOT EXISTS \"User\" (id INTEGER PRIMARY KEY, json TEXT, timestamp TEXT)");
            database.exec("CREATE TRIGGER IF NOT EXISTS refuse_user BEFORE INSERT ON \"User\" "
                          "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        }));
    }
    ~RefusedUserWrites()
    {
        EXPECT_TRUE(MKConnection::shared().run(QStringLiteral("accept user writes"), [](SQLite::Database &database) {
            database.exec("DROP TRIGGER IF EXISTS refuse_user");
        }));
    }
};

// One stand-in instance for the whole suite; each test starts with no faults, the client pointed
// at the instance and the usual time-outs.
class OneStandinPerSuite : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_standin = new StandinProcess();
        ASSERT_TRUE(s_standin->start()) << s_standin->errorText().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete s_standin;
        s_standin = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(s_standin && s_standin->isRunning());
        s_standin->clearFaults();
        ASSERT_TRUE(pointClientAt({s_standin->baseUrl()}));
        OONetWork::shared().resetForTesting();
    }

    static inline StandinProcess *s_standin = nullptr;
};

// The same with fresh recording hooks in place of the screens' alerts.
class StandinSuite : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        OneStandinPerSuite::SetUp();
        hooks = installRecordingHooks();
    }

    std::shared_ptr<RecordingHooks> hooks;
};
