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

void NBBaseView::logWindowInUse()
{
    QWidget *host = WindowInUse::contentWidget();
    qCDebug(lcUi).noquote() << " ========= ";
    qCDebug(lcUi) << (host ? host->window() : nullptr);
    qCDebug(lcUi).noquote() << " ========= ";
}

bool NBBaseView::placeOverWindow(std::unique_ptr<OverlayWidget> view)
{
    QWidget *host = WindowInUse::contentWidget();
    if (!host || !view)
        return false;
    view.release()->showOver(host);
    return true;
}
