#include "uikit/NBDisableButton.h"

#include "common/ClickableFlag.h"

#include <QKeyEvent>
#include <QMouseEvent>

NBDisableButton::NBDisableButton(const QString &title, QWidget *parent)
    : ImageTitleButton(title, parent)
{
}

bool NBDisableButton::isClickable() const
{
    return ClickableFlag::isClickable(this).value_or(true);
}

void NBDisableButton::mousePressEvent(QMouseEvent *event)
{
    if (!isClickable()) {
        event->accept();
        return;
    }
    ImageTitleButton::mousePressEvent(event);
}

void NBDisableButton::mouseReleaseEvent(QMouseEvent *event)
{
    // A press that started while clickable and ends after the flag went false sends nothing.
    if (!isClickable()) {
        setDown(false);
        event->accept();
        return;
    }
    ImageTitleButton::mouseReleaseEvent(event);
}

void NBDisableButton::keyPressEvent(QKeyEvent *event)
{
    if (!isClickable()) {
        event->accept();
        return;
    }
    ImageTitleButton::keyPressEvent(event);
}
