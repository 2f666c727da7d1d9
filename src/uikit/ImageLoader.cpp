#include "uikit/ImageLoader.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include "common/ProcessTeardown.h"
#include "networking/StartRestoreGate.h"
#include "uikit/ImageCache.h"

ImageLoader &ImageLoader::shared()
{
    static ImageLoader loader(ImageCache::shared());
    return loader;
}

ImageLoader::ImageLoader(ImageCache &cache, QObject *parent)
    : QObject(parent)
    , m_cache(cache)
{
}

QNetworkAccessManager *ImageLoader::network()
{
    if (m_network)
        return m_network;
    m_network = new QNetworkAccessManager(this);
    // Its network thread ends while the application object is whole: the shared loader itself
    // goes only with the program's statics, and a TLS connection closed then looks for Qt's TLS
    // back-end without an application.
    ProcessTeardown::add(this, [this] { m_network->clearConnectionCache(); });
    return m_network;
}

void ImageLoader::load(const QUrl &url, const QString &key, QObject *target, Completion done)
{
    const QString cacheKey = key.isEmpty() ? url.toString(QUrl::FullyEncoded) : key;
    const quint64 generation = m_nextGeneration++;
    QPointer<QObject> guard(target);
    const bool hasTarget = target != nullptr;
    if (target) {
        if (!m_generation.contains(target))
            connect(target, &QObject::destroyed, this, [this, target] { m_generation.remove(target); });
        m_generation.insert(target, generation);
    }

    const QImage cached = m_cache.imageFromCacheForKey(cacheKey);
    if (!cached.isNull() || !url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        const QString error = cached.isNull() ? QStringLiteral("not a picture address") : QString();
        QTimer::singleShot(0, this, [this, hasTarget, guard, generation, cached, error, done] {
            if (isCurrent(hasTarget, guard, generation) && done)
                done(cached, error);
        });
        return;
    }

    fetch(url, cacheKey, {hasTarget, guard, generation}, done);
}

void ImageLoader::fetch(const QUrl &url, const QString &cacheKey, const Asker &asker, const Completion &done)
{
    // A picture of the start (a splash ad kept from the last run) needs no API answer first: it
    // waits for the start's restore as the API's requests do.
    if (StartRestoreGate::deferWhileRestoring(this, url, [=, this] { fetch(url, cacheKey, asker, done); }))
        return;
    const quint64 ticket = m_cache.beginRequest(cacheKey);
    QNetworkRequest request(url);
    request.setTransferTimeout(TimeoutMs);
    QNetworkReply *reply = network()->get(request);
    // A picture larger than the cache takes is cut off rather than read whole into memory.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > ImageCache::MaxImageBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, cacheKey, ticket, asker, done] {
        finished(reply, cacheKey, ticket, asker, done);
    });
}

void ImageLoader::cancel(QObject *target)
{
    if (target && m_generation.contains(target))
        m_generation.insert(target, m_nextGeneration++);
}

bool ImageLoader::isCurrent(bool hasTarget, const QPointer<QObject> &target, quint64 generation) const
{
    if (!hasTarget)
        return true;
    return !target.isNull() && m_generation.value(target.data()) == generation;
}

void ImageLoader::finished(QNetworkReply *reply, const QString &key, quint64 ticket, const Asker &asker, const Completion &done)
{
    reply->deleteLater();
    QImage image;
    QString error;
    if (reply->error() != QNetworkReply::NoError) {
        error = reply->errorString();
    } else {
        const ImageCache::Result stored = m_cache.setDataForKey(reply->readAll(), key, ticket);
        // A newer request's picture won the key; this one's bytes were still a picture.
        image = m_cache.imageFromCacheForKey(key);
        if (!stored.ok() && image.isNull())
            error = stored.error;
    }
    if (isCurrent(asker.hasTarget, asker.target, asker.generation) && done)
        done(image, error);
    Q_EMIT downloadHandled(reply->url());
}
