#include "home/NBVPNModeView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "home/AssetImageView.h"
#include "home/LineEvents.h"
#include "home/LineSelectorLook.h"

NBVPNModeView::NBVPNModeView(QWidget *parent)
    : QWidget(parent)
{
    // The bar around the badge takes its clicks.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_iconView = new AssetImageView(QStringLiteral("vpnmode"), this);
    m_flagView = new AssetImageView(QStringLiteral("AI"), m_iconView);
    m_nameText = new QLabel(m_iconView);
    m_nameText->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_nameText->setStyleSheet(QStringLiteral("color: rgb(208, 205, 200); background: transparent;"));
    m_maskView = new QWidget(m_iconView);
    layoutParts();
}

void NBVPNModeView::update(bool global)
{
    m_global = global;
    m_flagView->setAsset(global ? QStringLiteral("all") : QStringLiteral("AI"));
    m_nameText->setText(global ? QStringLiteral("全局模式") : QStringLiteral("智能模式"));
    LineEvents::track(LineSelectorLook::modeEventFor(global));
}

void NBVPNModeView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBVPNModeView::layoutParts()
{
    m_iconView->setGeometry(rect());
    m_maskView->setGeometry(m_iconView->rect());
    const int flagSide = 11; // 10.5 points, rounded to whole pixels
    m_flagView->setGeometry(10, (height() - flagSide) / 2, flagSide, flagSide);
    const int nameX = 10 + flagSide + 6; // 6.5 points after the icon
    m_nameText->setGeometry(nameX, 0, qMax(0, width() - nameX - 4), height());
}
