#include "uikit/NBBaseTextField.h"

#include <QMouseEvent>

NBBaseTextField::NBBaseTextField(const QString &text, QWidget *parent)
    : QLineEdit(text, parent)
{
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void NBBaseTextField::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NBBaseTextField::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void NBBaseTextField::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}
