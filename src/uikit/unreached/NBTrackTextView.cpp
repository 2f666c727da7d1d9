#include "uikit/unreached/NBTrackTextView.h"
#include "uikit/UiLog.h"

#include <QDebug>
#include <QEnterEvent>

NBTrackTextView::NBTrackTextView(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
}

void NBTrackTextView::enterEvent(QEnterEvent *event)
{
    QTextBrowser::enterEvent(event);
    m_isMouseInside = true;
    qCDebug(lcUi).noquote().nospace() << "isMouseInside:" << "true";
    viewport()->setCursor(Qt::PointingHandCursor);
}

void NBTrackTextView::leaveEvent(QEvent *event)
{
    QTextBrowser::leaveEvent(event);
    m_isMouseInside = false;
    qCDebug(lcUi).noquote().nospace() << "isMouseInside:" << "false";
    viewport()->setCursor(Qt::ArrowCursor);
}
