#include "common/MKUserTable.h"

#include "common/MKConnection.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

MKUserTable::MKUserTable()
{
    MKConnection::shared().run(QStringLiteral("create User"), &MKUserTable::createIfMissing);
}

void MKUserTable::createIfMissing(SQLite::Database &database)
{
    database.exec("CREATE TABLE IF NOT EXISTS \"User\" (id INTEGER PRIMARY KEY, json TEXT, "
                  "timestamp DATE DEFAULT (strftime('%Y-%m-%d %H:%M:%f', 'now')))");
}

std::optional<HHUserInfo> MKUserTable::queryUser() const
{
    std::optional<QString> json;
    MKConnection::shared().run(QStringLiteral("queryUser"), [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Statement query(database, "SELECT json FROM \"User\" ORDER BY timestamp DESC, rowid DESC LIMIT 1");
        if (!query.executeStep() || query.getColumn(0).isNull())
            return;
        json = QString::fromStdString(query.getColumn(0).getString());
    });
    if (!json)
        return std::nullopt;
    return HHUserInfo::fromJsonText(*json);
}

bool MKUserTable::insertOrReplace(std::optional<qint64> id, const QString &json)
{
    return MKConnection::shared().run(QStringLiteral("save User"), [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Statement insert(database, "INSERT OR REPLACE INTO \"User\" (id, json, timestamp) VALUES (?, ?, ?)");
        if (id)
            insert.bind(1, static_cast<int64_t>(*id));
        else
            insert.bind(1);
        insert.bind(2, json.toStdString());
        insert.bind(3, MKConnection::nowTimestamp().toStdString());
        insert.exec();
    });
}

bool MKUserTable::deleteAll()
{
    return MKConnection::shared().run(QStringLiteral("clear User"), [](SQLite::Database &database) {
        createIfMissing(database);
        database.exec("DELETE FROM \"User\"");
    });
}
