#include "common/RequestLogTable.h"

#include "common/MKConnection.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>


namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

} // namespace

RequestLogTable::RequestLogTable()
{
    MKConnection::shared().run(QStringLiteral("create RequestLog"), &RequestLogTable::createIfMissing);
}

void RequestLogTable::createIfMissing(SQLite::Database &database)
{
    database.exec("CREATE TABLE IF NOT EXISTS \"RequestLog\" (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                  "method TEXT, path TEXT, http_status INTEGER, duration_ms INTEGER, time TEXT, error_code TEXT)");
}

bool RequestLogTable::insert(const Record &record)
{
    return MKConnection::shared().run(QStringLiteral("insert RequestLog"), [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Transaction transaction(database);
        SQLite::Statement insert(database, "INSERT INTO \"RequestLog\" (method, path, http_status, duration_ms, time, error_code) "
                                           "VALUES (?, ?, ?, ?, ?, ?)");
        insert.bind(1, record.method.toStdString());
        insert.bind(2, record.path.toStdString());
        insert.bind(3, record.httpStatus);
        insert.bind(4, static_cast<int64_t>(record.durationMs));
        const QDateTime time = record.time.isValid() ? record.time : QDateTime::currentDateTimeUtc();
        insert.bind(5, time.toUTC().toString(kTimeFormat).toStdString());
        insert.bind(6, record.errorCode.toStdString());
        insert.exec();
        SQLite::Statement trim(database, "DELETE FROM \"RequestLog\" WHERE id NOT IN "
                                         "(SELECT id FROM \"RequestLog\" ORDER BY id DESC LIMIT ?)");
        trim.bind(1, kMaxRows);
        trim.exec();
        transaction.commit();
    });
}

std::vector<RequestLogTable::Record> RequestLogTable::fetchOldest(int limit) const
{
    std::vector<Record> records;
    if (limit <= 0)
        return records;
    MKConnection::shared().run(QStringLiteral("read RequestLog"), [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Statement query(database, "SELECT id, method, path, http_status, duration_ms, time, error_code "
                                          "FROM \"RequestLog\" ORDER BY id ASC LIMIT ?");
        query.bind(1, limit);
        while (query.executeStep()) {
            Record record;
            record.id = query.getColumn(0).getInt64();
            record.method = QString::fromStdString(query.getColumn(1).getString());
            record.path = QString::fromStdString(query.getColumn(2).getString());
            record.httpStatus = query.getColumn(3).getInt();
            record.durationMs = query.getColumn(4).getInt64();
            record.time = QDateTime::fromString(QString::fromStdString(query.getColumn(5).getString()), kTimeFormat);
            record.time.setTimeSpec(Qt::UTC);
            record.errorCode = QString::fromStdString(query.getColumn(6).getString());
            records.push_back(record);
        }
    });
    return records;
}

bool RequestLogTable::deleteIds(const QList<qint64> &ids)
{
    if (ids.isEmpty())
        return true;
    return MKConnection::shared().run(QStringLiteral("delete RequestLog"), [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Transaction transaction(database);
        SQLite::Statement erase(database, "DELETE FROM \"RequestLog\" WHERE id = ?");
        for (qint64 id : ids) {
            erase.bind(1, static_cast<int64_t>(id));
            erase.exec();
            erase.reset();
        }
        transaction.commit();
    });
}

int RequestLogTable::count() const
{
    int rows = 0;
    MKConnection::shared().run(QStringLiteral("count RequestLog"), [&](SQLite::Database &database) {
        createIfMissing(database);
        rows = database.execAndGet("SELECT COUNT(*) FROM \"RequestLog\"").getInt();
    });
    return rows;
}
