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
// The largest whole number a JSON number (a double) holds exactly: 2^53.
constexpr qint64 kMaxExactInteger = 9007199254740992;

// The one integer reader for JSON: a number without a fractional part within +-2^53. Nothing for
// texts, Booleans, fractions, and numbers past that range, where digits are lost and a cast to
// an integer type would be undefined.
std::optional<qint64> integer(const QJsonValue &value);
// As integer(), inside [low, high] only.
std::optional<qint64> integerIn(const QJsonValue &value, qint64 low, qint64 high);
// As integer(), and a Boolean counts as 0 or 1.
std::optional<qint64> intValue(const QJsonValue &value);

} // namespace JsonUtils
