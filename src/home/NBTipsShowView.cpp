#include "home/NBTipsShowView.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "home/AssetImageView.h"
#include "uikit/PlainText.h"

NBTipsShowView::NBTipsShowView(QWidget *parent)
    : QWidget(parent)
{
    m_nameText = PlainText::label(QStringLiteral("调整模式"), this);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_nameText->setStyleSheet(QStringLiteral("color: rgb(231, 218, 204); background: transparent;"));
    m_iconView = new AssetImageView(QStringLiteral("path"), this);
    m_maskView = new QWidget(this);
    m_maskView->setCursor(Qt::PointingHandCursor);
    m_maskView->installEventFilter(this);
    resize(60, 20);
}

void NBTipsShowView::tapClickAction()
{
    if (tapShowBlock)
        tapShowBlock();
}

bool NBTipsShowView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_maskView && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && m_maskView->rect().contains(mouse->position().toPoint()))
            tapClickAction();
        return true;
    }
    if (watched == m_maskView && event->type() == QEvent::MouseButtonPress)
        return true;
    return QWidget::eventFilter(watched, event);
}

void NBTipsShowView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int textWidth = m_nameText->sizeHint().width();
    m_nameText->setGeometry(0, 0, textWidth, height());
    m_iconView->setGeometry(qMin(width() - 8, textWidth + 4), (height() - 8) / 2, 8, 8);
    m_maskView->setGeometry(rect());
    m_maskView->raise();
}
