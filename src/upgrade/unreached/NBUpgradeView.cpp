#include "upgrade/unreached/NBUpgradeView.h"

NBUpgradeView::NBUpgradeView(QWidget *parent)
    : QWidget(parent)
{
}

void NBUpgradeView::dismissAnimation()
{
}

void NBUpgradeView::upgradeAction()
{
}
