#include "login/unreached/NBLoginTimerView.h"

#include <QPushButton>

#include "common/Localization.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"

NBLoginTimerView::NBLoginTimerView(QWidget *parent)
    : QWidget(parent)
{
    m_button = new QPushButton(localizedByAppLanguage(QStringLiteral("发送验证码")), this);
    m_button->setFlat(true);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::PointingHandCursor);
    m_button->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_button->setStyleSheet(QStringLiteral(
        "QPushButton { border: none; border-radius: 15px; background: transparent; color: white; }"));
    connect(m_button, &QPushButton::clicked, this, &NBLoginTimerView::accountAction);

    m_textField = new NBCustomTextField(this);
    m_textField->setFont(NSFontHelper::getRegularPingFangFont(12));
    QPalette palette = m_textField->palette();
    palette.setColor(QPalette::Text, Qt::white);
    m_textField->setPalette(palette);
}

void NBLoginTimerView::accountAction()
{
    if (clickBlock)
        clickBlock();
}

void NBLoginTimerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int buttonLeft = width() - 8 - 120;
    m_button->setGeometry(buttonLeft, 5, 120, qMax(0, height() - 10));
    const int fieldHeight = m_textField->sizeHint().height();
    m_textField->setGeometry(23, (height() - fieldHeight) / 2, qMax(0, buttonLeft - 10 - 23), fieldHeight);
}
