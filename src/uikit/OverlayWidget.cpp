#include "uikit/OverlayWidget.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

OverlayWidget::OverlayWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::StrongFocus);
}

OverlayWidget::~OverlayWidget()
{
    restoreFocus();
}

void OverlayWidget::setFillsParent(bool fills)
{
    m_fillsParent = fills;
    followParent();
}

void OverlayWidget::followParent()
{
    QWidget *parent = parentWidget();
    if (m_watchedParent != parent) {
        if (m_watchedParent)
            m_watchedParent->removeEventFilter(this);
        m_watchedParent = parent;
        if (parent)
            parent->installEventFilter(this);
    }
    if (m_fillsParent && parent)
        setGeometry(parent->rect());
}

bool OverlayWidget::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange)
        followParent();
    return QWidget::event(event);
}

bool OverlayWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedParent && event->type() == QEvent::Resize && m_fillsParent)
        setGeometry(m_watchedParent->rect());
    return QWidget::eventFilter(watched, event);
}

void OverlayWidget::showOver(QWidget *host)
{
    setParent(host);
    setFillsParent(true);
    raise();
    show();
    takeFocus();
}

void OverlayWidget::takeFocus()
{
    QWidget *current = QApplication::focusWidget();
    if (current && current != this && !isAncestorOf(current))
        m_previousFocus = current;
    // Focus only moves to a visible widget; shown overlays call this after show().
    for (QWidget *child : findChildren<QWidget *>()) {
        if (child->isVisibleTo(this) && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus)) {
            child->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    setFocus(Qt::OtherFocusReason);
}

void OverlayWidget::closeOverlay()
{
    if (m_closing)
        return;
    m_closing = true;
    hide();
    restoreFocus();
    deleteLater();
}

void OverlayWidget::restoreFocus()
{
    QPointer<QWidget> previous = m_previousFocus;
    m_previousFocus = nullptr;
    if (previous && previous->isVisible() && previous->isEnabled())
        previous->setFocus(Qt::OtherFocusReason);
}

void OverlayWidget::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void OverlayWidget::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void OverlayWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void OverlayWidget::wheelEvent(QWheelEvent *event)
{
    event->accept();
}

void OverlayWidget::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}

void OverlayWidget::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
}

void OverlayWidget::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
}

bool OverlayWidget::focusNextPrevChild(bool next)
{
    // Tab cycles among the overlay's own controls and never reaches the widgets under it.
    QList<QWidget *> chain;
    for (QWidget *child : findChildren<QWidget *>()) {
        if (child->isVisibleTo(this) && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus))
            chain.append(child);
    }
    if (chain.isEmpty()) {
        setFocus(Qt::TabFocusReason);
        return true;
    }
    int index = chain.indexOf(QApplication::focusWidget());
    index = index < 0 ? 0 : (index + (next ? 1 : -1) + chain.size()) % chain.size();
    chain.at(index)->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
