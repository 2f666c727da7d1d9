#include "settings/more/NBAdView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "settings/ScreenChain.h"
#include "settings/more/NBAdViewProtocol.h"

NBAdView::NBAdView(QWidget *parent)
    : QWidget(parent)
{
    m_adImgView = new QLabel(this);
    m_adImgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_adImgView->setAlignment(Qt::AlignCenter);
}

void NBAdView::setAdvertisement(const HHAdModel &model, const QImage &image)
{
    m_model = model;
    m_image = image;
    paintImage();
    setCursor(Qt::PointingHandCursor);
}

void NBAdView::click()
{
    if (!m_model)
        return;
    if (auto *screen = findAncestorScreen<NBAdViewProtocol>(this))
        screen->handleAdClick(*m_model);
}

void NBAdView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        click();
}

void NBAdView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_adImgView->setGeometry(rect());
    paintImage();
}

void NBAdView::paintImage()
{
    if (m_image.isNull() || size().isEmpty()) {
        m_adImgView->clear();
        return;
    }
    // Scaled proportionally into the view, clipped to its rounded corners.
    const QImage scaled = m_image.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPixmap canvas(size());
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 15, 15);
    painter.setClipPath(clip);
    painter.drawImage(QPoint((width() - scaled.width()) / 2, (height() - scaled.height()) / 2), scaled);
    painter.end();
    m_adImgView->setPixmap(canvas);
}
