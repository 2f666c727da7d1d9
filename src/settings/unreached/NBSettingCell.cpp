#include "settings/unreached/NBSettingCell.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"

NBSettingCell::NBSettingCell(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(33, 33, 33), 10, this);
    m_nameText = new QLabel(QStringLiteral("USA - San Francisco - 1"), m_contentView);
    m_nameText->setTextFormat(Qt::PlainText);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_nameText->setAutoFillBackground(true);
    QPalette palette = m_nameText->palette();
    palette.setColor(QPalette::Window, QColor(23, 35, 48));
    palette.setColor(QPalette::WindowText, QColor(191, 191, 191));
    m_nameText->setPalette(palette);
    layoutParts();
}

void NBSettingCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBSettingCell::layoutParts()
{
    m_contentView->setGeometry(16, 5, qMax(0, width() - 32), qMax(0, height() - 10));
    m_nameText->adjustSize();
    m_nameText->move(16, (m_contentView->height() - m_nameText->height()) / 2);
}
