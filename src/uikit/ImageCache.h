#pragma once

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QString>

#include "common/LatestAnswer.h"

// Remote pictures kept by key: the advertisement and banner images under their "fid", flags
// under their address, feedback pictures under their "fid". A disk layer in the caches folder
// (one file per key, named by the key's MD5 so a key like "../x" names nothing outside the
// folder) and a small memory layer of decoded images, least recently used first out.
//
// Only bytes that decode as an image are stored, so a server error page or a half download never
// poses as a picture. Stores carry a request ticket: a download that was started before another
// one for the same key and finishes after it never replaces the newer one's picture.
//
// It lives with the kit rather than the core because checking that bytes decode needs Qt Gui's
// image readers. Main thread only.
class ImageCache
{
public:
    struct Result
    {
        bool ok() const { return error.isEmpty(); }
        QString error;
    };

    // The process-wide cache in <caches>/images.
    static ImageCache &shared();

    explicit ImageCache(const QString &folder, qint64 memoryLimitBytes = 32 * 1024 * 1024);

    QString folder() const { return m_folder; }
    QString cachePathForKey(const QString &key) const;

    bool containsDataForKey(const QString &key) const;
    QByteArray dataForKey(const QString &key) const;
    QImage imageFromMemoryCacheForKey(const QString &key) const;
    QImage imageFromDiskCacheForKey(const QString &key);
    // Memory first, then disk.
    QImage imageFromCacheForKey(const QString &key);

    // Starts a request for the key: its ticket outranks every earlier one. Pass it to
    // setDataForKey when the bytes arrive.
    quint64 beginRequest(const QString &key);
    // Stores the bytes when they decode as an image and no later request for the key has stored
    // its result already. Without a ticket the store counts as the newest request.
    Result setDataForKey(const QByteArray &data, const QString &key, quint64 ticket = 0);
    void removeDataForKey(const QString &key);

    static constexpr qint64 MaxImageBytes = 20 * 1024 * 1024;

private:
    QImage decode(const QByteArray &data) const;
    void remember(const QString &key, const QImage &image);

    QString m_folder;
    mutable QCache<QString, QImage> m_memory; // cost in kilobytes
    // Per key: the tickets are that key's request numbers.
    QHash<QString, LatestAnswer> m_requests;
};
