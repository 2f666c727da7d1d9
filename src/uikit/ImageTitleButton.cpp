#include "uikit/ImageTitleButton.h"

#include "uikit/ButtonColors.h"
#include "uikit/UiImages.h"

#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

// The picture's mean colour over what it covers: the face the title is read against.
QColor meanColour(const QString &name)
{
    const QSize natural = UiImages::naturalSize(name);
    if (natural.isEmpty())
        return {};
    const QImage image = UiImages::pixmap(name, natural.scaled(64, 64, Qt::KeepAspectRatio))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    double red = 0, green = 0, blue = 0, cover = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const double alpha = pixel.alphaF();
            red += pixel.redF() * alpha;
            green += pixel.greenF() * alpha;
            blue += pixel.blueF() * alpha;
            cover += alpha;
        }
    }
    if (cover <= 0)
        return {};
    return QColor::fromRgbF(float(red / cover), float(green / cover), float(blue / cover));
}

} // namespace

ImageTitleButton::ImageTitleButton(const QString &title, QWidget *parent)
    : QPushButton(title, parent)
{
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

void ImageTitleButton::setBackgroundImage(const QString &name)
{
    m_backgroundImage = name;
    ButtonColors::setFaceColor(this, meanColour(name));
    update();
}

void ImageTitleButton::setCornerRadius(qreal radius)
{
    m_radius = radius;
    update();
}

void ImageTitleButton::enterEvent(QEnterEvent *event)
{
    QPushButton::enterEvent(event);
    m_hover = true;
    update();
}

void ImageTitleButton::leaveEvent(QEvent *event)
{
    QPushButton::leaveEvent(event);
    m_hover = false;
    update();
}

void ImageTitleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.5);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), m_radius, m_radius);
    painter.setClipPath(clip);
    if (!m_backgroundImage.isEmpty())
        painter.drawPixmap(rect(), UiImages::pixmap(m_backgroundImage, size(), devicePixelRatioF()));
    if (isEnabled() && isDown())
        painter.fillPath(clip, QColor(0, 0, 0, 56));
    else if (isEnabled() && m_hover)
        painter.fillPath(clip, QColor(255, 255, 255, 28));
    if (!icon().isNull() && text().isEmpty()) {
        const QSize size = iconSize();
        painter.drawPixmap(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size),
                           icon().pixmap(size, devicePixelRatioF()));
    }
    painter.setClipping(false);
    ButtonColors::drawTitle(painter, this, rect());
}
