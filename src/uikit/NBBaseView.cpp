#include "uikit/NBBaseView.h"

#include "uikit/RoundedPanel.h"
#include "uikit/WindowInUse.h"
#include "uikit/UiLog.h"

#include <QDebug>

NBBaseView::NBBaseView(QWidget *parent)
    : OverlayWidget(parent)
{
}

RoundedPanel *NBBaseView::contentView()
{
    if (!m_contentView)
        m_contentView = new RoundedPanel(QColor(42, 41, 44), 20, this);
    return m_contentView;
}

bool NBBaseView::placeOverWindow(std::unique_ptr<NBBaseView> view)
{
    QWidget *host = WindowInUse::contentWidget();
    if (!host || !view)
        return false;
    NBBaseView *shown = view.release();
    shown->setParent(host);
    shown->setFillsParent(true);
    shown->raise();
    shown->QWidget::show();
    shown->takeFocus();
    return true;
}
