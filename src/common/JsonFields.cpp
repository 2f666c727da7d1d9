#include "common/JsonFields.h"

#include "common/JsonUtils.h"


bool JsonFields::present(const QString &key) const
{
    const QJsonValue value = m_object.value(key);
    return !value.isUndefined() && !value.isNull();
}

std::optional<QString> JsonFields::text(const QString &key)
{
    if (!present(key))
        return std::nullopt;
    const QJsonValue value = m_object.value(key);
    if (!value.isString()) {
        m_ok = false;
        return std::nullopt;
    }
    return value.toString();
}

std::optional<qint64> JsonFields::integer(const QString &key)
{
    if (!present(key))
        return std::nullopt;
    // JSON has one number type; an integer field takes any number without a fractional part.
    const std::optional<qint64> number = JsonUtils::integer(m_object.value(key));
    if (!number)
        m_ok = false;
    return number;
}

std::optional<bool> JsonFields::boolean(const QString &key)
{
    if (!present(key))
        return std::nullopt;
    const QJsonValue value = m_object.value(key);
    if (!value.isBool()) {
        m_ok = false;
        return std::nullopt;
    }
    return value.toBool();
}

std::optional<QJsonObject> JsonFields::object(const QString &key)
{
    if (!present(key))
        return std::nullopt;
    const QJsonValue value = m_object.value(key);
    if (!value.isObject()) {
        m_ok = false;
        return std::nullopt;
    }
    return value.toObject();
}

void JsonFields::put(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
    else
        object.remove(key);
}

void JsonFields::put(QJsonObject &object, const QString &key, const std::optional<qint64> &value)
{
    if (value)
        object.insert(key, QJsonValue(*value));
    else
        object.remove(key);
}

void JsonFields::put(QJsonObject &object, const QString &key, const std::optional<bool> &value)
{
    if (value)
        object.insert(key, *value);
    else
        object.remove(key);
}
