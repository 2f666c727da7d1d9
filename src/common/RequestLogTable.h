#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace SQLite {
class Database;
}

// The "RequestLog" table: one row per API request, read oldest first for upload and deleted
// once uploaded. The table keeps only the newest kMaxRows rows, so a client that never uploads
// (switch off, service down) cannot grow it without bound.
//
// Only the URL's path is kept, never its query or any header: a row must hold no token.
class RequestLogTable
{
public:
    static constexpr int kMaxRows = 500;

    struct Record
    {
        qint64 id = 0;            // assigned on insert
        QString method;
        QString path;
        int httpStatus = 0;       // 0 when no response arrived
        qint64 durationMs = 0;
        QDateTime time;           // when the request started (UTC, ms)
        QString errorCode;        // transport error or the envelope's "error_code"; empty when none
    };

    RequestLogTable();

    [[nodiscard]] bool insert(const Record &record);
    std::vector<Record> fetchOldest(int limit) const;
    [[nodiscard]] bool deleteIds(const QList<qint64> &ids);
    int count() const;

private:
    static void createIfMissing(SQLite::Database &database);
};
