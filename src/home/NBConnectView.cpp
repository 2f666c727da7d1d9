#include "home/NBConnectView.h"

#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

NBConnectView::NBConnectView(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    m_imageView = new QLabel(this);
    m_imageView->setPixmap(UiImages::pixmap(QStringLiteral("connect_off"), QSize(43, 46), devicePixelRatioF()));
    m_imageView->setProperty("assetName", QStringLiteral("connect_off"));
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tipLab = PlainText::label(QStringLiteral("点击链接"), this);
    m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_tipLab->setStyleSheet(QStringLiteral("color: rgb(120, 120, 120); background: transparent;"));
    m_tipLab->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    m_tipLab->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NBConnectView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_imageView->setGeometry((width() - 43) / 2, 0, 43, 46);
    // The caption is wider than the button; it overhangs both sides, centred.
    const int textWidth = m_tipLab->sizeHint().width();
    const int textHeight = m_tipLab->sizeHint().height();
    m_tipLab->setGeometry((width() - textWidth) / 2, height() - textHeight, textWidth, textHeight);
}

void NBConnectView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void NBConnectView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click && clickAction)
        clickAction();
}
