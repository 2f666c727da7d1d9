#include "uikit/UiImages.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QString UiImages::path(const QString &name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}

bool UiImages::exists(const QString &name)
{
    return !name.isEmpty() && QFile::exists(path(name));
}

QPixmap UiImages::pixmap(const QString &name, const QSize &size, qreal devicePixelRatio)
{
    if (!exists(name) || size.isEmpty())
        return {};
    QSvgRenderer renderer(path(name));
    if (!renderer.isValid())
        return {};
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QSize UiImages::naturalSize(const QString &name)
{
    if (!exists(name))
        return {};
    QSvgRenderer renderer(path(name));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QIcon UiImages::icon(const QString &name)
{
    return exists(name) ? QIcon(path(name)) : QIcon();
}
