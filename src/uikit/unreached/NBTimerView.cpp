#include "uikit/unreached/NBTimerView.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/PlainText.h"

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
        m_timeLabel = PlainText::label(this);
    }
    return m_timeLabel;
}

QLabel *NBTimerView::privatyAttrLabel()
{
    if (!m_privatyAttrLabel) {
        m_privatyAttrLabel = PlainText::label(this);
    }
    return m_privatyAttrLabel;
}

void NBTimerView::accountAction()
{
    if (clickBlock)
        clickBlock();
}
