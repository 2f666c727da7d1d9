#include "settings/feedback/NBFeedbackListToolView.h"

#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "settings/ScreenChain.h"
#include "settings/feedback/NBFeedbackListToolViewProtocol.h"

NBFeedbackListToolView::NBFeedbackListToolView(QWidget *parent)
    : QWidget(parent)
{
    m_confirmBtn = new QPushButton(QStringLiteral("反馈问题"), this);
    m_confirmBtn->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_confirmBtn->setFocusPolicy(Qt::NoFocus);
    m_confirmBtn->setCursor(Qt::PointingHandCursor);
    m_confirmBtn->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; border: none; border-image: url(:/images/confirm_enable_icon.svg); }"));
    connect(m_confirmBtn, &QPushButton::clicked, this, &NBFeedbackListToolView::feedbackAction);
}

void NBFeedbackListToolView::feedbackAction()
{
    if (auto *screen = findAncestorScreen<NBFeedbackListToolViewProtocol>(this))
        screen->toolViewDidConfirm();
}

void NBFeedbackListToolView::resizeEvent(QResizeEvent *)
{
    m_confirmBtn->setGeometry(41, 0, qMax(0, width() - 82), 40);
}
