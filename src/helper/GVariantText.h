#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The text form of the few GVariant types the proxy schema uses, as `gsettings get` prints them
// and `gsettings set` parses them.
namespace GVariantText {

QString quote(const QString &text);
QString stringArray(const QStringList &list);

std::optional<QString> parseString(const QString &text);
std::optional<QStringList> parseStringArray(const QString &text);
std::optional<int> parseInt(const QString &text);

} // namespace GVariantText
