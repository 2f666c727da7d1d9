#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The desktop stores that the file-based backends edit: read whole (a missing file reads as
// empty; an oversized or unreadable one is an error, never a partial read) and replaced
// whole or not at all (WholeFile), so neither a crash nor a full disk leaves them half written.
namespace BackendFile {

std::optional<QByteArray> read(const QString &path, qint64 maxSize, QString *error);
// Creates the folder when needed; an error text, or empty on success.
QString write(const QString &path, const QByteArray &content);

} // namespace BackendFile
