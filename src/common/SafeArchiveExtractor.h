#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Unpacks zip archives that come from the network (advertisement pictures, page packages,
// access-control lists) without trusting them. Every entry must stay inside the target folder:
// names with "..", absolute names, drive letters and backslashes are refused, symlink and device
// entries are refused, and a symlink already on disk is never followed. Entry count, each entry's
// size and the total size are capped, and sizes are counted while reading, so a lying header
// gains nothing. A truncated or garbage archive, a missing or wrong password and a cancelled run
// are errors.
//
// Nothing lands in the target folder until the whole archive has been read: entries go to a
// fresh owner-only folder beside the target (same file system, so the final step is a rename)
// and are moved into place only when all of them were written and every destination was checked.
// A failure before that leaves the target as it was; the staging folder is always removed. The
// moves themselves are renames within one file system, which do not fail on a folder we could
// write into a moment before.
//
// The calls block while they read and write; run them on a worker thread for large archives.
class SafeArchiveExtractor
{
public:
    enum class Placement {
        // Entries are moved into the target folder, replacing files of the same name and leaving
        // every other file there alone (the private folder holds more than one archive's files).
        Merge,
        // The target folder becomes exactly the archive's contents (a page package).
        ReplaceFolder,
    };

    struct Limits
    {
        int maxEntries = 4096;
        qint64 maxEntryBytes = 64 * 1024 * 1024;
        qint64 maxTotalBytes = 256 * 1024 * 1024;
    };

    // One regular file written to the staging folder. `name` is the entry's relative path with
    // "/" separators; `index` counts files from 0 up to `count` - 1.
    struct Progress
    {
        QString name;
        int index = 0;
        int count = 0;
        qint64 bytesDone = 0;  // uncompressed bytes written so far, this file included
        qint64 bytesTotal = 0; // uncompressed bytes the archive declares
    };
    // Called once per file as it is written; answering false cancels the run (nothing is kept).
    using ProgressCallback = std::function<bool(const Progress &)>;

    struct Options
    {
        QString password; // empty: entries must not be encrypted
        Limits limits;
        Placement placement = Placement::Merge;
        ProgressCallback onFile;
    };

    struct Result
    {
        bool ok() const { return error.isEmpty(); }
        QString error;          // empty on success; never contains the password
        QStringList files;      // absolute paths of the files now in the target, in archive order
        QStringList entryNames; // the same files as relative entry names
    };

    static Result extractFile(const QString &archivePath, const QString &targetFolder, const Options &options);
    static Result extractData(const QByteArray &archive, const QString &targetFolder, const Options &options);

    // The sanitised relative path for an entry name, or an empty string when the name may not be
    // written anywhere (absolute, "..", backslash, drive letter, control characters). "./" parts
    // and repeated separators are dropped.
    static QString sanitisedEntryName(const QString &name);

private:
    SafeArchiveExtractor() = delete;
};
