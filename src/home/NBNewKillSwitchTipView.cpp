#include "home/NBNewKillSwitchTipView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

NBNewKillSwitchTipView::NBNewKillSwitchTipView(QWidget *parent)
    : RoundedPanel(QColor(38, 38, 38), 25, parent)
{
    // The tip lies over the stage: a press on it is the tip's, the long press belongs to the
    // stage around it.
    m_iconView = new QLabel(this);
    m_iconView->setPixmap(UiImages::pixmap(QStringLiteral("erro"), QSize(19, 17), devicePixelRatioF()));
    m_iconView->setProperty("assetName", QStringLiteral("erro"));
    m_textLabel = PlainText::label(QStringLiteral("加速异常，安全锁已开启\n 如需关闭保护请长按[断开连接]"), this);
    m_textLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_textLabel->setStyleSheet(QStringLiteral("color: rgb(206, 172, 137); background: transparent;"));
    m_textLabel->setAlignment(Qt::AlignCenter);
}

void NBNewKillSwitchTipView::resizeEvent(QResizeEvent *event)
{
    RoundedPanel::resizeEvent(event);
    m_iconView->setGeometry(12, (height() - 17) / 2, 19, 17);
    const int textLeft = 12 + 19 + 10;
    m_textLabel->setGeometry(textLeft, 0, width() - textLeft - 12, height());
}
