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

bool NBBaseView::show()
{
    QWidget *host = WindowInUse::contentWidget();
    qCDebug(lcUi).noquote() << " ========= ";
    qCDebug(lcUi) << host;
    qCDebug(lcUi).noquote() << " ========= ";
    if (!host)
        return false;
    setParent(host);
    setFillsParent(true);
    raise();
    QWidget::show();
    takeFocus();
    return true;
}
