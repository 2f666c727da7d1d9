#include "app/AdImageArchive.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include "uikit/ImageCache.h"
#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"
#include "common/SafeArchiveExtractor.h"

namespace {

AdImageArchive::Result failure(const QString &message)
{
    AdImageArchive::Result result;
    result.error = message;
    return result;
}

QImage decodedImage(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    return reader.read();
}

// The picture among the unpacked files, with its bytes; a null image when none decodes.
QImage pickImage(const QStringList &files, AdImageArchive::Pick pick, QByteArray &bytes)
{
    QImage image;
    for (const QString &path : files) {
        const QFileInfo info(path);
        QFile file(path);
        if (!info.isFile() || info.isSymLink() || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray read = file.readAll();
        const QImage decoded = decodedImage(read);
        if (decoded.isNull())
            continue;
        bytes = read;
        image = decoded;
        if (pick == AdImageArchive::Pick::FirstImage)
            break;
    }
    return image;
}

} // namespace

AdImageArchive::Result AdImageArchive::unpackIntoCache(const QByteArray &archive, const QString &key, Pick pick,
                                                       ImageCache &cache)
{
    if (archive.isEmpty())
        return failure(QStringLiteral("the archive is empty"));
    if (archive.size() > kMaxArchiveBytes)
        return failure(QStringLiteral("the archive is too large: %1 bytes").arg(archive.size()));
    // A folder of its own for every call: two rounds never share a file, and nothing of the
    // archive stays behind when the call ends.
    AppPaths::ensureFolder(AppPaths::cachesFolder(), true);
    QTemporaryDir scratch(AppPaths::cachesFolder() + QStringLiteral("/ad-image-XXXXXX"));
    if (!scratch.isValid())
        return failure(QStringLiteral("no temporary folder: %1").arg(scratch.errorString()));
    SafeArchiveExtractor::Options options;
    options.password = ProtocolConfig::resourceArchivePassword();
    options.limits.maxEntries = 64;
    options.limits.maxEntryBytes = kMaxArchiveBytes;
    options.limits.maxTotalBytes = 4 * kMaxArchiveBytes;
    const SafeArchiveExtractor::Result unpacked =
        SafeArchiveExtractor::extractData(archive, scratch.filePath(QStringLiteral("ad")), options);
    if (!unpacked.ok())
        return failure(QStringLiteral("the archive was refused: %1").arg(unpacked.error));
    QByteArray bytes;
    Result result;
    result.image = pickImage(unpacked.files, pick, bytes);
    if (result.image.isNull())
        return failure(QStringLiteral("the archive holds no picture"));
    const ImageCache::Result stored = cache.setDataForKey(bytes, key);
    if (!stored.ok())
        return failure(QStringLiteral("the picture was not cached: %1").arg(stored.error));
    return result;
}
