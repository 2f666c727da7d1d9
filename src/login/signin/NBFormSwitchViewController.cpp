#include "login/signin/NBFormSwitchViewController.h"

#include <QLabel>

#include "uikit/NBControllerView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "login/form/NBAccountFormController.h"
#include "login/signin/NBSwitchView.h"
#include "networking/XSAnalyticsManager.h"

NBFormSwitchViewController::NBFormSwitchViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(NBControllerView::fullSize());
}

void NBFormSwitchViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setAutoFillBackground(true);

    m_backImageView = new QLabel(this);
    m_backImageView->setScaledContents(true);
    m_contentView = new RoundedPanel(QColor(42, 41, 44), 20, m_backImageView);
    m_switchAccountView = new NBSwitchView(m_contentView);
    m_baseView = new QWidget(m_contentView);

    QPointer<NBFormSwitchViewController> self(this);
    m_switchAccountView->switchBlock = [self](int tag) {
        if (self)
            self->showForm(tag);
    };
    UiTiming::singleShot(10, this, [self] {
        if (self)
            self->m_switchAccountView->selectButton(1);
    });
    layoutViews();
}

void NBFormSwitchViewController::showForm(int tag)
{
    FormChoice choice = makeForm(tag);
    if (!choice.form)
        return;
    XSAnalyticsManager::shared().track(choice.event);
    choice.form->parentVC = this;
    // The form that leaves goes with its text: nothing typed survives a switch.
    if (m_currentForm) {
        unembedChildViewController(m_currentForm);
        m_currentForm->deleteLater();
    }
    choice.form->setGeometry(m_baseView->rect());
    m_currentForm = choice.form;
    embedChildViewController(choice.form, m_baseView);
}

void NBFormSwitchViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBFormSwitchViewController::layoutViews()
{
    if (!m_backImageView)
        return;
    m_backImageView->setGeometry(rect());
    m_backImageView->setPixmap(UiImages::pixmap(QStringLiteral("big_icon"), size(), devicePixelRatioF()));
    const QRect card = cardFrame();
    m_contentView->setGeometry(card);
    const QRect switchRect = switchFrame();
    m_switchAccountView->setGeometry(switchRect);
    const int top = switchRect.bottom() + 1 + 12;
    m_baseView->setGeometry(0, top, card.width(), card.height() - top);
    if (m_currentForm)
        m_currentForm->setGeometry(m_baseView->rect());
}
