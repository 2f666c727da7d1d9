#pragma once

#include "common/HHUserInfo.h"

#include <QString>

#include <optional>

namespace SQLite {
class Database;
}

// The "User" table: the signed-in user's record as JSON, one row per user id. Each use makes a
// fresh table object on the shared connection, which creates the table when it is missing.
class MKUserTable
{
public:
    MKUserTable();

    // The newest row (by time stamp, then row id) decoded as a user record; nothing when the
    // table is empty or the text does not decode. Reads only.
    std::optional<HHUserInfo> queryUser() const;

    // Stores the record under the user's id, replacing that id's row; without an id a new row.
    [[nodiscard]] bool insertOrReplace(std::optional<qint64> id, const QString &json);
    [[nodiscard]] bool deleteAll();

private:
    static void createIfMissing(SQLite::Database &database);
};
