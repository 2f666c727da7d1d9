// The local database with the caches folder on a real full disk (support/SmallDisk.h): the
// signed-in user is there while the disk is full and after the space comes back, a save the disk
// refused answers false, and nothing is set aside as damaged.
#include "support/SmallDisk.h"

#include "common/AppPaths.h"
#include "common/MKConnection.h"
#include "common/MKUserInfoManager.h"
#include "common/RequestLogTable.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

// Room for the database and its write-ahead log; the log grows past 64 KiB with the rows below.
constexpr qint64 kDiskBytes = 2 * 1024 * 1024;

QJsonObject signInData(const QString &token)
{
    return QJsonDocument::fromJson(
               QStringLiteral(R"({"kind": 1, "user": {"id": 42, "api_token": "%1", "username": "u42"}})").arg(token).toUtf8())
        .object();
}

std::optional<QString> storedToken()
{
    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    if (!user || !user->user)
        return std::nullopt;
    return user->user->apiToken;
}

// The program ends (the connection closes, a clean close takes the log files away) and starts again.
void restart()
{
    MKConnection::shared().closeForTesting();
}

bool setAside()
{
    return QFile::exists(MKConnection::defaultFilePath() + QStringLiteral(".corrupt"));
}

class UserTableOnAFullDiskTest : public ::testing::Test
{
protected:
    void SetUp() override { restart(); }
    void TearDown() override { restart(); }
};

} // namespace

// The usual road: the client was closed with room to spare, then the disk filled. Opening the
// database needs room beside it for its shared index, which a full disk does not give.
TEST_F(UserTableOnAFullDiskTest, TheSignedInUserIsThereOnAFullDiskAfterACleanClose)
{
    SmallDisk disk(AppPaths::cachesFolder(), kDiskBytes);
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("first"))));
    restart();
    ASSERT_FALSE(QFile::exists(MKConnection::defaultFilePath() + QStringLiteral("-wal"))) << "not a clean close";
    ASSERT_TRUE(disk.fill());

    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    EXPECT_FALSE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("second"))));
    EXPECT_FALSE(MKUserInfoManager::shared().clearUser());
    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("first"));

    // With the space back the same run writes again, and the write lasts.
    disk.makeRoom();
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("third"))));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("third"));
    EXPECT_FALSE(setAside());
}

// The disk fills while the client runs: the write-ahead log cannot grow, so every write rolls
// back and answers false; the end of the program and the next start on the full disk keep the rows.
TEST_F(UserTableOnAFullDiskTest, WritesThatFindTheDiskFullRollBackAndLoseNothing)
{
    SmallDisk disk(AppPaths::cachesFolder(), kDiskBytes);
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("first"))));
    for (int i = 0; i < 100; ++i) {
        RequestLogTable::Record record;
        record.method = QStringLiteral("GET");
        record.path = QStringLiteral("/path/%1/").arg(i) + QString(200, QLatin1Char('x'));
        record.time = QDateTime::currentDateTimeUtc();
        ASSERT_TRUE(RequestLogTable().insert(record));
    }
    ASSERT_TRUE(disk.fill());

    EXPECT_FALSE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("second"))));
    EXPECT_FALSE(MKUserInfoManager::shared().clearUser());
    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    EXPECT_EQ(RequestLogTable().count(), 100);
    restart(); // the checkpoint of the close finds no room; the log stays
    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    EXPECT_EQ(RequestLogTable().count(), 100);

    disk.makeRoom();
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("third"))));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("third"));
    EXPECT_EQ(RequestLogTable().count(), 100);
    EXPECT_FALSE(setAside());
}

// The very first start on a full disk: no user, no failure beyond the values, and the first
// sign-in once there is room is kept.
TEST_F(UserTableOnAFullDiskTest, AFirstStartOnAFullDiskStoresNothingAndThenWorks)
{
    SmallDisk disk(AppPaths::cachesFolder(), kDiskBytes);
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    ASSERT_TRUE(disk.fill());
    EXPECT_EQ(storedToken(), std::nullopt);
    EXPECT_FALSE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("first"))));
    restart();

    disk.makeRoom();
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("first"))));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    EXPECT_FALSE(setAside());
}
