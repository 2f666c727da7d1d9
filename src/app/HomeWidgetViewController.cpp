#include "app/HomeWidgetViewController.h"

#include "app/HomeWidget.h"

HomeWidgetViewController::HomeWidgetViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(728, 500);
}

void HomeWidgetViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_home = new HomeWidget(this);
    m_home->setGeometry(rect());
    m_home->show();
}

void HomeWidgetViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    if (m_home)
        m_home->setGeometry(rect());
}
