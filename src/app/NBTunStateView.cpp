#include "app/NBTunStateView.h"

#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {
constexpr int kImageSide = 20;
constexpr int kImageTop = 8;
constexpr int kTitleGap = 3;
}

NBTunStateView::NBTunStateView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    m_imgView = new QLabel(this);
    m_imgView->setFixedSize(kImageSide, kImageSide);
    m_titleLab = PlainText::label(QStringLiteral("Tun"), this);
    m_titleLab->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_titleLab->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    applyLook();
}

void NBTunStateView::setIsSelect(bool select)
{
    m_isSelect = select;
    applyLook();
}

void NBTunStateView::applyLook()
{
    m_imgView->setPixmap(UiImages::pixmap(currentImage(), QSize(kImageSide, kImageSide), devicePixelRatioF()));
    QPalette palette = m_titleLab->palette();
    palette.setColor(QPalette::WindowText, m_isSelect ? m_selectColor : m_normalColor);
    m_titleLab->setPalette(palette);
}

void NBTunStateView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBTunStateView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_imgView->move((width() - kImageSide) / 2, kImageTop);
    const int titleTop = kImageTop + kImageSide + kTitleGap;
    // The title may be wider than the narrow indicator; it stays centred on it.
    const int titleWidth = qMax(width(), m_titleLab->sizeHint().width());
    m_titleLab->setGeometry((width() - titleWidth) / 2, titleTop, titleWidth, qMax(0, height() - titleTop));
}
