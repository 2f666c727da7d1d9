#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

class QSaveFile;

// A file is written whole or left as it was.
//
// QSaveFile alone does not promise that: it buffers a small write, so write() reports the whole
// size, and a disk that is full shows only at the flush inside commit(), which (Qt 6.4) still
// renames the short temporary file over the old one and answers true. So every writer here checks
// the write, flushes, syncs, and only then commits; on any failure the temporary file is dropped
// and the old file stays as it was.
//
// Failures are values: the empty string is success, anything else says which file and why, with
// the system's own reason ("No space left on device").
class WholeFile
{
public:
    // Writes `content` to `path` in one piece, making its folder when missing. `permissions`, when
    // given, are the new file's before any byte is in it (secrets never sit readable in a
    // temporary file); otherwise the old file's are kept, or the defaults for a new one.
    static QString write(const QString &path, const QByteArray &content,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);

    // Ends a QSaveFile that was opened and written by its caller (a download, piece by piece):
    // flushes, syncs and commits it, or drops it and returns why.
    static QString commit(QSaveFile &file);

private:
    WholeFile() = delete;
};
