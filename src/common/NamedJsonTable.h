#pragma once

#include <QString>

#include <optional>

namespace SQLite {
class Database;
}

// A table of JSON texts kept by a unique name, with the time each was stored. "Notification"
// and "Host" share this shape; each use creates its table when it is missing.
class NamedJsonTable
{
public:
    // Stores or replaces the row of that name with the current time; an absent text stores NULL.
    [[nodiscard]] bool insertOrReplace(const std::optional<QString> &json, const QString &name);
    // The stored text, or nothing when there is no row (or it holds NULL).
    std::optional<QString> queryJson(const QString &name) const;
    // Deletes the row; a database failure is printed and reported as false.
    [[nodiscard]] bool remove(const QString &name);

    QString tableName() const { return m_table; }

protected:
    explicit NamedJsonTable(const QString &table);

private:
    void createIfMissing(SQLite::Database &database) const;

    QString m_table;
};
