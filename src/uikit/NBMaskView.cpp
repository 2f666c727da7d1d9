#include "uikit/NBMaskView.h"

NBMaskView::NBMaskView(QWidget *parent)
    : OverlayWidget(parent)
{
    // A mask takes clicks, not the keyboard: a sheet inside it keeps its own focus.
    setFocusPolicy(Qt::NoFocus);
}
