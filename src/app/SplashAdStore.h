#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include "app/HHAdModel.h"

class HHNotificationTable;
class ImageCache;

// The cached splash advertisement: the "splash" row of the notification table (the
// advertisement as the service sent it, its picture address made absolute, plus the language it
// was stored for) and its picture in the image cache under the "fid" of the picture address.
//
// The picture arrives as a password-protected archive, unpacked by `AdImageArchive`; of several
// pictures the first one is cached.
class SplashAdStore : public QObject
{
    Q_OBJECT
public:
    static const QString kRowName;                  // "splash"

    // Downloads the bytes at the address; the completion gets them or an error text.
    using Downloader = std::function<void(const QString &url,
                                          std::function<void(std::optional<QByteArray>, std::optional<QString>)>)>;

    explicit SplashAdStore(QObject *parent = nullptr);

    // The picture's cache key: the "fid" query value of the picture address. Storing and loading
    // both come here, so they always agree.
    static std::optional<QString> adImageKey(const QString &imgUrl);
    // A picture address as stored: absolute addresses as they are, others joined to the current
    // API domain with exactly one "/".
    static QString absoluteImageUrl(const QString &imgUrl, const QString &domain);

    // The stored advertisement when it was stored for the current language and its picture is in
    // the cache; nothing otherwise.
    std::optional<HHAdModel> loadCachedSplashAd() const;
    // The advertisement list reply (nothing on a transport failure). A failed or unsuccessful
    // reply keeps what is stored; a successful one without a usable advertisement removes it.
    void handleSplashAdList(const std::optional<QJsonObject> &reply);
    // The downloaded archive of an advertisement's picture.
    void storeSplashAdImage(const std::optional<QByteArray> &data, const std::optional<QString> &error,
                            const QString &key, const QJsonObject &element);

    void setDownloader(Downloader downloader) { m_downloader = std::move(downloader); }
    ImageCache &imageCache() const;

Q_SIGNALS:
    // The end of one round of the chain that reached the picture step (tests wait on it): true
    // when the advertisement was stored.
    void imageChainFinished(bool stored);

private:
    // Stores the advertisement with the current language.
    void storeRow(QJsonObject element) const;
    void forgetRow(HHNotificationTable &table) const;

    Downloader m_downloader;
};
