#include "settings/feedback/NBFeedbackTypeItem.h"

#include <QLabel>
#include <QPainter>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/PlainText.h"

NBFeedbackTypeItem::NBFeedbackTypeItem(QWidget *parent)
    : ClickableRow(parent, PressClick::ActsOn::Press)
{
    setFixedSize(79, 40);
    setCursor(Qt::PointingHandCursor);
    m_cornerView = new RoundedPanel(Qt::transparent, 20, this);
    m_cornerView->setGeometry(rect());
    m_cornerView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel = PlainText::label(QStringLiteral("反馈内容"), this);
    m_titleLabel->setFont(NSFontHelper::getLightPingFangFont(12));
    m_titleLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setGeometry(rect());
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void NBFeedbackTypeItem::setMarked(bool marked)
{
    m_marked = marked;
    m_cornerView->setBackgroundColor(marked ? QColor(66, 64, 68) : QColor(Qt::transparent));
    update();
}

void NBFeedbackTypeItem::paintEvent(QPaintEvent *)
{
    // The thin grey outline of every tile.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(105, 105, 105), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 19.5, 19.5);
}
