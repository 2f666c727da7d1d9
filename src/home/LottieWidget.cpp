#include "home/LottieWidget.h"

#include <QEvent>
#include <QPainter>
#include <QWindow>

#include <rlottie.h>

#include <algorithm>
#include <cmath>

#include "home/LottieAnimationCache.h"

LottieWidget::LottieWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LottieWidget::tick);
}

LottieWidget::~LottieWidget() = default;

void LottieWidget::play(const QString &name, int firstFrame, int lastFrame)
{
    m_name = name;
    m_animation = LottieAnimationCache::shared().animation(name);
    m_image = QImage();
    m_imageFrame = -1;
    m_pendingFrames = 0.0;
    if (!m_animation) {
        m_first = m_last = m_frame = 0;
        updateTicking();
        update();
        return;
    }
    const int total = static_cast<int>(m_animation->totalFrame());
    m_first = firstFrame < 0 ? 0 : std::min(firstFrame, total - 1);
    m_last = lastFrame < 0 ? total - 1 : std::clamp(lastFrame, m_first, total - 1);
    m_frame = m_first;
    m_frameRate = m_animation->frameRate() > 0 ? m_animation->frameRate() : 30.0;
    m_timer.setInterval(static_cast<int>(std::lround(1000.0 / m_frameRate)));
    updateTicking();
    update();
}

void LottieWidget::stop()
{
    m_animation.reset();
    m_name.clear();
    m_image = QImage();
    updateTicking();
    update();
}

void LottieWidget::advance(int ms)
{
    if (!m_animation || ms <= 0)
        return;
    m_pendingFrames += ms * m_frameRate / 1000.0;
    const int steps = static_cast<int>(m_pendingFrames);
    if (steps == 0)
        return;
    m_pendingFrames -= steps;
    const int length = m_last - m_first + 1;
    m_frame = m_first + (m_frame - m_first + steps) % length;
    update();
}

void LottieWidget::tick()
{
    // A minimised window keeps its children "visible"; the timer stops until it comes back.
    if (window()->isMinimized() || !isVisible()) {
        updateTicking();
        return;
    }
    advance(m_timer.interval());
}

void LottieWidget::updateTicking()
{
    const bool shown = isVisible() && !window()->isMinimized();
    const bool moving = m_animation && m_last > m_first;
    if (shown && moving) {
        if (!m_timer.isActive())
            m_timer.start();
    } else {
        m_timer.stop();
    }
}

void LottieWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QWidget *top = window();
    if (top != m_watchedWindow) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        if (top != this)
            top->installEventFilter(this);
    }
    updateTicking();
}

void LottieWidget::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTicking();
}

bool LottieWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide:
            updateTicking();
            break;
        case QEvent::Destroy:
            m_watchedWindow = nullptr;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LottieWidget::paintEvent(QPaintEvent *)
{
    if (!m_animation || width() <= 0 || height() <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)), static_cast<int>(std::ceil(height() * ratio)));
    if (m_image.size() != pixels || m_imageFrame != m_frame) {
        if (m_image.size() != pixels)
            m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        rlottie::Surface surface(reinterpret_cast<uint32_t *>(m_image.bits()), static_cast<size_t>(pixels.width()),
                                 static_cast<size_t>(pixels.height()), static_cast<size_t>(m_image.bytesPerLine()));
        m_animation->renderSync(static_cast<size_t>(m_frame), surface, true);
        m_image.setDevicePixelRatio(ratio);
        m_imageFrame = m_frame;
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_image);
}
