#include "uikit/NBClickImageView.h"

#include <QMouseEvent>
#include <QPointer>

NBClickImageView::NBClickImageView(QWidget *parent)
    : QLabel(parent)
{
}

void NBClickImageView::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    QPointer<NBClickImageView> self(this);
    Q_EMIT clicked();
    if (self && self->clickActionBlock)
        self->clickActionBlock();
}
