#include "settings/more/NBInfoView.h"

#include <QMouseEvent>

#include "settings/ScreenChain.h"
#include "settings/more/NBInfoViewProtocol.h"

NBInfoView::NBInfoView(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void NBInfoView::click()
{
    if (auto *screen = findAncestorScreen<NBInfoViewProtocol>(this))
        screen->handleInfoClick();
}

void NBInfoView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        click();
}
