#include "settings/feedback/NBFeedbackFooter.h"

#include <QLabel>

#include "settings/feedback/FeedbackText.h"
#include "uikit/PlainText.h"

NBFeedbackFooter::NBFeedbackFooter(QWidget *parent)
    : QWidget(parent)
{
    m_textField = PlainText::label(this);
    m_textField->setFont(FeedbackText::bubbleFont());
    m_textField->setAlignment(Qt::AlignCenter);
    m_textField->setStyleSheet(QStringLiteral("color: rgb(117, 110, 147); background: transparent;"));
}

void NBFeedbackFooter::resizeEvent(QResizeEvent *)
{
    m_textField->setGeometry(rect());
}
