#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

// Every argument that reaches a backend passes these checks first. Backends hand values to
// other programs and files, so the accepted alphabets are deliberately narrow: no white space,
// no quotes, no control characters, bounded lengths.
namespace HelperValidation {

constexpr int kMaxIgnoreEntries = 64;
constexpr int kMaxEntryLength = 253;
constexpr int kMaxUrlLength = 2048;

// A control character anywhere (C0, DEL, C1, line and paragraph separators). Checked on every
// argument of every request before any method sees it: one of them inside a value would split a
// line of a settings file, and the per-value patterns below are not the only line of defence.
bool hasControlCharacter(const QString &text);
// The same over a whole JSON value: texts, object keys, and array items at any depth.
bool hasControlCharacter(const QJsonValue &value);

// A JSON number that is an integer in 1..65535.
std::optional<int> port(const QJsonValue &value);
// As port(), but 0 (unset) is allowed too.
std::optional<int> portOrZero(const QJsonValue &value);
// A host name, an IPv4 address or an IPv6 address (no brackets).
bool isHost(const QString &text);
// A literal IPv4 or IPv6 address.
bool isAddress(const QString &text);
// A proxy exception: a host, a wildcard host ("*.example.com"), an address or a network
// ("10.0.0.0/8", "FE80::/64").
bool isExceptionEntry(const QString &text);
// An http, https or file URL made of URL characters only.
bool isPacUrl(const QString &text);

// A JSON array of exception entries; nullopt with a reason when any entry is refused.
std::optional<QStringList> exceptionList(const QJsonValue &value, QString *error);

} // namespace HelperValidation
