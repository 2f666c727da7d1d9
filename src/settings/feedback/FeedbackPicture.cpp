#include "settings/feedback/FeedbackPicture.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>

#include "uikit/ImageLoader.h"
#include "common/UrlUtils.h"
#include "networking/OOHostSafeAdpter.h"

QString FeedbackPicture::resolve(const QString &source, const QString &domain)
{
    // "A-z" as the service's clients have always matched it (it also takes [ \ ] ^ _ `).
    static const QRegularExpression address(QRegularExpression::anchoredPattern(QStringLiteral("[a-zA-z]+://[^\\s]*")));
    if (address.match(source).hasMatch())
        return source;
    return domain + source;
}

std::optional<QString> FeedbackPicture::cacheKey(const QUrl &url)
{
    if (!url.isValid())
        return std::nullopt;
    std::optional<QString> fid = UrlUtils::urlQueryValue(url, QStringLiteral("fid"));
    if (fid && fid->isEmpty())
        return std::nullopt;
    return fid;
}

QImage FeedbackPicture::fitted(const QImage &image, const QSize &box)
{
    if (image.isNull() || box.isEmpty())
        return {};
    if (image.width() <= box.width() && image.height() <= box.height())
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

bool FeedbackPicture::load(const QString &source, QLabel *view, const QSize &box)
{
    if (!view)
        return false;
    const QUrl url(resolve(source, OOHostSafeAdpter::shared().currentDomain()));
    const std::optional<QString> key = cacheKey(url);
    if (!key)
        return false;
    QPointer<QLabel> target(view);
    ImageLoader::shared().load(url, *key, view, [target, box](const QImage &image, const QString &) {
        if (!target || image.isNull())
            return;
        target->setPixmap(QPixmap::fromImage(fitted(image, box)));
    });
    return true;
}

QByteArray FeedbackPicture::jpegBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(100);
    // JPEG has no transparency: a transparent picture goes out on white, not black.
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    {
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
    }
    if (!writer.write(opaque))
        return {};
    return bytes;
}

QString FeedbackPicture::fileNameForNow()
{
    const double seconds = double(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
    return QString::number(seconds, 'g', QLocale::FloatingPointShortest);
}

std::optional<QImage> FeedbackPicture::readPicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureBytes)
        return std::nullopt;
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return image;
}
