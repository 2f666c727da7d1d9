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

std::optional<qint64> intValue(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    // Outside this range a double no longer holds every integer, and the cast would be undefined.
    constexpr double kLimit = 9007199254740992.0; // 2^53
    if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > kLimit)
        return std::nullopt;
    return static_cast<qint64>(number);
}

} // namespace JsonUtils
