#include "settings/unreached/NBSettingSwitchView.h"

#include <QMouseEvent>
#include <QPushButton>

#include "common/Localization.h"
#include "uikit/NSFontHelper.h"

NBSettingSwitchView::NBSettingSwitchView(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new QWidget(this);
    m_accountButton = new QPushButton(localizedByAppLanguage(QStringLiteral("LOGIN_TITLE")), m_contentView);
    m_accountButton->setFlat(true);
    m_accountButton->setFocusPolicy(Qt::NoFocus);
    m_accountButton->setCursor(Qt::PointingHandCursor);
    m_accountButton->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_accountButton->setStyleSheet(QStringLiteral(
        "QPushButton { border: none; border-radius: 10px; background: rgb(195, 54, 81); color: white; }"));
    connect(m_accountButton, &QPushButton::clicked, this, &NBSettingSwitchView::switchAction);
    layoutParts();
}

void NBSettingSwitchView::switchAction()
{
    if (switchAccountBlock)
        switchAccountBlock();
}

void NBSettingSwitchView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBSettingSwitchView::layoutParts()
{
    m_contentView->setGeometry(0, 0, width(), 77);
    m_accountButton->setGeometry(15, 77 - 40, qMax(0, width() - 30), 40);
}

void NBSettingSwitchView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBSettingSwitchView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}
