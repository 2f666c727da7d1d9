// The local database on a real SQLite file in the test's private caches folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <SQLiteCpp/Database.h>

#include "common/HHNotificationTable.h"
#include "common/MKConnection.h"
#include "common/MKUserTable.h"
#include "common/NHHostTable.h"
#include "common/RequestLogTable.h"

namespace {

class DatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override { resetDatabase(); }

    static void resetDatabase()
    {
        MKConnection::shared().closeForTesting();
        const QString path = MKConnection::defaultFilePath();
        for (const QString &suffix : { QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral(".corrupt") })
            QFile::remove(path + suffix);
    }

    static QString userJson(int id, const QString &name)
    {
        return QStringLiteral("{\"user\":{\"id\":%1,\"username\":\"%2\",\"api_token\":\"t%1\"}}").arg(id).arg(name);
    }
};

} // namespace

TEST_F(DatabaseTest, UserTableGivesTheNewestRowAndNothingWhenEmptyOrUndecodable)
{
    MKUserTable table;
    EXPECT_FALSE(table.queryUser().has_value());

    ASSERT_TRUE(table.insertOrReplace(7, userJson(7, QStringLiteral("seven"))));
    ASSERT_TRUE(table.insertOrReplace(3, userJson(3, QStringLiteral("three"))));
    std::optional<HHUserInfo> newest = table.queryUser();
    ASSERT_TRUE(newest.has_value());
    EXPECT_EQ(newest->user->username, QStringLiteral("three")) << "saved last, inside the same second";

    // Replacing a row by its id makes it the newest and keeps one row per id.
    ASSERT_TRUE(table.insertOrReplace(7, userJson(7, QStringLiteral("seven again"))));
    EXPECT_EQ(table.queryUser()->user->username, QStringLiteral("seven again"));

    ASSERT_TRUE(table.insertOrReplace(9, QStringLiteral("{not json")));
    EXPECT_FALSE(table.queryUser().has_value()) << "the newest row does not decode";
    EXPECT_FALSE(MKUserTable().queryUser().has_value()) << "and reading it changed nothing";

    ASSERT_TRUE(table.deleteAll());
    EXPECT_FALSE(table.queryUser().has_value());

    // The table holds tokens: nobody but the user may read the file or its journal.
    for (const QString &suffix : { QString(), QStringLiteral("-wal") }) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(MKConnection::defaultFilePath() + suffix).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << suffix.toStdString();
    }
}

TEST_F(DatabaseTest, NamedJsonTablesStoreReplaceAndDelete)
{
    HHNotificationTable notifications;
    NHHostTable hosts;
    EXPECT_FALSE(notifications.queryJson(QStringLiteral("splash")).has_value());

    ASSERT_TRUE(notifications.insertOrReplace(QStringLiteral("{\"a\":1}"), QStringLiteral("splash")));
    ASSERT_TRUE(notifications.insertOrReplace(QStringLiteral("{\"a\":2}"), QStringLiteral("splash")));
    EXPECT_EQ(notifications.queryJson(QStringLiteral("splash")), QStringLiteral("{\"a\":2}"));
    EXPECT_FALSE(hosts.queryJson(QStringLiteral("splash")).has_value()) << "tables are separate";

    ASSERT_TRUE(hosts.insertOrReplace(QStringLiteral("[\"https://a.example\"]"), QStringLiteral("historyHostsKey")));
    ASSERT_TRUE(hosts.insertOrReplace(std::nullopt, QStringLiteral("kRemoteUrlsKey")));
    EXPECT_FALSE(hosts.queryJson(QStringLiteral("kRemoteUrlsKey")).has_value());
    EXPECT_EQ(hosts.queryJson(QStringLiteral("historyHostsKey")), QStringLiteral("[\"https://a.example\"]"));

    // Quotes in names and texts are data, never SQL.
    const QString hostile = QStringLiteral("x'); DROP TABLE \"Host\"; --");
    ASSERT_TRUE(hosts.insertOrReplace(hostile, hostile));
    EXPECT_EQ(hosts.queryJson(hostile), hostile);

    ASSERT_TRUE(notifications.remove(QStringLiteral("splash")));
    EXPECT_FALSE(notifications.queryJson(QStringLiteral("splash")).has_value());
    EXPECT_TRUE(notifications.remove(QStringLiteral("never stored")));
}

