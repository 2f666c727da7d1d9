#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// Strict readers for records decoded by declared keys: a missing or null key is "absent" (fine),
// a key of another JSON type is an error (the record fails to decode).
class JsonFields
{
public:
    explicit JsonFields(const QJsonObject &object) : m_object(object) {}

    std::optional<QString> text(const QString &key);
    std::optional<qint64> integer(const QString &key);
    std::optional<bool> boolean(const QString &key);
    std::optional<QJsonObject> object(const QString &key);

    // False once any key read so far had the wrong type.
    bool ok() const { return m_ok; }

    // Writers for encoding: an absent value removes the key, so a re-encoded record never
    // carries a stale value for a field that was cleared.
    static void put(QJsonObject &object, const QString &key, const std::optional<QString> &value);
    static void put(QJsonObject &object, const QString &key, const std::optional<qint64> &value);
    static void put(QJsonObject &object, const QString &key, const std::optional<bool> &value);

private:
    bool present(const QString &key) const;

    QJsonObject m_object;
    bool m_ok = true;
};
