#include "login/code/NBVerityCodeContentView.h"

#include "uikit/NBBaseViewController.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NSFontHelper.h"
#include "common/ClickableFlag.h"
#include "login/register/NBRegisterCountdown.h"
#include "login/code/NBVerityCodeContentViewProtocol.h"
#include "login/code/OnlyIntegerValueFormatter.h"

NBVerityCodeContentView::NBVerityCodeContentView(QWidget *parent)
    : NBTextFiledContentView(parent)
{
    textFiled()->setValidator(new OnlyIntegerValueFormatter(textFiled()));
    m_verityCodeButton = new NBDisableButton(QString(), this);
    m_verityCodeButton->setBackgroundImage(QStringLiteral("verityCode"));
    m_verityCodeButton->setCornerRadius(15);
    m_verityCodeButton->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_verityCodeButton->setFocusPolicy(Qt::NoFocus);
    NBRegisterCountdown::setReadyTitle(m_verityCodeButton);
    ClickableFlag::setIsClickable(m_verityCodeButton, true);
    connect(m_verityCodeButton, &QAbstractButton::clicked, this, &NBVerityCodeContentView::codeAction);
}

void NBVerityCodeContentView::resizeEvent(QResizeEvent *event)
{
    NBTextFiledContentView::resizeEvent(event);
    // 118.5 x 30, its right edge 7.6 px inside the row's: whole pixels 119 x 30 and 8.
    m_verityCodeButton->setGeometry(width() - 8 - 119, (height() - 30) / 2, 119, 30);
    m_verityCodeButton->raise();
}

void NBVerityCodeContentView::codeAction()
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (!qobject_cast<NBBaseViewController *>(w))
            continue;
        // The first screen up the tree decides; one that does not adopt the protocol ignores it.
        auto *adopter = dynamic_cast<NBVerityCodeContentViewProtocol *>(w);
        if (!adopter)
            return;
        Q_EMIT sendCodeRequested(m_verityCodeButton);
        adopter->codeButtonClicked(m_verityCodeButton);
        return;
    }
}

void NBVerityCodeContentView::startRegisterCountdown(QAbstractButton *button)
{
    NBRegisterCountdown::start(button);
}
