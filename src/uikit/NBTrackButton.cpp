#include "uikit/NBTrackButton.h"

#include <QEnterEvent>

NBTrackButton::NBTrackButton(const QString &title, QWidget *parent)
    : ImageTitleButton(title, parent)
{
}

void NBTrackButton::enterEvent(QEnterEvent *event)
{
    ImageTitleButton::enterEvent(event);
    setCursor(Qt::PointingHandCursor);
}

void NBTrackButton::leaveEvent(QEvent *event)
{
    ImageTitleButton::leaveEvent(event);
    setCursor(Qt::ArrowCursor);
}
