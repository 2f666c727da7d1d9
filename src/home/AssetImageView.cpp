#include "home/AssetImageView.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include "uikit/ImageCache.h"
#include "uikit/ImageLoader.h"
#include "uikit/UiImages.h"

AssetImageView::AssetImageView(const QString &assetName, QWidget *parent)
    : QWidget(parent)
    , m_asset(assetName)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void AssetImageView::setAsset(const QString &name)
{
    // A download for an earlier picture must not land over this one.
    ImageLoader::shared().cancel(this);
    m_url.clear();
    m_remote = QImage();
    if (m_asset == name)
        return;
    m_asset = name;
    update();
}

void AssetImageView::loadUrl(const QUrl &url, const QString &placeholder)
{
    if (m_url == url && !m_remote.isNull())
        return;
    setAsset(placeholder);
    m_url = url;
    // A picture decoded already is shown at once: a row scrolled into view draws its flag in the
    // same frame instead of the placeholder first.
    const QString key = url.toString(QUrl::FullyEncoded);
    const QImage known = ImageCache::shared().imageFromMemoryCacheForKey(key);
    if (!known.isNull()) {
        m_remote = known;
        m_asset.clear();
        update();
        return;
    }
    ImageLoader::shared().load(url, key, this,
                               [this, url](const QImage &image, const QString &) {
                                   if (image.isNull())
                                       return;
                                   m_remote = image;
                                   m_asset.clear();
                                   update();
                                   Q_EMIT remoteImageShown(url);
                               });
}

void AssetImageView::setCornerRadius(qreal radius)
{
    m_radius = radius;
    update();
}

QPixmap AssetImageView::assetPixmap(const QString &name, const QSize &size, qreal ratio)
{
    static QHash<QString, QPixmap> drawn;
    const QString key = QStringLiteral("%1@%2x%3@%4").arg(name).arg(size.width()).arg(size.height()).arg(ratio);
    const auto it = drawn.constFind(key);
    if (it != drawn.constEnd())
        return it.value();
    const QPixmap pixmap = UiImages::pixmap(name, size, ratio);
    drawn.insert(key, pixmap);
    return pixmap;
}

void AssetImageView::paintEvent(QPaintEvent *)
{
    if (m_asset.isEmpty() && m_remote.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_radius > 0) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), m_radius, m_radius);
        painter.setClipPath(clip);
    }
    if (!m_remote.isNull()) {
        painter.drawImage(rect(), m_remote);
        return;
    }
    painter.drawPixmap(rect(), assetPixmap(m_asset, size(), devicePixelRatioF()));
}
