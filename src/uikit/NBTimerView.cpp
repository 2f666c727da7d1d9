#include "uikit/NBTimerView.h"

#include <QLabel>
#include <QPushButton>

NBTimerView::NBTimerView(QWidget *parent)
    : QWidget(parent)
{
}

QPushButton *NBTimerView::button()
{
    if (m_button)
        return m_button;
    m_button = new QPushButton(this);
    connect(m_button, &QPushButton::clicked, this, &NBTimerView::accountAction);
    return m_button;
}

QLabel *NBTimerView::timeLabel()
{
    if (!m_timeLabel) {
        m_timeLabel = new QLabel(this);
        m_timeLabel->setTextFormat(Qt::PlainText);
    }
    return m_timeLabel;
}

QLabel *NBTimerView::privatyAttrLabel()
{
    if (!m_privatyAttrLabel) {
        m_privatyAttrLabel = new QLabel(this);
        m_privatyAttrLabel->setTextFormat(Qt::PlainText);
    }
    return m_privatyAttrLabel;
}

void NBTimerView::accountAction()
{
    if (clickBlock)
        clickBlock();
}
