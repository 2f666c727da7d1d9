#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace UrlUtils {

// The value of the first query item of that name; nothing when there is no query, no such item,
// or the item has no "=" (a bare name carries no value).
std::optional<QString> urlQueryValue(const QUrl &url, const QString &name);

// The same from a URL text. Prints "Invalid URL" when the text is no URL and
// "Key 'setting' not found" when the item is missing (that text, whatever the name).
std::optional<QString> urlQueryValueFromString(const QString &name, const QString &urlText);

// A text counts as an absolute address when the whole of it matches "[a-zA-z]+://[^\s]*".
// (The "A-z" range, which also takes "[\]^_`", is how stored addresses have always been told.)
bool isAbsoluteUrlText(const QString &text);

// An address as the service gave it, made absolute on the API domain when it is relative, with
// one "/" between the two ("a/b" and "/a/b" both give "<domain>/a/b"). Absolute addresses stay.
QString onDomain(const QString &domain, const QString &address);

} // namespace UrlUtils
