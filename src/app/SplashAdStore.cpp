#include "app/SplashAdStore.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QUrl>

#include "app/AdImageArchive.h"
#include "common/HHNotificationTable.h"
#include "uikit/ImageCache.h"
#include "common/JsonUtils.h"
#include "common/Logger.h"
#include "common/Localization.h"
#include "common/UrlUtils.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "app/AppLog.h"

const QString SplashAdStore::kRowName = QStringLiteral("splash");

namespace {

// The characters a URL query may carry unencoded; everything else, "%" included, is encoded.
const QByteArray kQueryAllowed = QByteArrayLiteral("!$&'()*+,-./:;=?@_~");

std::optional<QUrl> queryEncodedUrl(const QString &text)
{
    const QUrl url(QString::fromLatin1(QUrl::toPercentEncoding(text, kQueryAllowed)), QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

void defaultDownload(const QString &url, std::function<void(std::optional<QByteArray>, std::optional<QString>)> done)
{
    OONetWork::shared().requestConfigRawData(QStringLiteral("GET"), url,
                                             [done](std::optional<QByteArray> data, std::optional<NetError> error) {
        if (error)
            done(std::nullopt, error->message);
        else
            done(std::move(data), std::nullopt);
    });
}

} // namespace

SplashAdStore::SplashAdStore(QObject *parent)
    : QObject(parent)
    , m_downloader(defaultDownload)
{
}

ImageCache &SplashAdStore::imageCache() const
{
    return ImageCache::shared();
}

std::optional<QString> SplashAdStore::adImageKey(const QString &imgUrl)
{
    const std::optional<QUrl> url = queryEncodedUrl(imgUrl);
    if (!url)
        return std::nullopt;
    return UrlUtils::urlQueryValue(*url, QStringLiteral("fid"));
}

QString SplashAdStore::absoluteImageUrl(const QString &imgUrl, const QString &domain)
{
    if (UrlUtils::isAbsoluteUrlText(imgUrl))
        return imgUrl;
    QString base = domain;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    QString path = imgUrl;
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return base + QLatin1Char('/') + path;
}

std::optional<HHAdModel> SplashAdStore::loadCachedSplashAd() const
{
    const std::optional<QString> text = HHNotificationTable().queryJson(kRowName);
    if (!text)
        return std::nullopt;
    const std::optional<QJsonObject> stored = JsonUtils::jsonObjectFromString(*text);
    if (!stored)
        return std::nullopt;
    const std::optional<QString> language = currentAppLanguage();
    const QJsonValue storedLanguage = stored->value(QStringLiteral("language"));
    if (!language || !storedLanguage.isString() || storedLanguage.toString() != *language)
        return std::nullopt;
    const QJsonValue imgUrl = stored->value(QStringLiteral("img_url"));
    if (!imgUrl.isString())
        return std::nullopt;
    const std::optional<QString> key = adImageKey(imgUrl.toString());
    if (!key || !imageCache().containsDataForKey(*key))
        return std::nullopt;
    return HHAdModel::fromJson(*stored);
}

void SplashAdStore::handleSplashAdList(const std::optional<QJsonObject> &reply)
{
    if (!reply || reply->isEmpty() || !JsonUtils::isTrue(reply->value(QStringLiteral("success"))))
        return;
    HHNotificationTable table;
    const QJsonValue data = reply->value(QStringLiteral("data"));
    const QJsonValue pages = data.toObject().value(QStringLiteral("page_datas"));
    QJsonArray list = pages.toArray();
    bool allDictionaries = pages.isArray();
    for (const QJsonValue &item : std::as_const(list))
        allDictionaries = allDictionaries && item.isObject();
    if (!data.isObject() || !allDictionaries || list.isEmpty() || !HHAdModel::fromJson(list.first().toObject())) {
        forgetRow(table);
        return;
    }
    QJsonObject element = list.first().toObject();
    const QString imgUrl = absoluteImageUrl(element.value(QStringLiteral("img_url")).toString(),
                                            OOHostSafeAdpter::shared().currentDomain());
    if (!queryEncodedUrl(imgUrl)) {
        forgetRow(table);
        return;
    }
    element.insert(QStringLiteral("img_url"), imgUrl);
    const std::optional<QString> key = adImageKey(imgUrl);
    if (!key)
        return;
    if (imageCache().containsDataForKey(*key)) {
        storeRow(element);
        return;
    }
    QPointer<SplashAdStore> self(this);
    const QString downloadUrl = queryEncodedUrl(imgUrl)->toString(QUrl::FullyEncoded);
    m_downloader(downloadUrl, [self, key = *key, element](std::optional<QByteArray> bytes, std::optional<QString> error) {
        if (self)
            self->storeSplashAdImage(bytes, error, key, element);
    });
}

void SplashAdStore::storeSplashAdImage(const std::optional<QByteArray> &data, const std::optional<QString> &error,
                                       const QString &key, const QJsonObject &element)
{
    if (error || !data) {
        qCDebug(lcApp) << "splash picture download failed:" << error.value_or(QString());
        Q_EMIT imageChainFinished(false);
        return;
    }
    const AdImageArchive::Result result =
        AdImageArchive::unpackIntoCache(*data, key, AdImageArchive::Pick::FirstImage, imageCache());
    if (!result.ok()) {
        qCDebug(lcApp) << "splash picture:" << result.error;
        Q_EMIT imageChainFinished(false);
        return;
    }
    storeRow(element);
    Q_EMIT imageChainFinished(true);
}

void SplashAdStore::storeRow(QJsonObject element) const
{
    const std::optional<QString> language = currentAppLanguage();
    if (language)
        element.insert(QStringLiteral("language"), *language);
    else
        element.remove(QStringLiteral("language"));
    // Nobody waits on this chain: a row that could not be written only means no splash next
    // time, which the log should say.
    if (!HHNotificationTable().insertOrReplace(
            QString::fromUtf8(QJsonDocument(element).toJson(QJsonDocument::Compact)), kRowName))
        OSTREL_LOG(Logger::Error, QStringLiteral("splash advertisement row not stored"));
}

void SplashAdStore::forgetRow(HHNotificationTable &table) const
{
    // A withdrawn advertisement that stays in the table would show again at the next start.
    if (!table.remove(kRowName))
        OSTREL_LOG(Logger::Error, QStringLiteral("withdrawn splash advertisement row not removed"));
}
