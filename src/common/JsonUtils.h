#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// JSON helpers shared by every reader of server and page data.
namespace JsonUtils {

// The object the text holds; nothing when the text is not JSON or not an object.
std::optional<QJsonObject> jsonObjectFromString(const QString &text);

// The service writes its flags either as JSON booleans or as the numbers 0 and 1, and readers
// must accept both.
// True for JSON true and for the number 1.
bool isTrue(const QJsonValue &value);
// True for a JSON Boolean and for the numbers 0 and 1.
bool isBool(const QJsonValue &value);
// An integral number (a Boolean counts as 0 or 1); nothing for texts, fractions and the rest.
std::optional<qint64> intValue(const QJsonValue &value);

} // namespace JsonUtils
