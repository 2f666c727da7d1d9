#include "settings/unreached/JsonValueConversions.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cstdio>

namespace {

bool isNumber(const QVariant &object)
{
    switch (object.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Short: case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<QString> JsonValueConversions::stringFromObject(const QVariant &object)
{
    if (object.metaType().id() != QMetaType::QString)
        return std::nullopt;
    return object.toString();
}

std::optional<QJsonValue> JsonValueConversions::parse(const QVariant &object)
{
    if (object.metaType().id() != QMetaType::QString)
        return std::nullopt;
    // Wrapping the text in a list lets a bare number, text or literal at the top level parse,
    // as a fragment-tolerant reader would; a text that is not one JSON value breaks the wrapper.
    const QByteArray wrapped = "[" + object.toString().toUtf8() + "\n]";
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1
        || object.toString().trimmed().isEmpty()) {
        std::fputs("faild to get json data\n", stdout);
        std::fflush(stdout);
        return std::nullopt;
    }
    return document.array().first();
}

std::optional<double> JsonValueConversions::numberFromObject(const QVariant &object)
{
    if (!object.isValid() || object.isNull())
        return std::nullopt;
    if (isNumber(object))
        return object.toDouble();
    const std::optional<QJsonValue> value = parse(object);
    if (!value || !value->isArray())
        return std::nullopt;
    const QJsonArray list = value->toArray();
    for (const QJsonValue &item : list) {
        if (!item.isDouble())
            return std::nullopt;
    }
    if (list.isEmpty())
        return std::nullopt;
    return list.first().toDouble();
}

std::optional<QJsonObject> JsonValueConversions::dictionaryFromJSONText(const QVariant &object)
{
    const std::optional<QJsonValue> value = parse(object);
    if (!value || !value->isObject())
        return std::nullopt;
    return value->toObject();
}

std::optional<QJsonArray> JsonValueConversions::arrayFromJSONText(const QVariant &object)
{
    const std::optional<QJsonValue> value = parse(object);
    if (!value || !value->isArray())
        return std::nullopt;
    return value->toArray();
}
