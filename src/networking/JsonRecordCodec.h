#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>
#include <variant>
#include <vector>

#include "common/JsonFields.h"

// Decoding and encoding of a plain record by its declared keys, written once as a table of
// (JSON key, member) pairs. Every field is optional; a missing or null key leaves it empty, a key
// of another JSON type fails the whole record, and undeclared keys are ignored. Encoding writes
// the present fields in table order.
template <typename Record>
class JsonRecordCodec
{
public:
    using Text = std::optional<QString> Record::*;
    using Integer = std::optional<qint64> Record::*;
    using Boolean = std::optional<bool> Record::*;
    using TextList = std::optional<QStringList> Record::*;

    struct Field
    {
        QString key;
        std::variant<Text, Integer, Boolean, TextList> member;
    };

    JsonRecordCodec(std::initializer_list<Field> fields)
        : m_fields(fields)
    {
    }

    bool decodeInto(const QJsonObject &json, Record &record) const
    {
        JsonFields reader(json);
        for (const Field &field : m_fields) {
            if (const auto *text = std::get_if<Text>(&field.member))
                record.*(*text) = reader.text(field.key);
            else if (const auto *integer = std::get_if<Integer>(&field.member))
                record.*(*integer) = reader.integer(field.key);
            else if (const auto *boolean = std::get_if<Boolean>(&field.member))
                record.*(*boolean) = reader.boolean(field.key);
            else if (!readTextList(json.value(field.key), record.*std::get<TextList>(field.member)))
                return false;
        }
        return reader.ok();
    }

    std::optional<Record> decode(const QJsonObject &json) const
    {
        Record record;
        if (!decodeInto(json, record))
            return std::nullopt;
        return record;
    }

    void encodeInto(const Record &record, QJsonObject &json) const
    {
        for (const Field &field : m_fields) {
            if (const auto *text = std::get_if<Text>(&field.member))
                JsonFields::put(json, field.key, record.*(*text));
            else if (const auto *integer = std::get_if<Integer>(&field.member))
                JsonFields::put(json, field.key, record.*(*integer));
            else if (const auto *boolean = std::get_if<Boolean>(&field.member))
                JsonFields::put(json, field.key, record.*(*boolean));
            else if (const std::optional<QStringList> &list = record.*std::get<TextList>(field.member))
                json.insert(field.key, QJsonArray::fromStringList(*list));
        }
    }

    QJsonObject encode(const Record &record) const
    {
        QJsonObject json;
        encodeInto(record, json);
        return json;
    }

private:
    // A list of texts: absent or null is fine, anything but an array of texts fails.
    static bool readTextList(const QJsonValue &value, std::optional<QStringList> &out)
    {
        out.reset();
        if (value.isUndefined() || value.isNull())
            return true;
        if (!value.isArray())
            return false;
        QStringList list;
        for (const QJsonValue &item : value.toArray()) {
            if (!item.isString())
                return false;
            list << item.toString();
        }
        out = list;
        return true;
    }

    std::vector<Field> m_fields;
};

// Gives a record its fromJson/toJson from the codec it declares:
//   class R : public JsonRecord<R> { public: static const JsonRecordCodec<R> &codec(); ... };
template <typename Derived>
class JsonRecord
{
public:
    static std::optional<Derived> fromJson(const QJsonObject &json) { return Derived::codec().decode(json); }
    QJsonObject toJson() const { return Derived::codec().encode(static_cast<const Derived &>(*this)); }
};