TEST_F(DatabaseTest, MissingTablesAreCreatedOnUse)
{
    ASSERT_TRUE(NHHostTable().insertOrReplace(QStringLiteral("1"), QStringLiteral("k")));
    ASSERT_TRUE(MKUserTable().insertOrReplace(1, userJson(1, QStringLiteral("one"))));
    ASSERT_TRUE(MKConnection::shared().run(QStringLiteral("drop"), [](SQLite::Database &database) {
        database.exec("DROP TABLE \"Host\"");
        database.exec("DROP TABLE \"User\"");
    }));
    EXPECT_FALSE(NHHostTable().queryJson(QStringLiteral("k")).has_value());
    EXPECT_TRUE(NHHostTable().insertOrReplace(QStringLiteral("2"), QStringLiteral("k")));
    EXPECT_EQ(NHHostTable().queryJson(QStringLiteral("k")), QStringLiteral("2"));
    EXPECT_FALSE(MKUserTable().queryUser().has_value());
}

TEST_F(DatabaseTest, RequestLogKeepsOnlyTheNewestRowsAndDeletesUploadedOnes)
{
    RequestLogTable log;
    const QDateTime start = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < RequestLogTable::kMaxRows + 25; ++i) {
        RequestLogTable::Record record;
        record.method = QStringLiteral("GET");
        record.path = QStringLiteral("/api/%1").arg(i);
        record.httpStatus = 200;
        record.durationMs = i;
        record.time = start.addMSecs(i);
        ASSERT_TRUE(log.insert(record));
    }
    EXPECT_EQ(log.count(), RequestLogTable::kMaxRows);

    const std::vector<RequestLogTable::Record> oldest = log.fetchOldest(3);
    ASSERT_EQ(oldest.size(), 3u);
    EXPECT_EQ(oldest[0].path, QStringLiteral("/api/25")) << "the 25 oldest were dropped";
    EXPECT_EQ(oldest[0].durationMs, 25);
    EXPECT_EQ(oldest[0].time, start.addMSecs(25)) << "times keep their milliseconds";
    EXPECT_EQ(oldest[0].method, QStringLiteral("GET"));

    ASSERT_TRUE(log.deleteIds({ oldest[0].id, oldest[1].id }));
    EXPECT_EQ(log.count(), RequestLogTable::kMaxRows - 2);
    EXPECT_EQ(log.fetchOldest(1).front().id, oldest[2].id);
    EXPECT_TRUE(log.fetchOldest(0).empty());
}

TEST_F(DatabaseTest, DamagedFileIsSetAsideAndAFreshDatabaseTakesItsPlace)
{
    MKConnection::shared().closeForTesting();
    const QString path = MKConnection::defaultFilePath();
    // Run first, no earlier case has made the folder yet.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray garbage(8192, 'Z');
    file.write(garbage);
    file.close();

    EXPECT_FALSE(MKUserTable().queryUser().has_value());
    EXPECT_TRUE(MKUserTable().insertOrReplace(5, userJson(5, QStringLiteral("five"))));
    EXPECT_EQ(MKUserTable().queryUser()->user->id, 5);

    QFile aside(path + QStringLiteral(".corrupt"));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << "the damaged file is kept for inspection";
    EXPECT_EQ(aside.readAll(), garbage);
}

