// The local database with the caches folder on a real full disk (support/SmallDisk.h): the
// signed-in user is there while the disk is full and after the space comes back, a save the disk
// refused answers false, a sign-out lasts though the disk takes no delete, and nothing is set
// aside as damaged. Only a full disk reads the file as it stands.
#include "support/SmallDisk.h"

#include "common/AppPaths.h"
#include "common/MKConnection.h"
#include "common/MKUserInfoManager.h"
#include "common/NHHostTable.h"
#include "common/RequestLogTable.h"

#include <QDateTime>
#include <QDir>
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

// The names of the files in the caches folder that hold these bytes (the filler holds none).
QStringList filesHolding(const QByteArray &bytes)
{
    QStringList holding;
    const QDir folder(AppPaths::cachesFolder());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
            holding << name;
    }
    return holding;
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
    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("first"));

    // A sign-out lasts, though the file read as it stands takes no delete.
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    EXPECT_EQ(storedToken(), std::nullopt);
    restart();
    EXPECT_EQ(storedToken(), std::nullopt);

    // With the space back the same run writes again, and the write lasts.
    disk.makeRoom();
    EXPECT_EQ(storedToken(), std::nullopt);
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("third"))));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("third"));
    EXPECT_FALSE(setAside());
}

// The disk fills while the client runs: the write-ahead log cannot grow, so every write rolls
// back and answers false; the end of the program and the next start on the full disk keep the rows.
// A sign-out there lasts; once there is room, every row but the user's is back, and the token is
// in no file.
TEST_F(UserTableOnAFullDiskTest, WritesThatFindTheDiskFullRollBackAndLoseNothing)
{
    SmallDisk disk(AppPaths::cachesFolder(), kDiskBytes);
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    const QString hosts = QStringLiteral(R"(["https://api.example.test"])");
    ASSERT_TRUE(NHHostTable().insertOrReplace(hosts, QStringLiteral("historyHostsKey")));
    // Told apart from every other byte in the folder.
    const QString token = QStringLiteral("token-of-the-signed-out-user");
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(signInData(token)));
    for (int i = 0; i < 100; ++i) {
        RequestLogTable::Record record;
        record.method = QStringLiteral("GET");
        record.path = QStringLiteral("/path/%1/").arg(i) + QString(200, QLatin1Char('x'));
        record.time = QDateTime::currentDateTimeUtc();
        ASSERT_TRUE(RequestLogTable().insert(record));
    }
    ASSERT_TRUE(disk.fill());

    EXPECT_FALSE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("second"))));
    EXPECT_EQ(storedToken(), token);
    EXPECT_EQ(RequestLogTable().count(), 100);
    restart(); // the checkpoint of the close finds no room; the log stays
    EXPECT_EQ(storedToken(), token);
    EXPECT_EQ(RequestLogTable().count(), 100);

    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    EXPECT_EQ(storedToken(), std::nullopt);
    restart();
    EXPECT_EQ(storedToken(), std::nullopt);

    disk.makeRoom();
    EXPECT_EQ(storedToken(), std::nullopt);
    EXPECT_EQ(NHHostTable().queryJson(QStringLiteral("historyHostsKey")), hosts);
    EXPECT_EQ(RequestLogTable().count(), 100);
    restart();
    EXPECT_FALSE(QFile::exists(MKConnection::defaultFilePath() + QStringLiteral(".signed-out")));
    EXPECT_EQ(filesHolding(token.toUtf8()), QStringList());
    EXPECT_EQ(storedToken(), std::nullopt);
    EXPECT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("third"))));
    restart();
    EXPECT_EQ(storedToken(), QStringLiteral("third"));
    EXPECT_EQ(RequestLogTable().count(), 100);
    EXPECT_EQ(NHHostTable().queryJson(QStringLiteral("historyHostsKey")), hosts);
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

// Any other failure of the open is no full disk: the stored user is not read as it stands. Here
// SQLite refuses to open its shared index through a link, with room to spare.
TEST_F(UserTableOnAFullDiskTest, AnOpenThatFailsForAnotherReasonDoesNotReadTheFileAsItStands)
{
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(signInData(QStringLiteral("first"))));
    restart();
    const QString index = MKConnection::defaultFilePath() + QStringLiteral("-shm");
    ASSERT_FALSE(QFile::exists(index)) << "not a clean close";
    ASSERT_TRUE(QFile::link(QDir(AppPaths::cachesFolder()).filePath(QStringLiteral("elsewhere")), index));

    EXPECT_EQ(storedToken(), std::nullopt);

    ASSERT_TRUE(QFile::remove(index));
    EXPECT_EQ(storedToken(), QStringLiteral("first"));
    EXPECT_FALSE(setAside());
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
}
