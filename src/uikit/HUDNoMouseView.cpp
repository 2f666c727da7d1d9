#include "uikit/HUDNoMouseView.h"

HUDNoMouseView::HUDNoMouseView(QWidget *parent)
    : OverlayWidget(parent)
{
    setFillsParent(true);
}
