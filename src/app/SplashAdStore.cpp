#include "app/SplashAdStore.h"

#include <QBuffer>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QTemporaryDir>
#include <QUrl>

#include "common/AppPaths.h"
#include "common/HHNotificationTable.h"
#include "app/uikit/ImageCache.h"
#include "common/JsonUtils.h"
#include "common/Logger.h"
#include "common/Localization.h"
#include "common/ProtocolConfig.h"
#include "common/SafeArchiveExtractor.h"
#include "common/UrlUtils.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"

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
        qDebug() << "splash picture download failed:" << error.value_or(QString());
        Q_EMIT imageChainFinished(false);
        return;
    }
    if (data->size() > kMaxArchiveBytes) {
        qDebug() << "splash picture archive too large:" << data->size();
        Q_EMIT imageChainFinished(false);
        return;
    }
    // A folder of its own for every round: two rounds never share a file, and nothing of the
    // archive stays behind when the round ends, whatever happened.
    AppPaths::ensureFolder(AppPaths::cachesFolder(), true);
    QTemporaryDir scratch(AppPaths::cachesFolder() + QStringLiteral("/splash-XXXXXX"));
    if (!scratch.isValid()) {
        qDebug() << "splash picture: no temporary folder:" << scratch.errorString();
        Q_EMIT imageChainFinished(false);
        return;
    }
    SafeArchiveExtractor::Options options;
    options.password = ProtocolConfig::resourceArchivePassword();
    options.limits.maxEntries = 64;
    options.limits.maxEntryBytes = kMaxArchiveBytes;
    options.limits.maxTotalBytes = 4 * kMaxArchiveBytes;
    const SafeArchiveExtractor::Result result =
        SafeArchiveExtractor::extractData(*data, scratch.filePath(QStringLiteral("ad")), options);
    if (!result.ok()) {
        qDebug() << "splash picture archive refused:" << result.error;
        Q_EMIT imageChainFinished(false);
        return;
    }
    if (!cacheFirstImage(result.files, key)) {
        qDebug() << "splash picture archive holds no picture";
        Q_EMIT imageChainFinished(false);
        return;
    }
    storeRow(element);
    Q_EMIT imageChainFinished(true);
}

bool SplashAdStore::cacheFirstImage(const QStringList &files, const QString &key)
{
    for (const QString &path : files) {
        const QFileInfo info(path);
        if (!info.isFile() || info.isSymLink())
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        if (reader.read().isNull())
            continue;
        return imageCache().setDataForKey(bytes, key).ok();
    }
    return false;
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
