#include "uikit/PresentedBackground.h"

#include <QEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QWidget>

QColor PresentedBackground::pageColor()
{
    return QColor(23, 17, 43);
}

void PresentedBackground::ensure(QWidget *page)
{
    if (!page || page->autoFillBackground())
        return;
    if (page->findChild<PresentedBackground *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new PresentedBackground(page);
}

PresentedBackground::PresentedBackground(QWidget *page)
    : QObject(page)
{
    page->installEventFilter(this);
    page->update();
}

bool PresentedBackground::eventFilter(QObject *watched, QEvent *event)
{
    // Runs before the page's own paintEvent, so the page draws over this fill.
    if (event->type() == QEvent::Paint) {
        auto *page = static_cast<QWidget *>(watched);
        if (!page->autoFillBackground()) {
            QPainter painter(page);
            painter.fillRect(static_cast<QPaintEvent *>(event)->rect(), pageColor());
        }
    }
    return QObject::eventFilter(watched, event);
}
