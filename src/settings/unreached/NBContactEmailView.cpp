#include "settings/unreached/NBContactEmailView.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "settings/feedback/FeedbackContactField.h"
#include "uikit/PlainText.h"

NBContactEmailView::NBContactEmailView(QWidget *parent)
    : QWidget(parent)
{
    m_titleLab = PlainText::label(QStringLiteral("联系方式（选填）"), this);
    m_titleLab->setFont(NSFontHelper::getLightPingFangFont(10));
    m_titleLab->setStyleSheet(QStringLiteral("color: rgb(179, 183, 190); background: transparent;"));
    m_textContentView = new RoundedPanel(QColor(35, 35, 35), 20, this);
    m_textFiled = FeedbackContactField::create(m_textContentView);
    m_signUpButton = new QPushButton(QStringLiteral("提交"), this);
    m_signUpButton->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_signUpButton->setFixedSize(326, 40);
    m_signUpButton->setFocusPolicy(Qt::NoFocus);
    m_signUpButton->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; border: none; border-image: url(:/images/confirm_unenable_icon.svg); }"));
    connect(m_signUpButton, &QPushButton::clicked, this, &NBContactEmailView::sendAction);
}

void NBContactEmailView::sendAction()
{
    if (actionBlock)
        actionBlock();
}

void NBContactEmailView::resizeEvent(QResizeEvent *)
{
    const int captionHeight = m_titleLab->sizeHint().height();
    m_titleLab->setGeometry(25, 0, qMax(0, width() - 50), captionHeight);
    m_textContentView->setGeometry(20, captionHeight + 9, qMax(0, width() - 40), 40);
    const int fieldHeight = m_textFiled->sizeHint().height();
    m_textFiled->setGeometry(20, (40 - fieldHeight) / 2, qMax(0, m_textContentView->width() - 40), fieldHeight);
    m_signUpButton->move((width() - m_signUpButton->width()) / 2, m_textContentView->geometry().bottom() + 1 + 22);
}
