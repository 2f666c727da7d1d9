#include "uikit/OOBasePopupView.h"

#include "uikit/RoundedPanel.h"

OOBasePopupView::OOBasePopupView(QWidget *parent)
    : OverlayWidget(parent)
{
}

RoundedPanel *OOBasePopupView::contentView()
{
    if (!m_contentView)
        m_contentView = new RoundedPanel(QColor(23, 35, 48), 8, this);
    return m_contentView;
}
