#include "support/MessageCapture.h"
#include "support/SmallDisk.h"

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QString kGroupSuite = QStringLiteral("R8T2M6WQ4N.group.fenbra.mac.data");

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UserDefaultsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::suite(kGroupSuite).removePersistentDomain();
        UserDefaults::reloadAllForTesting();
    }

    UserDefaults &defaults() { return UserDefaults::standard(); }
};

TEST_F(UserDefaultsTest, ValuesKeepTheirTypeAcrossARestart)
{
    defaults().setInteger(QStringLiteral("int"), 7);
    defaults().setInteger(QStringLiteral("big"), (qint64(1) << 62) + 1);
    defaults().setBool(QStringLiteral("bool"), true);
    defaults().setDouble(QStringLiteral("double"), 2.5);
    defaults().setString(QStringLiteral("text"), QStringLiteral("ünïcode"));
    defaults().setDictionary(QStringLiteral("dict"), QJsonObject{{QStringLiteral("configPath"), QStringLiteral("/x")}});
    defaults().setArray(QStringLiteral("array"), QJsonArray{QJsonObject{{QStringLiteral("id"), 3}}});
    ASSERT_TRUE(defaults().synchronize());

    UserDefaults::reloadAllForTesting();

    EXPECT_EQ(defaults().object(QStringLiteral("int")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(defaults().integerValue(QStringLiteral("int")), 7);
    EXPECT_EQ(defaults().integerValue(QStringLiteral("big")), (qint64(1) << 62) + 1);
    EXPECT_EQ(defaults().object(QStringLiteral("bool")).typeId(), QMetaType::Bool);
    EXPECT_EQ(defaults().doubleValue(QStringLiteral("double")), 2.5);
    EXPECT_EQ(defaults().stringValue(QStringLiteral("text")), QStringLiteral("ünïcode"));
    EXPECT_EQ(defaults().dictionaryValue(QStringLiteral("dict"))->value(QStringLiteral("configPath")).toString(),
              QStringLiteral("/x"));
    EXPECT_EQ(defaults().arrayValue(QStringLiteral("array"))->at(0).toObject().value(QStringLiteral("id")).toInt(), 3);
}

TEST_F(UserDefaultsTest, NumbersAndBooleansBridgeOnlyForZeroAndOne)
{
    // Written as an Int, read as a Bool (the automatic-connection switch does exactly this).
    defaults().setInteger(DefaultsKeys::kAutoConnectionStateKey, 1);
    EXPECT_EQ(defaults().boolValue(DefaultsKeys::kAutoConnectionStateKey), true);
    defaults().setInteger(DefaultsKeys::kAutoConnectionStateKey, 0);
    EXPECT_EQ(defaults().boolValue(DefaultsKeys::kAutoConnectionStateKey), false);

    defaults().setInteger(QStringLiteral("two"), 2);
    EXPECT_FALSE(defaults().boolValue(QStringLiteral("two")).has_value());

    defaults().setBool(QStringLiteral("flag"), true);
    EXPECT_EQ(defaults().integerValue(QStringLiteral("flag")), 1);

    defaults().setDouble(QStringLiteral("half"), 0.5);
    EXPECT_FALSE(defaults().integerValue(QStringLiteral("half")).has_value());
    EXPECT_FALSE(defaults().boolValue(QStringLiteral("half")).has_value());

    defaults().setDouble(QStringLiteral("huge"), 1e20);
    EXPECT_FALSE(defaults().integerValue(QStringLiteral("huge")).has_value()) << "beyond any 64-bit integer";
    defaults().setDouble(QStringLiteral("whole"), -4096.0);
    EXPECT_EQ(defaults().integerValue(QStringLiteral("whole")), -4096);
}

TEST_F(UserDefaultsTest, TextNeverReadsAsANumberAndMissingIsToldApartFromOtherType)
{
    defaults().setString(DefaultsKeys::kProxyMode, QStringLiteral("1"));
    EXPECT_TRUE(defaults().contains(DefaultsKeys::kProxyMode));
    EXPECT_FALSE(defaults().integerValue(DefaultsKeys::kProxyMode).has_value());
    EXPECT_FALSE(defaults().boolValue(DefaultsKeys::kProxyMode).has_value());
    EXPECT_FALSE(defaults().doubleValue(DefaultsKeys::kProxyMode).has_value());

    EXPECT_FALSE(defaults().contains(DefaultsKeys::kLineOrderType));
    EXPECT_FALSE(defaults().object(DefaultsKeys::kLineOrderType).isValid());
    EXPECT_EQ(defaults().integerForKey(DefaultsKeys::kLineOrderType), 0);

    defaults().setInteger(QStringLiteral("n"), 1);
    EXPECT_FALSE(defaults().stringValue(QStringLiteral("n")).has_value());
    EXPECT_FALSE(defaults().dictionaryValue(QStringLiteral("n")).has_value());
}

TEST_F(UserDefaultsTest, JsonValuesAreStoredAsWhatTheyHold)
{
    const QJsonObject reply = QJsonDocument::fromJson(
        R"({"mode": 1, "on": true, "name": "x", "node": {"id": 7}, "list": [1], "none": null})").object();
    defaults().setValue(QStringLiteral("mode"), QVariant(reply.value(QStringLiteral("mode"))));
    defaults().setValue(QStringLiteral("on"), QVariant(reply.value(QStringLiteral("on"))));
    defaults().setValue(QStringLiteral("name"), QVariant(reply.value(QStringLiteral("name"))));
    defaults().setValue(QStringLiteral("node"), QVariant(reply.value(QStringLiteral("node"))));
    defaults().setValue(QStringLiteral("list"), QVariant(reply.value(QStringLiteral("list"))));
    defaults().setValue(QStringLiteral("none"), QVariant(reply.value(QStringLiteral("none"))));
    UserDefaults::reloadAllForTesting();

    EXPECT_EQ(defaults().object(QStringLiteral("mode")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(defaults().object(QStringLiteral("on")).typeId(), QMetaType::Bool);
    EXPECT_EQ(defaults().stringValue(QStringLiteral("name")), QStringLiteral("x"));
    EXPECT_EQ(defaults().dictionaryValue(QStringLiteral("node"))->value(QStringLiteral("id")).toInt(), 7);
    EXPECT_EQ(defaults().arrayValue(QStringLiteral("list"))->size(), 1);
    EXPECT_FALSE(defaults().contains(QStringLiteral("none")));
}

TEST_F(UserDefaultsTest, RegisteredDefaultsAnswerButAreNeverWritten)
{
    defaults().registerDefaults({{DefaultsKeys::kTunStateKey, true}, {DefaultsKeys::kProxyMode, 0}});
    EXPECT_EQ(defaults().boolValue(DefaultsKeys::kTunStateKey), true);
    EXPECT_EQ(defaults().integerValue(DefaultsKeys::kProxyMode), 0);

    defaults().setString(QStringLiteral("other"), QStringLiteral("x"));
    const QByteArray onDisk = fileBytes(defaults().filePath());
    EXPECT_FALSE(onDisk.contains("kTunStateKey"));
    EXPECT_FALSE(onDisk.contains("kProxyMode"));

    // A stored value wins over the registered one, and removing it brings the default back.
    defaults().setInteger(DefaultsKeys::kProxyMode, 1);
    EXPECT_EQ(defaults().integerValue(DefaultsKeys::kProxyMode), 1);
    defaults().remove(DefaultsKeys::kProxyMode);
    EXPECT_EQ(defaults().integerValue(DefaultsKeys::kProxyMode), 0);

    // A restart forgets registrations until start-up registers them again.
    UserDefaults::reloadAllForTesting();
    EXPECT_FALSE(defaults().contains(DefaultsKeys::kTunStateKey));
    defaults().registerDefaults({{DefaultsKeys::kTunStateKey, true}});
    EXPECT_EQ(defaults().boolValue(DefaultsKeys::kTunStateKey), true);
}

TEST_F(UserDefaultsTest, AppGroupSuiteIsSeparate)
{
    UserDefaults &group = UserDefaults::suite(kGroupSuite);
    group.setBool(DefaultsKeys::is_domestic, true);
    group.setArray(DefaultsKeys::iplist, QJsonArray{QStringLiteral("1.0.1.0/24")});

    EXPECT_FALSE(defaults().contains(DefaultsKeys::is_domestic));
    EXPECT_NE(group.filePath(), defaults().filePath());

    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(UserDefaults::suite(kGroupSuite).boolValue(DefaultsKeys::is_domestic), true);
    EXPECT_EQ(UserDefaults::suite(kGroupSuite).arrayValue(DefaultsKeys::iplist)->size(), 1);
}

TEST_F(UserDefaultsTest, RemovePersistentDomainDropsStoredValuesOnly)
{
    defaults().registerDefaults({{DefaultsKeys::kTunStateKey, true}});
    defaults().setInteger(DefaultsKeys::kLineOrderType, 1);
    defaults().setBool(DefaultsKeys::kTunStateKey, false);

    defaults().removePersistentDomain();

    EXPECT_FALSE(defaults().contains(DefaultsKeys::kLineOrderType));
    EXPECT_EQ(defaults().boolValue(DefaultsKeys::kTunStateKey), true);
    EXPECT_FALSE(QFile::exists(defaults().filePath()));
    UserDefaults::reloadAllForTesting();
    EXPECT_FALSE(defaults().contains(DefaultsKeys::kLineOrderType));
}

TEST_F(UserDefaultsTest, CorruptFileIsReportedSetAsideAndTheStoreStillWorks)
{
    defaults().setInteger(QStringLiteral("before"), 1);
    const QString path = defaults().filePath();
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("{\"before\": {\"t\": \"int\", \"v\": ");
    }

    MessageCapture capture;
    UserDefaults::reloadAllForTesting();

    EXPECT_TRUE(capture.contains(QStringLiteral("corrupt")));
    // The file log keeps the event too, for a support request long after the console is gone.
    Logger::flush();
    QByteArray logged;
    const QDir logs(AppPaths::logFolder());
    for (const QString &name : logs.entryList(QDir::Files))
        logged += fileBytes(logs.filePath(name));
    EXPECT_TRUE(logged.contains("[error] UserDefaults.cpp UserDefaults::load Defaults file")) << logged.toStdString();
    EXPECT_EQ(fileBytes(path + QStringLiteral(".corrupt")), QByteArray("{\"before\": {\"t\": \"int\", \"v\": "));
    EXPECT_FALSE(defaults().contains(QStringLiteral("before")));

    defaults().setInteger(QStringLiteral("after"), 2);
    EXPECT_TRUE(defaults().synchronize());
    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(defaults().integerValue(QStringLiteral("after")), 2);
}

TEST_F(UserDefaultsTest, UnreadableEntryIsSkippedButNeverDropped)
{
    defaults().setInteger(QStringLiteral("good"), 5);
    const QString path = defaults().filePath();
    QJsonObject root = QJsonDocument::fromJson(fileBytes(path)).object();
    root.insert(QStringLiteral("bad"), QJsonObject{{QStringLiteral("t"), QStringLiteral("int")},
                                                   {QStringLiteral("v"), QStringLiteral("not a number")}});
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QJsonDocument(root).toJson());
    }
    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(defaults().integerValue(QStringLiteral("good")), 5);
    EXPECT_FALSE(defaults().contains(QStringLiteral("bad")));

    // The next write keeps the entry it could not read, until the key is set or removed.
    defaults().setInteger(QStringLiteral("other"), 6);
    EXPECT_TRUE(QJsonDocument::fromJson(fileBytes(path)).object().contains(QStringLiteral("bad")));
    defaults().remove(QStringLiteral("bad"));
    EXPECT_FALSE(QJsonDocument::fromJson(fileBytes(path)).object().contains(QStringLiteral("bad")));
    EXPECT_EQ(defaults().integerValue(QStringLiteral("other")), 6);
}

TEST_F(UserDefaultsTest, FileIsPrivateToTheUser)
{
    defaults().setString(QStringLiteral("k"), QStringLiteral("v"));
    const QFileDevice::Permissions permissions = QFile::permissions(defaults().filePath());
    EXPECT_FALSE(permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

ino_t inodeOf(const QString &path)
{
    struct stat info{};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(UserDefaultsTest, AnUnchangedValueIsNotWrittenAgainButAChangedTypeIs)
{
    defaults().setBool(QStringLiteral("flag"), false);
    defaults().setInteger(QStringLiteral("count"), 1);
    // Every write replaces the file, so an unchanged inode means nothing was written.
    const ino_t written = inodeOf(defaults().filePath());
    ASSERT_NE(written, ino_t(0));
    defaults().setBool(QStringLiteral("flag"), false);
    defaults().setInteger(QStringLiteral("count"), 1);
    EXPECT_EQ(inodeOf(defaults().filePath()), written);

    // Same number, other type: written, and read back with its new type after a restart.
    defaults().setBool(QStringLiteral("count"), true);
    EXPECT_NE(inodeOf(defaults().filePath()), written);
    UserDefaults::reloadAllForTesting();
    EXPECT_TRUE(defaults().object(QStringLiteral("count")).typeId() == QMetaType::Bool);
    EXPECT_EQ(defaults().boolValue(QStringLiteral("flag")), false);
}

// The user's settings on a full disk: the file keeps what it had (never an empty file, which the
// next start would read as "no settings"), the change holds for this run, and it reaches the file
// once the disk takes it again: at the next save of any suite that succeeds, or at the quit, with
// no synchronize() of that suite. The log says it once, not at every click.
TEST_F(UserDefaultsTest, OnAFullDiskTheFileKeepsItsValuesAndTheChangeIsWrittenOnceSpaceReturns)
{
    SmallDisk disk(AppPaths::configFolder());
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    defaults().setString(QStringLiteral("line"), QStringLiteral("Tokyo"));
    const QByteArray before = fileBytes(defaults().filePath());
    ASSERT_TRUE(before.contains("Tokyo"));
    ASSERT_TRUE(disk.fill());

    MessageCapture capture;
    defaults().setString(QStringLiteral("line"), QStringLiteral("Osaka"));
    defaults().synchronizeOrLog("the chosen line");
    defaults().setBool(QStringLiteral("notifications"), true);
    defaults().synchronizeOrLog("the notification switch");

    EXPECT_EQ(fileBytes(defaults().filePath()), before);
    EXPECT_EQ(defaults().stringValue(QStringLiteral("line")), QStringLiteral("Osaka"));
    EXPECT_EQ(defaults().boolValue(QStringLiteral("notifications")), true);
    const QStringList notSaved = capture.messages().filter(QStringLiteral("Settings not saved"));
    ASSERT_EQ(notSaved.size(), 1) << capture.messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(notSaved.first().contains(QStringLiteral("No space left on device"))) << notSaved.first().toStdString();

    // No change of the user's in this suite is needed for the values to reach the file: the next
    // save of any suite that succeeds writes them.
    disk.makeRoom();
    UserDefaults::suite(kGroupSuite).setBool(QStringLiteral("shared"), true);
    EXPECT_EQ(capture.messages().filter(QStringLiteral("Settings saved again")).size(), 1);
    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(defaults().stringValue(QStringLiteral("line")), QStringLiteral("Osaka"));
    EXPECT_EQ(defaults().boolValue(QStringLiteral("notifications")), true);

    // Nor at the quit, when nothing else was saved since the space came back.
    ASSERT_TRUE(disk.fill());
    defaults().setString(QStringLiteral("line"), QStringLiteral("Nagoya"));
    disk.makeRoom();
    EXPECT_TRUE(UserDefaults::synchronizeAll());
    UserDefaults::reloadAllForTesting();
    EXPECT_EQ(defaults().stringValue(QStringLiteral("line")), QStringLiteral("Nagoya"));
    EXPECT_EQ(UserDefaults::suite(kGroupSuite).boolValue(QStringLiteral("shared")), true);
}

} // namespace
