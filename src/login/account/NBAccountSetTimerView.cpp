#include "login/account/NBAccountSetTimerView.h"

#include <QLabel>

#include "uikit/ButtonColors.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "common/Localization.h"
#include "uikit/PlainText.h"

NBAccountSetTimerView::NBAccountSetTimerView(QWidget *parent)
    : QWidget(parent)
{
    m_button = new NBDisableButton(QString(), this);
    m_button->setCornerRadius(20);
    m_button->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_button->setFocusPolicy(Qt::NoFocus);
    ButtonColors::setTitleWithColor(m_button, localizedByAppLanguage(QStringLiteral("BIND_PHONE_OR_EMAIL")),
                                    QColor(222, 228, 244));
    connect(m_button, &QPushButton::clicked, this, &NBAccountSetTimerView::accountAction);

    m_timeLabel = PlainText::label(this);
    m_timeLabel->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_timeLabel->setAlignment(Qt::AlignCenter);
    m_timeLabel->setWordWrap(true);
    QPalette palette = m_timeLabel->palette();
    palette.setColor(QPalette::WindowText, QColor(179, 183, 190));
    m_timeLabel->setPalette(palette);
    m_timeLabel->hide();
}

void NBAccountSetTimerView::accountAction()
{
    if (clickBlock)
        clickBlock();
}

void NBAccountSetTimerView::setButtonEnabled(bool enabled)
{
    m_button->setEnabled(enabled);
    m_button->setBackgroundImage(enabled ? QStringLiteral("confirm_enable_icon") : QStringLiteral("confirm_unenable_icon"));
}

void NBAccountSetTimerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_button->setGeometry(28, 31, qMax(0, width() - 28 - 27), 40);
}
