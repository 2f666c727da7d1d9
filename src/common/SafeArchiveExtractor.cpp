#include "common/SafeArchiveExtractor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include <zip.h>

namespace {

using Result = SafeArchiveExtractor::Result;
using Options = SafeArchiveExtractor::Options;

struct ZipCloser
{
    void operator()(zip_t *zip) const { zip_discard(zip); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using ZipFilePtr = std::unique_ptr<zip_file_t, ZipFileCloser>;

struct Entry
{
    zip_uint64_t index = 0;
    QString name; // sanitised
    bool isFolder = false;
    qint64 declaredSize = 0;
};

Result failure(const QString &message)
{
    Result result;
    result.error = message;
    return result;
}

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString openErrorText(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("not a zip archive");
    case ZIP_ER_INCONS:
        return QStringLiteral("the archive is inconsistent (truncated or damaged)");
    case ZIP_ER_NOENT:
        return QStringLiteral("the archive file does not exist");
    default:
        return zipErrorText(code);
    }
}

QString readErrorText(zip_error_t *error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_WRONGPASSWD:
        return QStringLiteral("wrong password");
    case ZIP_ER_NOPASSWD:
        return QStringLiteral("the entry is encrypted and no password was given");
    case ZIP_ER_CRC:
        return QStringLiteral("checksum mismatch (damaged archive or wrong password)");
    default:
        return QString::fromUtf8(zip_error_strerror(error));
    }
}

bool isSymlinkOrSpecial(zip_t *zip, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0)
        return false;
    if (system != ZIP_OPSYS_UNIX)
        return false;
    const mode_t type = mode_t(attributes >> 16) & S_IFMT;
    return type != 0 && type != S_IFREG && type != S_IFDIR;
}

// Reads the central directory and refuses the archive before anything is written when a name,
// a type, the count or the declared sizes are not acceptable.
Result collectEntries(zip_t *zip, const SafeArchiveExtractor::Limits &limits, std::vector<Entry> &entries)
{
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count < 0)
        return failure(QStringLiteral("cannot read the archive's directory"));
    if (count > limits.maxEntries)
        return failure(QStringLiteral("the archive has %1 entries, more than the allowed %2").arg(count).arg(limits.maxEntries));

    QSet<QString> seen;
    qint64 total = 0;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const char *rawName = zip_get_name(zip, i, 0);
        if (!rawName)
            return failure(QStringLiteral("cannot read the name of entry %1").arg(i));
        const QString raw = QString::fromUtf8(rawName);
        Entry entry;
        entry.index = i;
        entry.isFolder = raw.endsWith(QLatin1Char('/'));
        entry.name = SafeArchiveExtractor::sanitisedEntryName(raw);
        if (entry.name.isEmpty())
            return failure(QStringLiteral("entry \"%1\" would be written outside the target folder").arg(raw));
        if (isSymlinkOrSpecial(zip, i))
            return failure(QStringLiteral("entry \"%1\" is a symlink or special file").arg(raw));
        if (seen.contains(entry.name))
            return failure(QStringLiteral("entry \"%1\" appears twice").arg(raw));
        seen.insert(entry.name);

        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(zip, i, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
            return failure(QStringLiteral("cannot read the size of entry \"%1\"").arg(raw));
        entry.declaredSize = qint64(qMin<zip_uint64_t>(stat.size, zip_uint64_t(std::numeric_limits<qint64>::max())));
        if (entry.declaredSize > limits.maxEntryBytes)
            return failure(QStringLiteral("entry \"%1\" is larger than the allowed %2 bytes").arg(raw).arg(limits.maxEntryBytes));
        total += entry.declaredSize;
        if (total > limits.maxTotalBytes)
            return failure(QStringLiteral("the archive unpacks to more than the allowed %1 bytes").arg(limits.maxTotalBytes));
        entries.push_back(entry);
    }
    return {};
}