namespace {

// A healthy SQLite file made by someone else, in the database's place.
void writeForeignDatabase(const QStringList &statements)
{
    MKConnection::shared().closeForTesting();
    QDir().mkpath(QFileInfo(MKConnection::defaultFilePath()).path());
    SQLite::Database other(QFile::encodeName(MKConnection::defaultFilePath()).constData(),
                           SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    for (const QString &statement : statements)
        other.exec(statement.toStdString());
}

} // namespace

TEST_F(DatabaseTest, AnotherProgramsDatabaseIsSetAsideAndAFreshOneUsed)
{
    const QString path = MKConnection::defaultFilePath();
    for (const QStringList &statements : {
             QStringList{"CREATE TABLE places (id INTEGER PRIMARY KEY, url TEXT)", "INSERT INTO places VALUES (1, 'x')"},
             QStringList{"CREATE TABLE \"User\" (uid TEXT, name TEXT)", "INSERT INTO \"User\" VALUES ('a', 'b')"},
             QStringList{"CREATE TABLE t (a)", "CREATE VIEW \"Host\" AS SELECT a AS name, a AS json, a AS timestamp FROM t"},
         }) {
        resetDatabase();
        writeForeignDatabase(statements);
        EXPECT_TRUE(MKUserTable().insertOrReplace(7, userJson(7, QStringLiteral("seven")))) << statements.join("; ").toStdString();
        const auto user = MKUserTable().queryUser();
        ASSERT_TRUE(user.has_value());
        EXPECT_EQ(user->user->id, 7);
        EXPECT_TRUE(NHHostTable().insertOrReplace(QStringLiteral("1"), QStringLiteral("k")));
        EXPECT_TRUE(QFile::exists(path + QStringLiteral(".corrupt"))) << "the foreign file is kept aside";
        SQLite::Database aside(QFile::encodeName(path + QStringLiteral(".corrupt")).constData(), SQLite::OPEN_READONLY);
        EXPECT_FALSE(aside.tableExists("RequestLog")) << "the file set aside is the other program's, untouched";
    }
}

TEST_F(DatabaseTest, OurOwnTablesPassTheSchemaCheckAndUnknownExtrasAreKept)
{
    ASSERT_TRUE(MKUserTable().insertOrReplace(1, userJson(1, QStringLiteral("one"))));
    ASSERT_TRUE(HHNotificationTable().insertOrReplace(QStringLiteral("{}"), QStringLiteral("n")));
    ASSERT_TRUE(NHHostTable().insertOrReplace(QStringLiteral("1"), QStringLiteral("k")));
    RequestLogTable::Record record;
    record.method = QStringLiteral("GET");
    record.path = QStringLiteral("/api/x");
    record.time = QDateTime::currentDateTimeUtc();
    ASSERT_TRUE(RequestLogTable().insert(record));
    QString why;
    ASSERT_TRUE(MKConnection::shared().run(QStringLiteral("check"), [&](SQLite::Database &database) {
        EXPECT_TRUE(MKConnection::schemaIsOurs(database, &why)) << why.toStdString();
        for (auto it = MKConnection::tableColumns().begin(); it != MKConnection::tableColumns().end(); ++it)
            EXPECT_TRUE(database.tableExists(it.key().toStdString())) << it.key().toStdString();
        database.exec("CREATE TABLE LaterVersion (x)");
    }));
    MKConnection::shared().closeForTesting();
    EXPECT_EQ(MKUserTable().queryUser()->user->id, 1);
    EXPECT_FALSE(QFile::exists(MKConnection::defaultFilePath() + QStringLiteral(".corrupt")));
}

TEST_F(DatabaseTest, RowsSurviveReopeningAndConcurrentWriters)
{
    auto writer = [](int base) {
        for (int i = 0; i < 50; ++i)
            EXPECT_TRUE(NHHostTable().insertOrReplace(QString::number(i), QStringLiteral("w%1-%2").arg(base).arg(i)));
    };
    std::unique_ptr<QThread> a(QThread::create(writer, 1));
    std::unique_ptr<QThread> b(QThread::create(writer, 2));
    a->start();
    b->start();
    a->wait();
    b->wait();
    MKConnection::shared().closeForTesting();
    EXPECT_EQ(NHHostTable().queryJson(QStringLiteral("w1-49")), QStringLiteral("49"));
    EXPECT_EQ(NHHostTable().queryJson(QStringLiteral("w2-0")), QStringLiteral("0"));
}

TEST_F(DatabaseTest, FilesLeftOpenByAnEarlierRunAreNarrowedToTheOwner)
{
    // A database and journal left readable by all (an older version, a crash in WAL mode), in a
    // caches folder that is open too: the next open leaves nothing of them readable by others.
    const QString path = MKConnection::defaultFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    {
        SQLite::Database earlier(QFile::encodeName(path).constData(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        earlier.exec("PRAGMA journal_mode=WAL");
        earlier.exec("CREATE TABLE kept (v TEXT)");
        earlier.exec("INSERT INTO kept VALUES ('token')");
        for (const QString &suffix : { QString(), QStringLiteral("-wal"), QStringLiteral("-shm") })
            ASSERT_EQ(::chmod(QFile::encodeName(path + suffix).constData(), 0644), 0) << suffix.toStdString();

        // Opened while the earlier connection still holds its journal files.
        ASSERT_TRUE(MKUserTable().insertOrReplace(1, userJson(1, QStringLiteral("one"))));
        for (const QString &suffix : { QString(), QStringLiteral("-wal"), QStringLiteral("-shm") }) {
            struct stat info {};
            ASSERT_EQ(::stat(QFile::encodeName(path + suffix).constData(), &info), 0) << suffix.toStdString();
            EXPECT_EQ(info.st_mode & 0777, 0600u) << suffix.toStdString();
        }
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "the caches folder also holds the log folder";
}
