#include "uikit/ImageCache.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <limits>

#include "common/AppPaths.h"
#include "common/Hashing.h"
#include "common/WholeFile.h"

ImageCache &ImageCache::shared()
{
    static ImageCache cache(AppPaths::cachesFolder() + QStringLiteral("/images"));
    return cache;
}

ImageCache::ImageCache(const QString &folder, qint64 memoryLimitBytes)
    : m_folder(folder)
    , m_memory(int(qBound<qint64>(1, memoryLimitBytes / 1024, qint64(std::numeric_limits<int>::max()))))
{
}

QString ImageCache::cachePathForKey(const QString &key) const
{
    return m_folder + QLatin1Char('/') + Hashing::md5Hex(key.toUtf8());
}

bool ImageCache::containsDataForKey(const QString &key) const
{
    return !key.isEmpty() && QFile::exists(cachePathForKey(key));
}

QByteArray ImageCache::dataForKey(const QString &key) const
{
    if (key.isEmpty())
        return {};
    QFile file(cachePathForKey(key));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxImageBytes)
        return {};
    return file.readAll();
}

QImage ImageCache::imageFromMemoryCacheForKey(const QString &key) const
{
    const QImage *image = m_memory.object(key);
    return image ? *image : QImage();
}

QImage ImageCache::imageFromDiskCacheForKey(const QString &key)
{
    const QImage image = decode(dataForKey(key));
    if (!image.isNull())
        remember(key, image);
    return image;
}

QImage ImageCache::imageFromCacheForKey(const QString &key)
{
    const QImage image = imageFromMemoryCacheForKey(key);
    return image.isNull() ? imageFromDiskCacheForKey(key) : image;
}

quint64 ImageCache::beginRequest(const QString &key)
{
    return m_requests[key].ask();
}

ImageCache::Result ImageCache::setDataForKey(const QByteArray &data, const QString &key, quint64 ticket)
{
    if (key.isEmpty())
        return {QStringLiteral("no image key")};
    LatestAnswer &requests = m_requests[key];
    ticket = requests.numbered(ticket);
    if (requests.stale(ticket))
        return {QStringLiteral("a newer picture for this key is stored already")};
    if (data.size() > MaxImageBytes)
        return {QStringLiteral("the picture is larger than %1 bytes").arg(MaxImageBytes)};
    const QImage image = decode(data);
    if (image.isNull())
        return {QStringLiteral("the data is not a picture")};
    if (!AppPaths::ensureFolder(m_folder, true))
        return {QStringLiteral("cannot create the image cache folder")};

    // Written whole or not at all, so a reader never meets half a picture: on a full disk the key
    // simply has no entry (or keeps its older one).
    if (const QString error = WholeFile::write(cachePathForKey(key), data); !error.isEmpty())
        return {error};
    requests.taken(ticket);
    remember(key, image);
    return {};
}

void ImageCache::removeDataForKey(const QString &key)
{
    m_memory.remove(key);
    if (!key.isEmpty())
        QFile::remove(cachePathForKey(key));
}

QImage ImageCache::decode(const QByteArray &data) const
{
    if (data.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&buffer);
    return reader.read();
}

void ImageCache::remember(const QString &key, const QImage &image)
{
    const qint64 cost = qMax<qint64>(1, image.sizeInBytes() / 1024);
    if (cost > m_memory.maxCost())
        return;
    m_memory.insert(key, new QImage(image), int(cost));
}
