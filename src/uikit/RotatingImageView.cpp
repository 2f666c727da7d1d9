#include "uikit/RotatingImageView.h"

#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"

#include <QPainter>
#include <QVariantAnimation>

RotatingImageView::RotatingImageView(const QString &imageName, QWidget *parent)
    : QWidget(parent)
    , m_imageName(imageName)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RotatingImageView::setImageSize(const QSize &size)
{
    m_imageSize = size;
    update();
}

bool RotatingImageView::isRotating() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

void RotatingImageView::setRotating(bool clockwise)
{
    m_clockwise = clockwise;
    if (m_animation) {
        m_animation->stop();
        m_animation->deleteLater();
    }
    const int duration = UiTiming::ms(1000);
    // With transitions ended at once (the gallery) the image stands still.
    if (duration <= 0)
        return;
    auto *animation = new QVariantAnimation(this);
    // Qt turns clockwise for growing angles on screen.
    animation->setStartValue(clockwise ? 0.0 : 360.0);
    animation->setEndValue(clockwise ? 360.0 : 0.0);
    animation->setDuration(duration);
    animation->setLoopCount(-1);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_angle = value.toReal();
        update();
    });
    m_animation = animation;
    animation->start();
}

void RotatingImageView::paintEvent(QPaintEvent *)
{
    const QSize size = m_imageSize.isEmpty() ? this->size() : m_imageSize;
    const QPixmap image = UiImages::pixmap(m_imageName, size, devicePixelRatioF());
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.rotate(m_angle);
    painter.drawPixmap(QPointF(-size.width() / 2.0, -size.height() / 2.0), image);
}