// Copies one entry into the staging folder, counting bytes as they come so a header that lies
// about the size gains nothing.
Result writeEntry(zip_t *zip, const Entry &entry, const QString &stage, const Options &options, qint64 &totalWritten)
{
    ZipFilePtr file(options.password.isEmpty()
                        ? zip_fopen_index(zip, entry.index, 0)
                        : zip_fopen_index_encrypted(zip, entry.index, 0, options.password.toUtf8().constData()));
    if (!file)
        return failure(QStringLiteral("cannot open entry \"%1\": %2").arg(entry.name, readErrorText(zip_get_error(zip))));

    const QString path = stage + QLatin1Char('/') + entry.name;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return failure(QStringLiteral("entry \"%1\" conflicts with another entry").arg(entry.name));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failure(QStringLiteral("cannot write entry \"%1\": %2").arg(entry.name, out.errorString()));

    char buffer[64 * 1024];
    qint64 written = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
        if (got < 0)
            return failure(QStringLiteral("cannot read entry \"%1\": %2").arg(entry.name, readErrorText(zip_file_get_error(file.get()))));
        if (got == 0)
            break;
        written += got;
        totalWritten += got;
        if (written > options.limits.maxEntryBytes)
            return failure(QStringLiteral("entry \"%1\" is larger than the allowed %2 bytes").arg(entry.name).arg(options.limits.maxEntryBytes));
        if (totalWritten > options.limits.maxTotalBytes)
            return failure(QStringLiteral("the archive unpacks to more than the allowed %1 bytes").arg(options.limits.maxTotalBytes));
        if (out.write(buffer, got) != got)
            return failure(QStringLiteral("cannot write entry \"%1\": %2").arg(entry.name, out.errorString()));
    }
    const int closeError = zip_fclose(file.release());
    if (closeError != 0)
        return failure(QStringLiteral("cannot read entry \"%1\": %2").arg(entry.name, zipErrorText(closeError)));
    if (!out.flush())
        return failure(QStringLiteral("cannot write entry \"%1\": %2").arg(entry.name, out.errorString()));
    return {};
}

