#include "common/JsonUtils.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace JsonUtils {

std::optional<QJsonObject> jsonObjectFromString(const QString &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

bool isTrue(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool();
    return value.isDouble() && value.toDouble() == 1.0;
}

bool isBool(const QJsonValue &value)
{
    if (value.isBool())
        return true;
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return number == 0.0 || number == 1.0;
}

std::optional<qint64> integer(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    constexpr double kLimit = static_cast<double>(kMaxExactInteger);
    if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > kLimit)
        return std::nullopt;
    return static_cast<qint64>(number);
}

std::optional<qint64> integerIn(const QJsonValue &value, qint64 low, qint64 high)
{
    const std::optional<qint64> number = integer(value);
    if (!number || *number < low || *number > high)
        return std::nullopt;
    return number;
}

std::optional<qint64> intValue(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    return integer(value);
}

} // namespace JsonUtils
