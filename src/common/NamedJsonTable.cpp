#include "common/NamedJsonTable.h"

#include "common/MKConnection.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

NamedJsonTable::NamedJsonTable(const QString &table)
    : m_table(table)
{
    MKConnection::shared().run(QStringLiteral("create ") + m_table,
                               [this](SQLite::Database &database) { createIfMissing(database); });
}

void NamedJsonTable::createIfMissing(SQLite::Database &database) const
{
    // The table name is one of our own constants, never data, so it may be part of the text.
    database.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (name TEXT UNIQUE, json TEXT, timestamp DATE)")
                      .arg(m_table).toStdString());
}

bool NamedJsonTable::insertOrReplace(const std::optional<QString> &json, const QString &name)
{
    return MKConnection::shared().run(QStringLiteral("insertOrReplace in ") + m_table, [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Statement insert(database, QStringLiteral("INSERT OR REPLACE INTO \"%1\" (name, json, timestamp) VALUES (?, ?, ?)")
                                               .arg(m_table).toStdString());
        insert.bind(1, name.toStdString());
        if (json)
            insert.bind(2, json->toStdString());
        else
            insert.bind(2);
        insert.bind(3, MKConnection::nowTimestamp().toStdString());
        insert.exec();
    });
}

std::optional<QString> NamedJsonTable::queryJson(const QString &name) const
{
    std::optional<QString> result;
    MKConnection::shared().run(QStringLiteral("queryJson in ") + m_table, [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Statement query(database, QStringLiteral("SELECT json FROM \"%1\" WHERE name = ?").arg(m_table).toStdString());
        query.bind(1, name.toStdString());
        if (!query.executeStep() || query.getColumn(0).isNull())
            return;
        result = QString::fromStdString(query.getColumn(0).getString());
    });
    return result;
}

bool NamedJsonTable::remove(const QString &name)
{
    return MKConnection::shared().run(QStringLiteral("delete in ") + m_table, [&](SQLite::Database &database) {
        createIfMissing(database);
        SQLite::Statement erase(database, QStringLiteral("DELETE FROM \"%1\" WHERE name = ?").arg(m_table).toStdString());
        erase.bind(1, name.toStdString());
        erase.exec();
    });
}
