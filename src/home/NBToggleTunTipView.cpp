#include "home/NBToggleTunTipView.h"

#include <QLabel>
#include <QPainter>

#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/PlainText.h"

namespace {
constexpr int kPanelWidth = 320;
constexpr int kPanelHeight = 170;
}

NBToggleTunTipView::NBToggleTunTipView(QWidget *parent)
    : OverlayWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(36, 37, 55), 20, this);
    m_titleLabel = PlainText::label(m_contentView);
    m_titleLabel->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_titleLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_tipsLabel = PlainText::label(m_contentView);
    m_tipsLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_tipsLabel->setStyleSheet(QStringLiteral("color: rgb(136, 137, 161); background: transparent;"));
    m_tipsLabel->setAlignment(Qt::AlignCenter);
    m_tipsLabel->setWordWrap(true);
    m_confirmButton = new NBDisableButton(QString(), m_contentView);
    m_confirmButton->setBackgroundImage(QStringLiteral("tun_main"));
    m_confirmButton->setCornerRadius(15);
    m_confirmButton->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_confirmButton->setStyleSheet(QStringLiteral("color: rgb(222, 228, 244);"));
    m_confirmButton->setProperty("tag", 1);
    connect(m_confirmButton, &QPushButton::clicked, this, &NBToggleTunTipView::confirmAction);
}

void NBToggleTunTipView::confirmAction()
{
    if (confirmBlock)
        confirmBlock();
    closeOverlay();
}

void NBToggleTunTipView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 102));
}

void NBToggleTunTipView::resizeEvent(QResizeEvent *event)
{
    OverlayWidget::resizeEvent(event);
    m_contentView->setGeometry((width() - kPanelWidth) / 2, (height() - kPanelHeight) / 2, kPanelWidth, kPanelHeight);
    m_titleLabel->setGeometry(20, 24, kPanelWidth - 40, 22);
    m_tipsLabel->setGeometry(20, 58, kPanelWidth - 40, 40);
    m_confirmButton->setGeometry((kPanelWidth - 210) / 2, kPanelHeight - 24 - 36, 210, 36);
}
