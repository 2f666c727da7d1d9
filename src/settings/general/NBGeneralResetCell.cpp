#include "settings/general/NBGeneralResetCell.h"

#include <QLabel>
#include <QMouseEvent>

#include "app/uikit/NSFontHelper.h"

NBGeneralResetCell::NBGeneralResetCell(QWidget *parent)
    : QWidget(parent)
{
    m_nameText = new QLabel(this);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_nameText->setStyleSheet(QStringLiteral("background: transparent; color: rgb(191,191,191);"));
    m_nameText->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(Qt::PointingHandCursor);
}

void NBGeneralResetCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_nameText->setGeometry(24, 0, qMax(0, width() - 48), height());
}

void NBGeneralResetCell::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