bool renameOver(const QString &from, const QString &to)
{
    // rename(2) replaces an existing file, and a symlink at the destination is replaced itself,
    // never followed.
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Every folder on the way to a destination must be a real folder inside the target: a symlink
// planted there earlier would carry the write elsewhere.
Result checkMergePath(const QString &target, const Entry &entry)
{
    const QStringList parts = entry.name.split(QLatin1Char('/'));
    QString path = target;
    for (int i = 0; i < parts.size(); ++i) {
        path += QLatin1Char('/') + parts.at(i);
        const QFileInfo info(path);
        const bool last = i == parts.size() - 1;
        if (info.isSymLink()) {
            if (last && !entry.isFolder)
                continue;
            return failure(QStringLiteral("\"%1\" in the target folder is a symlink").arg(path));
        }
        if (!info.exists())
            break;
        if ((!last || entry.isFolder) && !info.isDir())
            return failure(QStringLiteral("\"%1\" in the target folder is not a folder").arg(path));
        if (last && !entry.isFolder && info.isDir())
            return failure(QStringLiteral("\"%1\" in the target folder is a folder").arg(path));
    }
    return {};
}

Result placeMerge(const std::vector<Entry> &entries, const QString &stage, const QString &target, Result result)
{
    const QFileInfo targetInfo(target);
    if (targetInfo.isSymLink() && !targetInfo.isDir())
        return failure(QStringLiteral("the target folder \"%1\" is a dangling symlink").arg(target));
    if (targetInfo.exists() && !targetInfo.isDir())
        return failure(QStringLiteral("the target \"%1\" is not a folder").arg(target));
    for (const Entry &entry : entries) {
        Result check = checkMergePath(target, entry);
        if (!check.ok())
            return check;
    }
    for (const Entry &entry : entries) {
        const QString destination = target + QLatin1Char('/') + entry.name;
        const QString folder = entry.isFolder ? destination : QFileInfo(destination).path();
        if (!QDir().mkpath(folder))
            return failure(QStringLiteral("cannot create the folder \"%1\"").arg(folder));
        if (entry.isFolder)
            continue;
        if (!renameOver(stage + QLatin1Char('/') + entry.name, destination))
            return failure(QStringLiteral("cannot move \"%1\" into place").arg(entry.name));
    }
    return result;
}

Result placeReplace(QTemporaryDir &stage, const QString &target, Result result)
{
    const QFileInfo targetInfo(target);
    std::unique_ptr<QTemporaryDir> trash;
    QString old;
    if (targetInfo.exists() || targetInfo.isSymLink()) {
        trash = std::make_unique<QTemporaryDir>(targetInfo.path() + QLatin1String("/.") + targetInfo.fileName() + QLatin1String(".old-XXXXXX"));
        if (!trash->isValid())
            return failure(QStringLiteral("cannot create a folder beside \"%1\"").arg(target));
        old = trash->filePath(QStringLiteral("old"));
        if (!renameOver(target, old))
            return failure(QStringLiteral("cannot move the old \"%1\" aside").arg(target));
    }
    if (!renameOver(stage.path(), target)) {
        if (!old.isEmpty())
            renameOver(old, target);
        return failure(QStringLiteral("cannot move the unpacked folder to \"%1\"").arg(target));
    }
    stage.setAutoRemove(false);
    return result;
}

Result extractOpened(zip_t *zip, const QString &targetFolder, const Options &options)
{
    if (targetFolder.isEmpty())
        return failure(QStringLiteral("no target folder"));
    const QString target = QDir::cleanPath(QFileInfo(targetFolder).absoluteFilePath());
    const QFileInfo targetInfo(target);

    std::vector<Entry> entries;
    Result collected = collectEntries(zip, options.limits, entries);
    if (!collected.ok())
        return collected;

    if (!QDir().mkpath(targetInfo.path()))
        return failure(QStringLiteral("cannot create the folder \"%1\"").arg(targetInfo.path()));
    // Beside the target so the final move is a rename on one file system; QTemporaryDir makes it
    // owner-only with a fresh random name.
    QTemporaryDir stage(targetInfo.path() + QLatin1String("/.") + targetInfo.fileName() + QLatin1String(".unpack-XXXXXX"));
    if (!stage.isValid())
        return failure(QStringLiteral("cannot create a staging folder beside \"%1\"").arg(target));

    int fileCount = 0;
    qint64 declaredTotal = 0;
    for (const Entry &entry : entries) {
        if (!entry.isFolder)
            ++fileCount;
        declaredTotal += entry.declaredSize;
    }

    Result result;
    qint64 written = 0;
    int fileIndex = 0;
    for (const Entry &entry : entries) {
        if (entry.isFolder) {
            if (!QDir(stage.path()).mkpath(entry.name))
                return failure(QStringLiteral("entry \"%1\" conflicts with another entry").arg(entry.name));
            continue;
        }
        Result step = writeEntry(zip, entry, stage.path(), options, written);
        if (!step.ok())
            return step;
        result.entryNames.append(entry.name);
        result.files.append(target + QLatin1Char('/') + entry.name);
        if (options.onFile) {
            SafeArchiveExtractor::Progress progress{entry.name, fileIndex, fileCount, written, declaredTotal};
            if (!options.onFile(progress))
                return failure(QStringLiteral("extraction cancelled"));
        }
        ++fileIndex;
    }

    if (options.placement == SafeArchiveExtractor::Placement::ReplaceFolder)
        return placeReplace(stage, target, result);
    return placeMerge(entries, stage.path(), target, result);
}

} // namespace

QString SafeArchiveExtractor::sanitisedEntryName(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return {};
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return {};
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return {};
    }
    QStringList kept;
    for (const QString &part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part != QLatin1String("."))
            kept.append(part);
    }
    return kept.join(QLatin1Char('/'));
}

SafeArchiveExtractor::Result SafeArchiveExtractor::extractFile(const QString &archivePath, const QString &targetFolder, const Options &options)
{
    int error = 0;
    ZipPtr zip(zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip)
        return failure(QStringLiteral("cannot open the archive: %1").arg(openErrorText(error)));
    return extractOpened(zip.get(), targetFolder, options);
}

SafeArchiveExtractor::Result SafeArchiveExtractor::extractData(const QByteArray &archive, const QString &targetFolder, const Options &options)
{
    if (archive.isEmpty())
        return failure(QStringLiteral("cannot open the archive: it is empty"));
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(archive.constData(), zip_uint64_t(archive.size()), 0, &error);
    if (!source) {
        const QString text = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return failure(QStringLiteral("cannot open the archive: %1").arg(text));
    }
    ZipPtr zip(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!zip) {
        const int code = zip_error_code_zip(&error);
        zip_error_fini(&error);
        zip_source_free(source);
        return failure(QStringLiteral("cannot open the archive: %1").arg(openErrorText(code)));
    }
    zip_error_fini(&error);
    return extractOpened(zip.get(), targetFolder, options);
}
