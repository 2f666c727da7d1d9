#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QVariant>

#include <optional>

// Nothing in the client calls these yet; they are kept for reading loosely typed service values.
// Small conversions from a loosely typed value (a text, a number or nothing) to a typed one; the
// last three read a text as JSON, bare numbers and literals at the top level included. Every
// failure is "nothing"; only text that is not JSON at all says so on the standard output.
class JsonValueConversions
{
public:
    // The value when it is a text.
    static std::optional<QString> stringFromObject(const QVariant &object);
    // A number as it is; any text read as JSON, giving the first element of a list of numbers.
    static std::optional<double> numberFromObject(const QVariant &object);
    static std::optional<QJsonObject> dictionaryFromJSONText(const QVariant &object);
    static std::optional<QJsonArray> arrayFromJSONText(const QVariant &object);

private:
    JsonValueConversions() = delete;
    static std::optional<QJsonValue> parse(const QVariant &object);
};
