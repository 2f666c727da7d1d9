#include "settings/general/NBGeneralResetCell.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/PlainText.h"

NBGeneralResetCell::NBGeneralResetCell(QWidget *parent)
    : ClickableRow(parent)
{
    m_nameText = PlainText::label(this);
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
